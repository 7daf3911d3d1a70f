#include "net/netinfo.h"

#include "core/config.h"
#include "core/inifile.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "core/textcodec.h"
#include "net/http.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QSysInfo>
#include <QXmlStreamReader>

namespace wage {

QString vendorUrl(const QString &relativePath)
{
    return VendorConfig::baseUrl() + relativePath;
}

QString decodeXml(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);
        return utf16(bytes);
    }
    QString encoding;
    if (bytes.startsWith("<?xml")) {
        const int end = bytes.indexOf("?>");
        static const QRegularExpression declared(
            QStringLiteral("encoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
        const auto match = declared.match(QString::fromLatin1(bytes.left(end < 0 ? 200 : end)));
        if (match.hasMatch())
            encoding = match.captured(1).toLower();
    }
    if (encoding.isEmpty() || encoding == QLatin1String("utf-8") || encoding == QLatin1String("utf8"))
        return QString::fromUtf8(bytes);
    if (encoding == QLatin1String("gb2312") || encoding == QLatin1String("gbk")
        || encoding == QLatin1String("gb18030") || encoding == QLatin1String("cp936")
        || encoding == QLatin1String("x-gbk"))
        return fromGbk(bytes);
    QStringDecoder decoder(encoding.toLatin1().constData());
    if (!decoder.isValid())
        return QString();
    const QString text = decoder(bytes);
    return decoder.hasError() ? QString() : text;
}

QString childElementText(const QString &document, const QString &elementName, bool *wellFormed)
{
    // A string source keeps the reader from acting on the declared encoding: the text is
    // already decoded.
    QXmlStreamReader xml(document);
    QString found;
    bool haveFound = false;
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 2 && !haveFound && xml.name() == elementName) {
                found = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                haveFound = true;
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    const bool ok = !xml.hasError();
    if (wellFormed)
        *wellFormed = ok;
    return ok ? found : QString();
}

} // namespace wage

QString GetXmlvalue(const QString &elementName, const QString &relativePath)
{
    try {
        const QString mode = inistring(QString::fromLatin1(wage::kMainSection), QStringLiteral("INTERNET_CONNECTION"),
                                       QString(), QString::fromLatin1(wage::kUserIni), QStringLiteral("read"));
        if (mode == QLatin1String("OFFLINE") || !InternetReachable())
            return QString();
        QString name = elementName;
        name.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
        wage::HttpClient http;
        http.options.processEvents = false;
        http.options.connectTimeoutMs = 5000;
        http.options.readTimeoutMs = 10000;
        const wage::HttpResult result = http.get(wage::vendorUrl(relativePath));
        if (!result.ok)
            return QString();
        return wage::childElementText(wage::decodeXml(result.body), name);
    } catch (...) {
        return QString();
    }
}

// Linux keeps no system-wide "connected to the Internet" flag: a connection to the vendor's
// web server that opens within a short time stands for both checks.
bool InternetReachable()
{
    wage::HttpClient http;
    http.options.processEvents = false;
    http.options.connectTimeoutMs = 3000;
    return http.canConnect(wage::VendorConfig::baseUrl());
}

QString GetPublicIP()
{
    wage::HttpClient http;
    http.options.userAgent = QStringLiteral("Mozilla/5.0");
    http.options.readTimeoutMs = 3000;
    http.options.connectTimeoutMs = 3000;
    http.options.followRedirects = true;
    http.options.processEvents = false;
    for (int n = 1; n <= 4; ++n) {
        const wage::HttpResult page = http.get(wage::VendorConfig::ipEchoUrl(n));
        if (!page.ok)
            continue;
        const QString ip = ExtractIPv4(TrimText(QString::fromUtf8(page.body)));
        if (ip.contains(QLatin1Char('.')) && ip.size() <= 15)
            return ip;
    }
    return QString();
}

QString GetLocalIP(bool last)
{
    const bool gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    if (gui)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    QStringList addresses;
    const QHostInfo info = QHostInfo::fromName(QHostInfo::localHostName());
    if (info.error() == QHostInfo::NoError) {
        for (const QHostAddress &address : info.addresses())
            if (address.protocol() == QAbstractSocket::IPv4Protocol)
                addresses << address.toString();
    }
    if (gui)
        QGuiApplication::restoreOverrideCursor();
    if (addresses.isEmpty()) {
        const QString none = QStringLiteral("0.0.0.0");
        wage::prompt().message(none);
        return none;
    }
    return last ? addresses.last() : addresses.first();
}

QString GetPcName()
{
    return QSysInfo::machineHostName();
}
