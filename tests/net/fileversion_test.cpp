#include "net/fileversion.h"

#include "testdir.h"

#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {
QString fixture(const char *name) { return QStringLiteral(NET_FIXTURES "/") + QLatin1String(name); }
QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

TEST(FileVersion, ReadsWindowsAndOwnBinaries)
{
    EXPECT_EQ(wage::readFileVersion(fixture("versioned64.exe")), QStringLiteral("4.40.2.10"));
    EXPECT_EQ(wage::readFileVersion(fixture("versioned32.exe")), QStringLiteral("4.40.2.10"));
    EXPECT_EQ(wage::readFileVersion(fixture("unversioned.exe")), QString());
    EXPECT_EQ(wage::readFileVersion(QStringLiteral(KILLAPP_PROBE)), QStringLiteral("7.6.5.4"));
    EXPECT_EQ(wage::readFileVersion(wagetest::builtAppDir() + QStringLiteral("/Alert.dll")), QStringLiteral("1.0.0.0"));
    // An ELF file without the section (the shared library itself) has no version.
    EXPECT_EQ(wage::readFileVersion(wagetest::builtAppDir() + QStringLiteral("/libwageshared.so")), QString());
}

TEST(FileVersion, GetBuildVersionLooksInTheProgramDirectory)
{
    wagetest::ProgramDirFixture dir;
    dir.write(QStringLiteral("wagemain.exe"), bytesOf(fixture("versioned64.exe")));
    EXPECT_EQ(GetBuildVersion(QStringLiteral("WAGEMAIN.EXE")), QStringLiteral("4.40.2.10"));
    EXPECT_EQ(GetBuildVersion(QStringLiteral("missing.exe")), QString());
    // The running test program carries no version.
    EXPECT_EQ(GetBuildVersion(QString()), QString());
}

TEST(FileVersion, DamagedFilesGiveEmptyNeverACrash)
{
    const QByteArray pe = bytesOf(fixture("versioned64.exe"));
    const QByteArray elf = bytesOf(QStringLiteral(KILLAPP_PROBE));
    ASSERT_FALSE(pe.isEmpty());
    ASSERT_FALSE(elf.isEmpty());
    auto versionOf = [](const QByteArray &bytes) { return wage::fileVersionOf(bytes); };
    EXPECT_EQ(versionOf(pe), QStringLiteral("4.40.2.10"));
    EXPECT_EQ(versionOf(elf), QStringLiteral("7.6.5.4"));
    EXPECT_EQ(versionOf(QByteArray()), QString());
    EXPECT_EQ(versionOf("MZ"), QString());
    EXPECT_EQ(versionOf("\x7F" "ELF\x02\x01"), QString());
    EXPECT_EQ(versionOf(QByteArray(4096, '\xFF')), QString());
    // Truncations: the version where it survives the cut, else nothing; never anything else.
    for (int size = 0; size < pe.size(); ++size) {
        const QString v = versionOf(pe.left(size));
        EXPECT_TRUE(v.isEmpty() || v == QLatin1String("4.40.2.10")) << size;
        if (size < pe.size() / 4)
            EXPECT_TRUE(v.isEmpty()) << size;
    }
    // Section headers close an ELF file: any cut loses them.
    for (int size = 0; size < elf.size(); size += qMax(1, elf.size() / 2000))
        EXPECT_EQ(versionOf(elf.left(size)), QString()) << size;
    // Random damage inside the headers and the resource tree.
    QRandomGenerator random(2026);
    for (int round = 0; round < 2000; ++round) {
        QByteArray damaged = pe;
        for (int k = 0; k < 4; ++k)
            damaged[int(random.bounded(damaged.size()))] = char(random.bounded(256));
        versionOf(damaged);
    }
    SUCCEED();
}
