#include "core/config.h"

#include "core/inifile.h"
#include "core/strutil.h"

QString GetConType()
{
    const QString conn = TrimText(inistring(QString::fromLatin1(wage::kMainSection),
                                            QStringLiteral("connectionstr"), QString(),
                                            QStringLiteral("USERTEM.INI"), QStringLiteral("read")));
    const QString first = TrimText(GetStringList(QStringLiteral("#"), conn, 0).value(0));
    if (first.isEmpty())
        return QStringLiteral("ACCESS");
    return TrimText(first.toUpper());
}

namespace wage {

QString AccessConnectionString(const QString &databasePath)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=") + databasePath
        + QStringLiteral(";Jet OLEDB:Database Password=\"") + QString::fromLatin1(kAccessPassword)
        + QLatin1Char('"');
}

QString VendorConfig::defaultValue(const QString &key)
{
    // Defaults of a fresh installation; a site sets its own in [vendor] of Usertem.ini.
    static const struct { const char *key; const char *value; } defaults[] = {
        {"BaseURL", "http://update.wage-vendor.example/"},
        {"SupportContact", "技术支持电话：400-000-0000"},
        {"CustomerName", ""},
        {"InstallNo", ""},
        {"InstallCode", ""},
        {"IPEchoURL1", "http://ip.wage-vendor.example/myip"},
        {"IPEchoURL2", "http://ipecho.example.net/plain"},
        {"IPEchoURL3", "http://checkip.example.org/"},
        {"IPEchoURL4", "http://whatismyip.example.com/text"},
        {"MailHost", "smtp.wage-vendor.example"},
        {"MailPort", "25"},
        {"MailUser", "notice@wage-vendor.example"},
        {"MailFrom", "notice@wage-vendor.example"},
        {"UpdateKey", ""},
    };
    for (const auto &d : defaults)
        if (key.compare(QLatin1String(d.key), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(d.value);
    return QString();
}

QString VendorConfig::value(const QString &key)
{
    const QString fallback = defaultValue(key);
    const QString v = inistring(QStringLiteral("vendor"), key, fallback, QString::fromLatin1(kUserIni),
                                QStringLiteral("read"));
    return v.isEmpty() ? fallback : v;
}

QString VendorConfig::baseUrl()
{
    QString url = value(QStringLiteral("BaseURL"));
    if (!url.endsWith(QLatin1Char('/')))
        url += QLatin1Char('/');
    return url;
}

QString VendorConfig::supportContact() { return value(QStringLiteral("SupportContact")); }
QString VendorConfig::customerName() { return value(QStringLiteral("CustomerName")); }
QString VendorConfig::installNo() { return value(QStringLiteral("InstallNo")); }
QString VendorConfig::installCode() { return value(QStringLiteral("InstallCode")); }
QString VendorConfig::ipEchoUrl(int n) { return value(QStringLiteral("IPEchoURL%1").arg(n)); }
QString VendorConfig::mailHost() { return value(QStringLiteral("MailHost")); }
QString VendorConfig::mailUser() { return value(QStringLiteral("MailUser")); }
QString VendorConfig::mailFrom() { return value(QStringLiteral("MailFrom")); }
QString VendorConfig::updateKey() { return value(QStringLiteral("UpdateKey")).trimmed(); }

} // namespace wage
