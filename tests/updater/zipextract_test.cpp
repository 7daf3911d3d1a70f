// Extraction of update packages: folders, GBK names, overwriting, and archives that must
// install nothing.
#include "ziptools.h"
#include "zipextract.h"

#include "core/textcodec.h"
#include "testdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

using updater::ExtractPackage;
using updatertest::makeZip;
using updatertest::ZipEntry;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesUnder(const QString &dir)
{
    QStringList out;
    QDir d(dir);
    for (const QFileInfo &fi : d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
        out << fi.fileName();
        if (fi.isDir())
            for (const QString &child : filesUnder(fi.filePath()))
                out << fi.fileName() + QLatin1Char('/') + child;
    }
    return out;
}

} // namespace

TEST(ExtractPackage, InstallsFoldersGbkAndUtf8NamesOverwritingWithoutRegardToCase)
{
    wagetest::ProgramDirFixture dir;
    dir.write("WAGEMAIN.EXE", "old host");
    dir.write("Report/keep.txt", "kept");
    const QString archive = dir.file("pkg.zip");
    ASSERT_TRUE(makeZip(archive, {
        {"Report/", {}},
        {wage::toGbk(QStringLiteral("报表/工资单.txt")), "gbk content"},
        {QStringLiteral("说明.txt").toUtf8(), "utf8 content", true},
        {"wagemain.exe", "new host", false, 0755},
        {"Plugins\\ordmon.dll", "plugin"},
    }));

    QString error;
    ASSERT_TRUE(ExtractPackage(archive, dir.path(), &error)) << error.toStdString();
    EXPECT_EQ(readAll(dir.file(QStringLiteral("报表/工资单.txt"))), "gbk content");
    EXPECT_EQ(readAll(dir.file(QStringLiteral("说明.txt"))), "utf8 content");
    // The existing file of another case is the one replaced; no second copy appears.
    EXPECT_EQ(readAll(dir.file("WAGEMAIN.EXE")), "new host");
    EXPECT_FALSE(QFileInfo::exists(dir.file("wagemain.exe")));
    EXPECT_TRUE(QFileInfo(dir.file("WAGEMAIN.EXE")).isExecutable());
    EXPECT_EQ(readAll(dir.file("Plugins/ordmon.dll")), "plugin");
    EXPECT_EQ(readAll(dir.file("Report/keep.txt")), "kept");
    // Nothing of the staging is left behind.
    for (const QString &name : filesUnder(dir.path()))
        EXPECT_FALSE(name.startsWith(QLatin1String(".wage-unpack"))) << name.toStdString();
}

TEST(ExtractPackage, RefusesEntriesThatLeaveTheTargetAndInstallsNothing)
{
    const char *evil[] = {"../evil.txt", "/tmp/evil.txt", "C:/evil.txt", "C:evil.txt", "a/../../evil.txt",
                          "..\\evil.txt"};
    for (const char *name : evil) {
        wagetest::ProgramDirFixture dir;
        const QString target = dir.file("target");
        QDir().mkpath(target);
        const QString archive = dir.file("evil.zip");
        ASSERT_TRUE(makeZip(archive, {{"good.txt", "good"}, {name, "evil"}})) << name;
        QString error;
        EXPECT_FALSE(ExtractPackage(archive, target, &error)) << name;
        EXPECT_TRUE(error.contains(QStringLiteral("拒绝"))) << error.toStdString();
        EXPECT_TRUE(filesUnder(target).isEmpty()) << name << " left " << filesUnder(target).join(',').toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.file("evil.txt"))) << name;
    }
    EXPECT_EQ(updater::SafeEntryPath("./a//b\\c.txt"), "a/b/c.txt");
}

TEST(ExtractPackage, CorruptOrTruncatedArchiveInstallsNothing)
{
    wagetest::ProgramDirFixture dir;
    dir.write("a.txt", "original a");
    const QString archive = dir.file("pkg.zip");
    QByteArray big(200000, 'x');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char('a' + (i * 7919) % 26);
    ASSERT_TRUE(makeZip(archive, {{"a.txt", "new a"}, {"b.bin", big}}));
    const QByteArray whole = readAll(archive);

    // Truncated: the central directory is gone.
    dir.write("cut.zip", whole.left(whole.size() / 2));
    // Damaged data: bytes in the middle of the second entry's data flipped, the directory intact.
    QByteArray damaged = whole;
    for (int i = 0; i < 64; ++i)
        damaged[whole.size() / 2 + i] = char(~damaged[whole.size() / 2 + i]);
    dir.write("damaged.zip", damaged);
    dir.write("notzip.zip", "this is not an archive");

    for (const char *name : {"cut.zip", "damaged.zip", "notzip.zip"}) {
        QString error;
        EXPECT_FALSE(ExtractPackage(dir.file(name), dir.path(), &error)) << name;
        EXPECT_FALSE(error.isEmpty()) << name;
        EXPECT_EQ(readAll(dir.file("a.txt")), "original a") << name;
        EXPECT_FALSE(QFileInfo::exists(dir.file("b.bin"))) << name;
    }
}

TEST(ExtractPackage, AFileThatCannotBePutInPlaceUndoesTheWholePackage)
{
    wagetest::ProgramDirFixture dir;
    dir.write("new1.txt", "original 1");
    // A folder where the package has a file: that entry cannot be written.
    dir.write("blocked.txt/inside.txt", "x");
    const QString archive = dir.file("pkg.zip");
    ASSERT_TRUE(makeZip(archive, {{"new1.txt", "new 1"}, {"sub/added.txt", "added"}, {"blocked.txt", "b"}, {"new2.txt", "new 2"}}));
    QString error;
    EXPECT_FALSE(ExtractPackage(archive, dir.path(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("未安装任何文件"))) << error.toStdString();
    EXPECT_TRUE(error.contains("blocked.txt")) << error.toStdString();
    EXPECT_EQ(readAll(dir.file("new1.txt")), "original 1");
    EXPECT_FALSE(QFileInfo::exists(dir.file("sub")));
    EXPECT_FALSE(QFileInfo::exists(dir.file("new2.txt")));
    EXPECT_EQ(readAll(dir.file("blocked.txt/inside.txt")), "x");
    for (const QString &name : filesUnder(dir.path()))
        EXPECT_FALSE(name.startsWith(QLatin1String(".wage-unpack"))) << name.toStdString();
}

TEST(ExtractPackage, RecordedModesKeepOnlyTheExecutableBit)
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    struct Case {
        const char *name;
        unsigned recorded;
        bool executable;
    } cases[] = {{"open.txt", 0777, true}, {"plain.txt", 0666, false}, {"tool", 0755, true}, {"secret.txt", 0600, false}};
    wagetest::ProgramDirFixture dir;
    QList<ZipEntry> entries;
    for (const Case &c : cases)
        entries.append({c.name, "x", false, c.recorded});
    ASSERT_TRUE(makeZip(dir.file("pkg.zip"), entries));
    ASSERT_TRUE(ExtractPackage(dir.file("pkg.zip"), dir.path()));
    for (const Case &c : cases) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(dir.file(c.name)).constData(), &st), 0) << c.name;
        EXPECT_EQ(st.st_mode & 0777, (c.executable ? 0777u : 0666u) & ~unsigned(mask)) << c.name;
    }
}
