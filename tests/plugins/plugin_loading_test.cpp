// Loading: the exact identities of the built plug-ins, the libraries a host must skip, and the
// host program itself run as a process.
#include "pluginhost.h"
#include "testdir.h"

#include "core/textcodec.h"
#include "db/connection.h"
#include "net/fileversion.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <gtest/gtest.h>

using namespace wagetest;

namespace {

QString pluginsDir() { return builtAppDir() + QStringLiteral("/Plugins"); }

// A program directory whose Plugins/ holds the five real plug-ins and the broken libraries.
void fillPlugins(const ProgramDirFixture &dir)
{
    QDir().mkpath(dir.file(QStringLiteral("Plugins")));
    for (const char *name : {"ordmon", "priceadj", "pieceopt", "estprice", "batchpiece"}) {
        const QString file = QString::fromLatin1(name) + QStringLiteral(".dll");
        QFile::link(pluginsDir() + QLatin1Char('/') + file, dir.file(QStringLiteral("Plugins/") + file));
    }
    for (const char *name : {"noexports.dll", "emptycaption.dll", "nocomma.dll"})
        QFile::copy(QStringLiteral(WAGE_BROKEN_LIBS "/") + QLatin1String(name),
                    dir.file(QStringLiteral("Plugins/") + QLatin1String(name)));
    dir.write(QStringLiteral("Plugins/readme.dll"), "not a library");
}

QStringList errorLogLines(const ProgramDirFixture &dir)
{
    return wage::fromGbk(dir.read(QStringLiteral("Error.Log"))).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

} // namespace

TEST(PluginExports, GetCaptionReturnsTheGbkIdentity)
{
    const struct {
        const char *name;
        QByteArray gbk;
    } cases[] = {
        {"ordmon", "\xb6\xa9\xb5\xa5\xbc\xe0\xbf\xd8,f_pici"},
        {"priceadj", "\xb5\xf7\xd5\xfb\xb9\xa4\xbc\xdb,f_jijm"},
        {"pieceopt", "\xd1\xa1\xcf\xee\xc9\xe8\xd6\xc3,f_jijm"},
        {"estprice", "\xd4\xa4\xb9\xc0\xb9\xa4\xbc\xdb,f_ijpn"},
        {"batchpiece", "\xc5\xfa\xc1\xbf\xd0\xc2\xd4\xf6,f_juar"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QLibrary library(pluginsDir() + QLatin1Char('/') + QLatin1String(c.name) + QStringLiteral(".dll"));
        ASSERT_TRUE(library.load()) << library.errorString().toStdString();
        auto caption = reinterpret_cast<const char *(*)()>(library.resolve("GetCaption"));
        ASSERT_NE(caption, nullptr);
        ASSERT_NE(library.resolve("ShowDLLForm"), nullptr);
        ASSERT_NE(library.resolve("CloseMyform"), nullptr);
        const char *identity = caption();
        EXPECT_EQ(QByteArray(identity, c.gbk.size() + 1), c.gbk + QByteArray(1, '\0'));
        EXPECT_EQ(caption(), identity);   // one constant text
        EXPECT_EQ(wage::readFileVersion(library.fileName()), QStringLiteral(WAGE_PROJECT_VERSION));
    }
}

TEST(PluginLoading, BrokenLibrariesAreSkippedWithAnErrorLogLine)
{
    ProgramDirFixture dir;
    fillPlugins(dir);
    host::PluginHost host;
    host.loadAll(dir.file(QStringLiteral("Plugins")));
    QStringList loaded;
    for (const host::LoadedPlugin &p : host.plugins())
        loaded << p.caption + QLatin1Char(',') + p.table;
    EXPECT_EQ(loaded, QStringList({QStringLiteral("批量新增,f_juar"), QStringLiteral("预估工价,f_ijpn"),
                                   QStringLiteral("订单监控,f_pici"), QStringLiteral("选项设置,f_jijm"),
                                   QStringLiteral("调整工价,f_jijm")}));
    const QStringList log = errorLogLines(dir);
    ASSERT_EQ(log.size(), 4) << log.join(QLatin1Char('\n')).toStdString();
    for (const char *name : {"emptycaption.dll", "nocomma.dll", "noexports.dll", "readme.dll"})
        EXPECT_EQ(log.filter(QLatin1String(name)).size(), 1) << name;
}

TEST(HostProgram, ListsWhatLoadedAndRunsAModuleFunction)
{
    ProgramDirFixture dir;
    fillPlugins(dir);
    const QString program = builtAppDir() + QStringLiteral("/wagemain.exe");
    EXPECT_EQ(wage::readFileVersion(program), QStringLiteral(WAGE_HOST_VERSION));

    QProcess list;
    list.start(program, {QStringLiteral("--list-plugins"), QStringLiteral("--program-dir"), dir.path()});
    ASSERT_TRUE(list.waitForFinished(30000));
    EXPECT_EQ(list.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 5);
    EXPECT_EQ(lines.filter(QStringLiteral("订单监控,f_pici\t")).size(), 1);
    EXPECT_EQ(errorLogLines(dir).size(), 4);

    // A module with a plug-in function opened from the command line; the host ends by itself.
    dir.write(QStringLiteral("Usertem.ini"), wage::toGbk(QStringLiteral("[main Position]\r\nconnectionstr=ACCESS\r\n")));
    {
        wage::Connection db;
        db.openFile(dir.file(QStringLiteral("f_data.mdb")), wage::Dialect::Access);
        db.execute(QStringLiteral("create table f_pici (pc_id int, pc_no nvarchar(20))"));
        db.execute(QStringLiteral("create table f_pcmx (pc_id int, ip_no nvarchar(20))"));
        db.execute(QStringLiteral("create table f_moduinfo (mod_table nvarchar(20), opensql nvarchar(255))"));
        db.execute(QStringLiteral("create table f_juar (ry_no nvarchar(20), ry_name nvarchar(20))"));
    }
    QProcess run;
    const QString shot = dir.file(QStringLiteral("host.png"));
    run.start(program, {QStringLiteral("系统管理员"), QStringLiteral("f_juar"), QStringLiteral("批量新增"),
                        QStringLiteral("--exit-after"), QStringLiteral("300"), QStringLiteral("--grab"), shot,
                        QStringLiteral("--program-dir"), dir.path()});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(shot));
    EXPECT_EQ(errorLogLines(dir).size(), 8);   // the broken libraries once more, nothing else
}
