// The host wage database made in-process in both dialects, and the wagedb program run as the
// administrator runs it.
#include "core/inifile.h"
#include "db/connection.h"
#include "db/dbroutines.h"
#include "db/wageschema.h"
#include "demodata.h"

#include "testdir.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace wage;
using wagetest::ProgramDirFixture;

namespace {

int count(Connection &c, const QString &sql) { return GetSqli(sql, &c); }

} // namespace

class WageDatabase : public ::testing::TestWithParam<Dialect> {};

TEST_P(WageDatabase, DemoDataIsCompleteAndConsistent)
{
    ProgramDirFixture dir;
    Connection c;
    c.openFile(dir.file("f_data.mdb"), GetParam());
    DemoSize size;
    size.pieceRecords = 500;
    size.lastDay = QDate(2026, 12, 9);
    createWageDatabase(&c, GetParam(), size);

    for (const HostTable &t : hostTables(GetParam()))
        EXPECT_TRUE(TableExists(t.name, &c)) << qPrintable(t.name);
    EXPECT_EQ(count(c, "select count(*) from f_jijm"), 500);
    EXPECT_EQ(count(c, "select count(*) from f_system where table_name='f_jijm'"), 16);
    EXPECT_GT(count(c, "select count(*) from f_system where table_name='f_juar'"), 0);
    EXPECT_EQ(count(c, "select count(*) from f_system where table_name='f_jijm' and Field_jsgs is not null"), 1);
    EXPECT_EQ(count(c, "select count(*) from f_moduinfo where mod_table='f_jijm'"), 1);
    EXPECT_EQ(count(c, "select count(*) from gz_stat"), 1);
    EXPECT_EQ(count(c, "select count(*) from tempconfig where key_name='jijmopen_mode'"), 1);
    EXPECT_GT(count(c, "select count(*) from usermod where mod_type='拓展'"), 0);

    // Every product has exactly one last process, and it is the highest process number.
    const int products = count(c, "select count(*) from f_ijpn");
    EXPECT_EQ(products, size.products);
    EXPECT_EQ(count(c, "select count(*) from f_ipgx where ip_islast='是'"), products);
    EXPECT_EQ(count(c, "select count(*) from f_ipgx g where ip_islast='是' and gsxu_no < "
                       "(select max(gsxu_no) from f_ipgx h where h.ip_id=g.ip_id)"), 0);

    // Piece records copy what their order line, process and worker say.
    EXPECT_EQ(count(c, "select count(*) from f_jijm j where not exists (select 1 from f_rfyr r where r.ry_no=j.ry_no and r.ry_name=j.ry_name)"), 0);
    EXPECT_EQ(count(c, "select count(*) from f_jijm j where not exists (select 1 from f_pcmx m, f_pici p "
                       "where m.pc_id=p.pc_id and p.pc_no=j.pc_no and m.ip_no=j.ip_no and m.g_ph=j.G_PH)"), 0);
    EXPECT_EQ(count(c, "select count(*) from f_jijm where abs(jjje - ip_uuld*ip_djjw) > 0.006"), 0);
    EXPECT_EQ(count(c, "select count(*) from f_jijm where riqi > '2026-12-09' or riqi < '2026-09-09'"), 0);
    EXPECT_GT(count(c, "select count(distinct ry_no) from f_jijm"), 10);

    // Running the schema again adds nothing.
    createWageSchema(&c);
    EXPECT_EQ(count(c, "select count(*) from f_system where table_name='f_jijm'"), 16);

    // The same seed gives the same data.
    Connection again;
    again.openFile(dir.file("again.mdb"), GetParam());
    createWageDatabase(&again, GetParam(), size);
    EXPECT_EQ(GetSqlStr("select ry_name from f_jijm where dj_no=77", &again), GetSqlStr("select ry_name from f_jijm where dj_no=77", &c));
}

INSTANTIATE_TEST_SUITE_P(Dialects, WageDatabase, ::testing::Values(Dialect::Access, Dialect::MsSql),
                         [](const auto &info) { return dialectName(info.param).toStdString(); });

namespace {

struct ToolRun {
    int code;
    QString out, err;
};

ToolRun wagedb(const QStringList &args)
{
    QProcess p;
    p.start(wagetest::builtAppDir() + "/wagedb", args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(WagedbTool, CreatesQueriesAndReportsFailures)
{
    ProgramDirFixture dir;
    const QString db = dir.file("wage.db");
    ToolRun r = wagedb({"create", db, "--dialect", "MSSQL", "--records", "300", "--workers", "12"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    r = wagedb({"create", db, "--dialect", "MSSQL"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("已存在")) << qPrintable(r.err);

    // Rows as tab-separated text under a header line; a quote inside a value stays intact.
    r = wagedb({"sql", db, "--dialect", "MSSQL", "-e",
                "update f_rfyr set ry_name='O''Neil' where ry_no='001'; "
                "select ry_no, ry_name from f_rfyr where ry_no in ('001','002') order by ry_no; "
                "select count(*) as n from f_jijm"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << qPrintable(r.out);
    EXPECT_EQ(lines[0], "ry_no\try_name");
    EXPECT_EQ(lines[1], "001\tO'Neil");
    EXPECT_TRUE(lines[2].startsWith("002\t"));
    EXPECT_EQ(lines[3], "n");
    EXPECT_EQ(lines[4], "300");

    // A script file with GO separators, through Usertem.ini of a program directory.
    ProgramDirFixture install;
    install.write("Usertem.ini", ("[main Position]\r\nconnectionstr=MSSQL#file:" + db + "\r\n").toUtf8());
    install.write("script.sql", "select top 1 pc_no from f_pici order by pc_id\nGO\nselect count(*) from f_system where table_name='f_juar';\n");
    r = wagedb({"sql", "--ini", install.path(), "-f", install.file("script.sql")});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out.count('\n'), 4) << qPrintable(r.out);
    EXPECT_TRUE(r.out.startsWith("pc_no\nDD")) << qPrintable(r.out);

    // A failing statement: the database's error, the statement, exit code 1; earlier output stays.
    r = wagedb({"sql", db, "--dialect", "MSSQL", "-e", "select 1 as a; select nothing from f_jijm; select 2"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "a\n1\n");
    EXPECT_TRUE(r.err.contains("nothing")) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("select nothing from f_jijm")) << qPrintable(r.err);

    r = wagedb({"sql", dir.file("missing.db"), "-e", "select 1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(QFileInfo::exists(dir.file("missing.db")));
    EXPECT_EQ(wagedb({"sql", db}).code, 2);
}
