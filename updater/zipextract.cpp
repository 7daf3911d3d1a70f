#include "zipextract.h"

#include "core/appdir.h"
#include "core/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QVector>

#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace updater {
namespace {

struct ZipCloser {
    void operator()(zip_t *z) const { zip_discard(z); }
};
struct ZipFileCloser {
    void operator()(zip_file_t *f) const { zip_fclose(f); }
};

// libzip gives the raw bytes of a name and, strictly, a UTF-8 form (CP437 converted unless the
// UTF-8 flag is set): the two agree on non-ASCII bytes only when the flag is set.
QString entryName(zip_t *zip, zip_uint64_t index)
{
    const char *raw = zip_get_name(zip, index, ZIP_FL_ENC_RAW);
    if (!raw)
        return {};
    const QByteArray rawBytes(raw);
    if (wage::isPlainAscii(rawBytes))
        return QString::fromLatin1(rawBytes);
    const char *strict = zip_get_name(zip, index, ZIP_FL_ENC_STRICT);
    if (strict && rawBytes == QByteArray(strict))
        return QString::fromUtf8(rawBytes);
    return wage::decodeLocalText(rawBytes);
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

struct Entry {
    QString relative;
    bool isDir = false;
    int executable = -1;   // recorded executable bit, -1 when no mode was recorded
    bool skip = false;
};

// The executable bit of a Unix mode recorded in the archive; -1 when none was recorded.
int recordedExecutable(zip_t *zip, zip_uint64_t index)
{
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(zip, index, 0, &opsys, &attributes) != 0 || opsys != ZIP_OPSYS_UNIX)
        return -1;
    const unsigned mode = (attributes >> 16) & 07777;
    if (mode == 0)
        return -1;
    return (mode & 0111) ? 1 : 0;
}

mode_t processUmask()
{
    static const mode_t mask = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return mask;
}

QFile::Permissions fromMode(mode_t mode)
{
    QFile::Permissions p;
    if (mode & 0400) p |= QFile::ReadOwner | QFile::ReadUser;
    if (mode & 0200) p |= QFile::WriteOwner | QFile::WriteUser;
    if (mode & 0100) p |= QFile::ExeOwner | QFile::ExeUser;
    if (mode & 0040) p |= QFile::ReadGroup;
    if (mode & 0020) p |= QFile::WriteGroup;
    if (mode & 0010) p |= QFile::ExeGroup;
    if (mode & 0004) p |= QFile::ReadOther;
    if (mode & 0002) p |= QFile::WriteOther;
    if (mode & 0001) p |= QFile::ExeOther;
    return p;
}

// A recorded mode is not trusted beyond its executable bit (an archive's 0777 must not make
// world-writable files); the rest is what the process gives new files. Archives made on
// Windows record nothing: the file being replaced keeps its executable bit, and a program of
// the installation stays runnable.
QFile::Permissions permissionsFor(const Entry &e, const QString &target)
{
    bool executable = e.executable == 1;
    if (e.executable < 0)
        executable = QFileInfo::exists(target) ? QFileInfo(target).isExecutable()
                                               : e.relative.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
    return fromMode((executable ? 0777 : 0666) & ~processUmask());
}

// Puts files back as they were when a later file of the package could not be installed.
struct Installation {
    struct Moved {
        QString target;
        QString saved;   // the replaced file, kept aside; empty when there was none
    };
    QList<Moved> moved;
    QStringList createdDirs;

    // The files that could not be put back (empty when the target is as before).
    QStringList rollback()
    {
        QStringList stuck;
        for (auto it = moved.crbegin(); it != moved.crend(); ++it) {
            const QByteArray target = QFile::encodeName(it->target);
            const bool ok = it->saved.isEmpty() ? ::unlink(target.constData()) == 0
                                                : std::rename(QFile::encodeName(it->saved).constData(), target.constData()) == 0;
            if (!ok)
                stuck << it->target;
        }
        for (auto it = createdDirs.crbegin(); it != createdDirs.crend(); ++it)
            QDir().rmdir(*it);
        return stuck;
    }
};

// Creates the missing folders of `path`, remembering each for a rollback.
bool makeDirs(const QString &path, Installation &done)
{
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makeDirs(parent, done))
        return false;
    if (!QDir().mkdir(path))
        return QFileInfo(path).isDir();
    done.createdDirs << path;
    return true;
}

} // namespace

QString SafeEntryPath(const QString &entryName)
{
    QString name = entryName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return {};
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':'))
        return {};
    QStringList parts;
    for (const QString &part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..") || part.contains(QLatin1Char(':')))
            return {};
        if (part == QLatin1String("."))
            continue;
        parts << part;
    }
    return parts.join(QLatin1Char('/'));
}

