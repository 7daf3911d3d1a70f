#include "mailsettings.h"

#include "core/config.h"
#include "core/strutil.h"
#include "core/wageerror.h"
#include "net/netinfo.h"

namespace smtpnote {

int ParsePort(const QString &text)
{
    const QString digits = TrimText(text);
    bool ok = !digits.isEmpty();
    for (QChar c : digits)
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int port = ok ? digits.toInt(&ok) : 0;
    if (!ok || port < 1 || port > 65535)
        throw WageError(QStringLiteral("SMTP端口“%1”不是有效的端口号（1-65535的十进制数）").arg(text));
    return port;
}

int DefaultPort()
{
    const QString configured = wage::VendorConfig::value(QStringLiteral("MailPort"));
    return configured.isEmpty() ? kDefaultPort : ParsePort(configured);
}

MailSettings ResolveSettings(const MailArgs &args)
{
    MailSettings s;
    s.userName = args.userName.isEmpty() ? wage::VendorConfig::mailUser() : args.userName;
    s.password = args.password.isEmpty()
        ? GetXmlvalue(QStringLiteral("Em"), QStringLiteral("custip/custinfo.xml"))
        : args.password;
    s.host = args.host.isEmpty() ? wage::VendorConfig::mailHost() : args.host;
    s.port = args.port.isEmpty() ? DefaultPort() : ParsePort(args.port);
    return s;
}

} // namespace smtpnote
