#include "sendmess.h"

#include "mailmessage.h"

#include "core/wageerror.h"

#include <QDateTime>

namespace smtpnote {

bool SendMessage(const MailArgs &args, const SmtpTimeouts &timeouts)
{
    ShowProgress(1, QStringLiteral("准备信息...."));
    const MailSettings settings = ResolveSettings(args);
    // The message is put together before the connection (libcurl needs the envelope up
    // front); the step texts still follow the dialogue.
    const MailMessage message = LoadMessage(args.subject, args.body, args.recipients, args.fromAddress);
    const QByteArray data = ComposeMessage(message, QDateTime::currentDateTime());
    QStringList to;
    for (const MailAddress &a : message.recipients)
        to << a.address;

    ShowProgress(2, QStringLiteral("连接服务器...."));
    SmtpEvents events;
    events.connected = [] { ShowProgress(2, QStringLiteral("连接完成....")); };
    events.authenticated = [] {
        ShowProgress(9, QStringLiteral("正在加载信息..."));
        ShowProgress(9, QStringLiteral("正在发送信息...."));
    };
    const SmtpResult result = SmtpClient(settings, timeouts).send(message.from.address, to, data, events);
    if (!result.sent) {
        switch (result.failedIn) {
        case SmtpStage::Connect:
            ShowProgress(9, QStringLiteral("连接SMTP服务器失败!"));
            return false;
        case SmtpStage::Authenticate:
            ShowProgress(9, QStringLiteral("SMTP服务器验证失败!"));
            return false;
        case SmtpStage::Send:
            throw WageError(QStringLiteral("邮件发送失败（%1:%2）：%3")
                                .arg(settings.host).arg(settings.port).arg(result.error));
        }
    }
    ShowProgress(10, QStringLiteral("正在发送信息...."));
    return true;
}

} // namespace smtpnote
