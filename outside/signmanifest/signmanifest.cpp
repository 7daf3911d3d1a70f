#include "signmanifest.h"

#include "manifest.h"

#include "core/appdir.h"
#include "net/signature.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace vendor {
namespace {

// The manifest's bytes as Latin-1 text: every byte one character, so that editing the ASCII
// tags leaves GBK or UTF-8 text around them untouched.
QByteArray setElement(const QByteArray &document, const QString &after, const QString &key, const QString &value)
{
    QString text = QString::fromLatin1(document);
    const QString element = QStringLiteral("<%1>%2</%1>").arg(key, value);
    const QRegularExpression existing(QStringLiteral("<%1>[^<]*</%1>").arg(QRegularExpression::escape(key)));
    if (text.contains(existing)) {
        text.replace(existing, element);
        return text.toLatin1();
    }
    const QString close = QStringLiteral("</%1>").arg(after);
    int at = text.indexOf(close);
    if (at >= 0) {
        at += close.size();
    } else {
        // After the last child: before the root element's end tag.
        at = text.lastIndexOf(QStringLiteral("</"));
        if (at < 0)
            return document;
    }
    text.insert(at, element);
    return text.toLatin1();
}

} // namespace

QByteArray WithPackageHashes(const QByteArray &manifest, const QString &filesDir, QStringList *missing)
{
    const QString upPath = updater::ManifestValueOf(manifest, QStringLiteral("UpPath")).trimmed();
    auto packagePath = [&](const QString &name) {
        QString relative = upPath.isEmpty() ? name : upPath + QLatin1Char('/') + name;
        relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return wage::resolveIn(filesDir, relative);
    };
    QList<QPair<QString, QString>> files;   // file key, file name
    static const QRegularExpression fileKeys(QStringLiteral("<((?:UpFile|UpDataFile)\\d+)>"));
    auto it = fileKeys.globalMatch(QString::fromLatin1(manifest));
    while (it.hasNext()) {
        const QString key = it.next().captured(1);
        const QString name = updater::ManifestValueOf(manifest, key).trimmed();
        if (!name.isEmpty())
            files.append({key, name});
    }
    if (!updater::ManifestValueOf(manifest, QStringLiteral("UpdateVer")).trimmed().isEmpty())
        files.append({QStringLiteral("Update"), QStringLiteral("Update.zip")});

    QByteArray out = manifest;
    for (const auto &file : files) {
        const QString path = packagePath(file.second);
        if (!QFileInfo(path).isFile()) {
            // "UpdateVer" alone does not promise a new updater: without Update.zip nothing to hash.
            if (missing && file.first != QLatin1String("Update"))
                missing->append(file.second);
            continue;
        }
        const QString after = file.first == QLatin1String("Update") ? QStringLiteral("UpdateVer") : file.first;
        out = setElement(out, after, updater::HashKeyOf(file.first), wage::sha256FileHex(path));
    }
    return out;
}

} // namespace vendor
