// The library's one export. Nothing may unwind across the C boundary: a failure that the
// caller would otherwise receive as an error becomes the result 0 and a line in Error.Log.
#include "smtpnote.h"

#include "sendmess.h"

#include "core/errlog.h"
#include "core/textcodec.h"
#include "core/wageerror.h"

#include <exception>

namespace {

QString arg(const char *text)
{
    return text ? wage::fromGbk(QByteArray(text)) : QString();
}

void reportFailure(const QString &reason)
{
    const QString line = QStringLiteral("SendMess: ") + reason;
    try {
        WriteErrLog(line);
    } catch (...) {
        // An unwritable log must not turn a defined result into a crash.
    }
    try {
        smtpnote::CloseProgress(reason);
    } catch (...) {
    }
}

} // namespace

extern "C" unsigned char SendMess(const char *Subject, const char *Body, const char *Recipients,
                                  const char * /*Spare1*/, const char * /*Spare2*/,
                                  const char *FromAddress, const char *Host, const char *UserName,
                                  const char *Password, const char *Port)
{
    try {
        smtpnote::MailArgs args;
        args.subject = arg(Subject);
        args.body = arg(Body);
        args.recipients = arg(Recipients);
        args.fromAddress = arg(FromAddress);
        args.host = arg(Host);
        args.userName = arg(UserName);
        args.password = arg(Password);
        args.port = arg(Port);
        return smtpnote::SendMessage(args) ? 1 : 0;
    } catch (const WageError &e) {
        reportFailure(e.message());
    } catch (const std::exception &e) {
        reportFailure(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportFailure(QStringLiteral("未知错误"));
    }
    return 0;
}
