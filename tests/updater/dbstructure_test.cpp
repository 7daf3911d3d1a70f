// The structure checks on both dialects and the one-shot script Autoupdate.ini.
#include "dbstructure.h"
#include "updaterfixture.h"

#include "core/textcodec.h"
#include "db/connection.h"
#include "db/dbroutines.h"
#include "progress/tprogress.h"
#include "testdir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

void makeHostTables(wage::Connection &c)
{
    c.execute("create table tempconfig (key_name nvarchar(50), key_index int, gridwidth nvarchar(255))");
    c.execute("create table f_sqlcase (script_name nvarchar(50), script_type nvarchar(50))");
    c.execute("create table userinfo (user_name nvarchar(50))");
}

} // namespace

TEST(CheckDatabaseStructure, AddsWhatIsMissingOnceOnBothDialects)
{
    for (const auto dialect : {wage::Dialect::Access, wage::Dialect::MsSql}) {
        wagetest::ProgramDirFixture dir;
        wage::Connection c;
        c.openFile(dir.file("f_data.mdb"), dialect);
        makeHostTables(c);
        Tprogress progress;
        const QString name = wage::dialectName(dialect);
        updater::CheckDatabaseStructure(&c, name, &progress);

        EXPECT_TRUE(GetFieldExistCon("tempconfig", "ParaStr", &c));
        EXPECT_TRUE(GetFieldExistCon("f_sqlcase", "MultiTable", &c));
        EXPECT_TRUE(GetFieldExistCon("userinfo", "Languages", &c));
        for (const char *col : {"L_ID", "L_NAME", "L_Lable", "Active", "L_FontCharset", "L_FontName"})
            EXPECT_TRUE(GetFieldExistCon("Languages", col, &c)) << col;
        for (const char *col : {"ID", "L_ID", "Module_name", "Component_Name", "Component_Type", "Component_Label",
                                "Component_Caption"})
            EXPECT_TRUE(GetFieldExistCon("LangResources", col, &c)) << col;
        // The auto-number key counts by itself.
        c.execute("insert into Languages (L_NAME) values ('中文')");
        c.execute("insert into Languages (L_NAME) values ('English')");
        EXPECT_EQ(GetSqli("select max(L_ID) from Languages", &c), 2) << name.toStdString();

        const bool server = dialect == wage::Dialect::MsSql;
        EXPECT_EQ(TableExists("F_UpdateVer", &c), server);
        EXPECT_EQ(TableExists("F_UpdateFiles", &c), server);
        EXPECT_EQ(TableExists("F_UpdateUsers", &c), server);
        if (server) {
            EXPECT_TRUE(GetFieldExistCon("F_UpdateVer", "F_Enabled", &c));
            EXPECT_TRUE(GetFieldExistCon("F_UpdateUsers", "U_OldVer", &c));
            EXPECT_TRUE(GetFieldExistCon("F_UpdateUsers", "U_PubIP", &c));
        }

        // A second start finds everything in place and adds nothing.
        c.setTracing(true);
        updater::CheckDatabaseStructure(&c, name, &progress);
        for (const QString &sql : c.trace())
            EXPECT_FALSE(sql.startsWith("alter", Qt::CaseInsensitive) || sql.startsWith("create", Qt::CaseInsensitive))
                << sql.toStdString();
    }
}

TEST(CheckDatabaseStructure, AForeignDatabaseStopsAtTheFirstColumnTest)
{
    wagetest::ProgramDirFixture dir;
    wage::Connection c;
    c.openFile(dir.file("f_data.mdb"), wage::Dialect::Access);
    Tprogress progress;
    EXPECT_ANY_THROW(updater::CheckDatabaseStructure(&c, "ACCESS", &progress));
    EXPECT_FALSE(TableExists("Languages", &c));
}

TEST(RunAutoUpdateScript, CaptionLinesRemarksAndEmptyLinesThenTheFileIsGone)
{
    wagetest::ProgramDirFixture dir;
    wage::Connection c;
    c.openFile(dir.file("f_data.mdb"), wage::Dialect::Access);
    makeHostTables(c);
    c.execute("insert into tempconfig (key_name, key_index) values ('statistics_mode', 0)");
    const QString script = QStringLiteral(
        "//正在更新参数表\r\n"
        "update tempconfig set key_index=2 where key_name='statistics_mode' [统计方式改为批次]\r\n"
        "\r\n"
        "insert into userinfo (user_name) values ('http://not-run')\r\n"
        "insert into userinfo (user_name) values ('张三')\r\n");
    dir.write("Autoupdate.ini", wage::toGbk(script));
    Tprogress progress;
    updater::RunAutoUpdateScript(&c, &progress);

    EXPECT_EQ(wage::readSwitch(&c, "statistics_mode"), 2);
    // A statement that holds "//" is a caption line and does not run.
    EXPECT_EQ(GetSqli("select count(*) from userinfo where user_name='http://not-run'", &c), 0);
    EXPECT_EQ(GetSqli("select count(*) from userinfo", &c), 1);
    EXPECT_FALSE(QFileInfo::exists(dir.file("Autoupdate.ini")));

    EXPECT_EQ(updater::ReadScriptLines("a\r\nb\r\n\r\n"), (QStringList{"a", "b", ""}));
    EXPECT_EQ(updater::ScriptStatement("update x set y=1 [note]"), "update x set y=1");
    EXPECT_EQ(updater::ScriptStatement("  update x set y=1  "), "  update x set y=1  ");
}
