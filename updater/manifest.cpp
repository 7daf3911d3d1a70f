#include "manifest.h"

#include "core/textcodec.h"
#include "core/wageerror.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace updater {

QString ManifestName(const QString &dialect)
{
    return dialect == QLatin1String("MSSQL") ? QStringLiteral("SqlServer.xml") : QStringLiteral("Access.xml");
}

QString SignatureName(const QString &manifestName)
{
    return manifestName + QStringLiteral(".sig");
}

QString HashKeyOf(const QString &fileKey)
{
    return fileKey + QStringLiteral("SHA256");
}

QString DecodeXmlDocument(const QByteArray &document)
{
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([A-Za-z0-9._-]+)[\"']"));
    const QString head = QString::fromLatin1(document.left(200));
    const QString encoding = declaration.match(head).captured(1).toLower();
    QByteArray bytes = document;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    if (encoding.startsWith(QLatin1String("gb")) || encoding == QLatin1String("cp936"))
        return wage::fromGbk(bytes);
    if (encoding.isEmpty() || encoding == QLatin1String("utf-8") || encoding == QLatin1String("utf8"))
        return wage::decodeLocalText(bytes);
    QStringDecoder decoder(encoding.toLatin1().constData());
    if (decoder.isValid())
        return decoder.decode(bytes);
    return wage::decodeLocalText(bytes);
}

QString ManifestValueOf(const QByteArray &document, const QString &key)
{
    const QString text = DecodeXmlDocument(document);
    QXmlStreamReader xml(text);
    QString value;
    int depth = 0;
    bool inKey = false;
    bool keyHasChildren = false;
    bool found = false;
    QString current;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 2 && !found && xml.name().toString() == key) {
                inKey = true;
                keyHasChildren = false;
                current.clear();
            } else if (inKey && depth > 2) {
                keyHasChildren = true;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (inKey && depth == 2) {
                inKey = false;
                found = true;
                value = keyHasChildren ? QString() : current;
            }
            --depth;
        } else if (inKey && depth == 2 && (token == QXmlStreamReader::Characters)) {
            current += xml.text();
        }
    }
    if (xml.hasError())
        throw WageError(QStringLiteral("升级配置文件不是有效的XML文档（第%1行：%2）")
                            .arg(xml.lineNumber())
                            .arg(xml.errorString()));
    return value;
}

} // namespace updater