bool ExtractPackage(const QString &archive, const QString &targetDir, QString *error, const BeforeInstall &beforeInstall)
{
    int zerr = 0;
    std::unique_ptr<zip_t, ZipCloser> zip(
        zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &zerr));
    if (!zip) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, zerr);
        const QString reason = QString::fromUtf8(zip_error_strerror(&ze));
        zip_error_fini(&ze);
        return fail(error, QStringLiteral("升级包 %1 无法打开：%2").arg(QFileInfo(archive).fileName(), reason));
    }
    if (!QDir().mkpath(targetDir))
        return fail(error, QStringLiteral("无法创建目录 %1").arg(targetDir));

    // Staging inside the target folder keeps the final renames on one file system.
    QTemporaryDir staging(QDir(targetDir).filePath(QStringLiteral(".wage-unpack-XXXXXX")));
    if (!staging.isValid())
        return fail(error, QStringLiteral("无法在 %1 建立临时目录").arg(targetDir));

    const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    QVector<Entry> entries;
    QHash<QString, int> seen;
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    for (zip_int64_t i = 0; i < count; ++i) {
        const QString name = entryName(zip.get(), static_cast<zip_uint64_t>(i));
        const QString relative = SafeEntryPath(name);
        if (relative.isEmpty()) {
            if (name.isEmpty() || name == QLatin1String("/") || name == QLatin1String("./"))
                continue;
            return fail(error, QStringLiteral("升级包 %1 中的条目“%2”指向目录之外，已拒绝安装")
                                   .arg(QFileInfo(archive).fileName(), name));
        }
        const bool isDir = name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\'));
        // A later entry of the same name (in any case) wins, as when extracting in order.
        const QString key = relative.toLower();
        if (seen.contains(key))
            entries[seen.value(key)].skip = true;
        seen.insert(key, entries.size());
        entries.push_back({relative, isDir, recordedExecutable(zip.get(), static_cast<zip_uint64_t>(i))});
        const QString staged = staging.filePath(relative);
        if (isDir) {
            QDir().mkpath(staged);
            continue;
        }
        QDir().mkpath(QFileInfo(staged).path());
        std::unique_ptr<zip_file_t, ZipFileCloser> in(zip_fopen_index(zip.get(), static_cast<zip_uint64_t>(i), 0));
        if (!in)
            return fail(error, QStringLiteral("升级包 %1 的条目“%2”无法读取：%3")
                                   .arg(QFileInfo(archive).fileName(), name,
                                        QString::fromUtf8(zip_strerror(zip.get()))));
        QFile out(staged);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return fail(error, QStringLiteral("无法写入 %1：%2").arg(staged, out.errorString()));
        for (;;) {
            const zip_int64_t n = zip_fread(in.get(), buffer.data(), static_cast<zip_uint64_t>(buffer.size()));
            if (n < 0)
                return fail(error, QStringLiteral("升级包 %1 已损坏（条目“%2”：%3）")
                                       .arg(QFileInfo(archive).fileName(), name,
                                            QString::fromUtf8(zip_file_strerror(in.get()))));
            if (n == 0)
                break;
            if (out.write(buffer.constData(), n) != n)
                return fail(error, QStringLiteral("无法写入 %1：%2").arg(staged, out.errorString()));
        }
        if (!out.flush())
            return fail(error, QStringLiteral("无法写入 %1：%2").arg(staged, out.errorString()));
    }

    zip.reset();
    if (beforeInstall) {
        QString reason;
        if (!beforeInstall(staging.path(), &reason))
            return fail(error, reason.isEmpty() ? QStringLiteral("升级包 %1 未通过检查，未安装任何文件").arg(QFileInfo(archive).fileName())
                                                : reason);
    }

    // Everything unpacked and checked: move into place, each file by one rename; a replaced
    // file waits in a folder of its own until the whole package is in place.
    QTemporaryDir replaced(QDir(targetDir).filePath(QStringLiteral(".wage-replaced-XXXXXX")));
    if (!replaced.isValid())
        return fail(error, QStringLiteral("无法在 %1 建立临时目录").arg(targetDir));
    Installation done;
    auto abandon = [&](const QString &reason) {
        const QStringList stuck = done.rollback();
        const QString outcome = stuck.isEmpty()
            ? QStringLiteral("未安装任何文件")
            : QStringLiteral("以下文件无法恢复：%1").arg(stuck.join(QStringLiteral("，")));
        return fail(error, QStringLiteral("升级包 %1：%2，%3").arg(QFileInfo(archive).fileName(), reason, outcome));
    };
    int counter = 0;
    for (const Entry &e : entries) {
        if (e.skip)
            continue;
        const QString target = wage::resolveIn(targetDir, e.relative);
        if (e.isDir) {
            if (!makeDirs(target, done))
                return abandon(QStringLiteral("无法创建目录 %1").arg(target));
            continue;
        }
        if (!makeDirs(QFileInfo(target).path(), done))
            return abandon(QStringLiteral("无法创建目录 %1").arg(QFileInfo(target).path()));
        const QString staged = staging.filePath(e.relative);
        const QFileInfo existing(target);
        if (existing.isDir())
            return abandon(QStringLiteral("无法覆盖目录 %1").arg(target));
        QFile::setPermissions(staged, permissionsFor(e, target));
        QString keep;
        if (existing.exists() || existing.isSymLink()) {
            keep = replaced.filePath(QString::number(counter++));
            if (std::rename(QFile::encodeName(target).constData(), QFile::encodeName(keep).constData()) != 0)
                return abandon(QStringLiteral("无法替换文件 %1：%2").arg(target, QString::fromLocal8Bit(std::strerror(errno))));
        }
        if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(target).constData()) != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            if (!keep.isEmpty())
                std::rename(QFile::encodeName(keep).constData(), QFile::encodeName(target).constData());
            return abandon(QStringLiteral("无法安装文件 %1：%2").arg(target, reason));
        }
        done.moved.push_back({target, keep});
    }
    return true;
}

} // namespace updater
