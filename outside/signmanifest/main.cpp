// signmanifest: the vendor's side of signed updates.
//
//   signmanifest keygen <private key file>      new Ed25519 key (PEM); prints the public key
//   signmanifest pubkey <private key file>      prints the public key (the UpdateKey value)
//   signmanifest sign <manifest> --key <private key file> [--files <folder>]
//       writes the packages' SHA-256 into the manifest and its signature to <manifest>.sig;
//       the packages are looked up under <folder> (default: the manifest's folder) and UpPath.
#include "signmanifest.h"

#include "manifest.h"

#include "net/signature.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: signmanifest keygen <private key file>\n"
                 "       signmanifest pubkey <private key file>\n"
                 "       signmanifest sign <manifest> --key <private key file> [--files <folder>]\n");
    return 2;
}

int fail(const QString &text)
{
    std::fprintf(stderr, "signmanifest: %s\n", text.toUtf8().constData());
    return 1;
}

bool readFile(const QString &path, QByteArray *bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    *bytes = f.readAll();
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes, QFile::Permissions permissions = {})
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        return false;
    if (permissions != QFile::Permissions())
        QFile::setPermissions(path, permissions);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString command = args.at(0);
    if (command == QLatin1String("keygen")) {
        if (QFileInfo::exists(args.at(1)))
            return fail(QStringLiteral("%1 已存在，不会覆盖").arg(args.at(1)));
        const wage::Ed25519KeyPair pair = wage::generateEd25519KeyPair();
        if (pair.privatePem.isEmpty() || !writeFile(args.at(1), pair.privatePem, QFile::ReadOwner | QFile::WriteOwner))
            return fail(QStringLiteral("无法写入私钥 %1").arg(args.at(1)));
        std::printf("%s\n", pair.publicKeyBase64.toLatin1().constData());
        return 0;
    }
    if (command == QLatin1String("pubkey")) {
        QByteArray key;
        if (!readFile(args.at(1), &key))
            return fail(QStringLiteral("无法读取 %1").arg(args.at(1)));
        const QString pub = wage::publicKeyOf(key);
        if (pub.isEmpty())
            return fail(QStringLiteral("%1 不是Ed25519私钥").arg(args.at(1)));
        std::printf("%s\n", pub.toLatin1().constData());
        return 0;
    }
    if (command != QLatin1String("sign"))
        return usage();
    const QString manifestPath = args.at(1);
    QString keyPath;
    QString filesDir = QFileInfo(manifestPath).absolutePath();
    for (int i = 2; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--key"))
            keyPath = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--files"))
            filesDir = args.at(i + 1);
        else
            return usage();
    }
    if (keyPath.isEmpty())
        return usage();
    QByteArray manifest, key;
    if (!readFile(manifestPath, &manifest))
        return fail(QStringLiteral("无法读取 %1").arg(manifestPath));
    if (!readFile(keyPath, &key))
        return fail(QStringLiteral("无法读取 %1").arg(keyPath));
    QStringList missing;
    QByteArray signedManifest;
    try {
        signedManifest = vendor::WithPackageHashes(manifest, filesDir, &missing);
    } catch (const WageError &e) {
        return fail(e.message());
    }
    if (!missing.isEmpty())
        return fail(QStringLiteral("找不到升级包：%1").arg(missing.join(QStringLiteral(", "))));
    QString error;
    const QByteArray signature = wage::signEd25519(key, signedManifest, &error);
    if (signature.isEmpty())
        return fail(error);
    if (!writeFile(manifestPath, signedManifest) || !writeFile(updater::SignatureName(manifestPath), signature + "\n"))
        return fail(QStringLiteral("无法写入 %1").arg(manifestPath));
    std::printf("%s: %s\n", manifestPath.toUtf8().constData(), "签名完成");
    return 0;
}
