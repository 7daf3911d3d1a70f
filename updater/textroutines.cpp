#include "textroutines.h"

#include "core/config.h"
#include "core/strutil.h"

namespace updater {

QString HexToText(const QString &text)
{
    QString out;
    for (int i = 0; i < text.size(); i += 2) {
        const QString pair = text.mid(i, 2);
        if (pair.isEmpty())
            break;
        bool ok = false;
        const uint code = pair.toUInt(&ok, 16);
        if (!ok) {
            out.clear();
            continue;
        }
        out += QChar(code);
    }
    return out;
}

QString HostOfUrl(const QString &url)
{
    return getsub(getsub(url, QStringLiteral("//"), QStringLiteral("right")), QStringLiteral(":"),
                  QStringLiteral("left"));
}

QStringList SplitText(QChar separator, const QString &text, int mode)
{
    if (!text.contains(separator))
        return (mode == 0 || mode == 1) ? QStringList{text} : QStringList{};
    return GetStringList(QString(separator), text, mode);
}

QString NewsRowCaption(int k)
{
    return k < 10 ? QStringLiteral("0%1").arg(k) : QString::number(k);
}

QString BackupFolderName(const QDateTime &when)
{
    QString name = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (QChar &c : name)
        if (c == QLatin1Char(':') || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            c = QLatin1Char('-');
    return name;
}

QString Server2LinkFromPage(const QString &page)
{
    const QString afterHref = getsub(page, QStringLiteral("<p><a href=\""), QStringLiteral("right"));
    return getsub(afterHref, QStringLiteral("\">http://"), QStringLiteral("left"));
}

QString NoticePageQuery(const QString &installedVersion, const QString &dialect)
{
    return QStringLiteral("update=") + installedVersion + dialect.left(1) + QLatin1Char('_')
        + wage::VendorConfig::installNo() + QLatin1Char('_') + wage::VendorConfig::customerName()
        + QLatin1Char('&') + wage::VendorConfig::installCode();
}

} // namespace updater
