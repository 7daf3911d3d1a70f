// Report packages into f_sqlcase: inserted and updated definitions, the kinds by section, the
// content files, the section erased afterwards, and definitions that lack a table.
#include "reportimport.h"

#include "core/prompt.h"
#include "core/textcodec.h"
#include "core/wageerror.h"
#include "db/connection.h"
#include "testdir.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using updater::ImportReportSection;
using updater::InvalidDefinition;

namespace {

struct ReportFixture : ::testing::Test {
    wagetest::ProgramDirFixture dir;
    wage::Connection db;
    wage::ScopedScriptedPrompt prompt;

    void SetUp() override
    {
        db.openFile(dir.file("wage.db"), wage::Dialect::MsSql);
        db.execute("create table f_sqlcase (script_type nvarchar(20), script_table nvarchar(40), table_caption nvarchar(40),"
                   " script_name nvarchar(60), Script_index int, Script_active bit, Script image, report image,"
                   " index_name nvarchar(20), notes nvarchar(100), MultiTable bit)");
    }
    void ini(const QString &text) { dir.write("Report/Report.ini", wage::toGbk(text)); }
    QVariant cell(const QString &name, const QString &column)
    {
        const auto r = db.query("select " + column + " from f_sqlcase where script_name='" + name + "'");
        return r.rows.isEmpty() ? QVariant() : r.rows.first().first();
    }
    int rows(const QString &name) { return db.query("select * from f_sqlcase where RTrim(script_name)='" + name + "'").rows.size(); }
};

} // namespace

TEST_F(ReportFixture, InsertsUpdatesAndLeavesDefinitionsAsTheirFlagsSay)
{
    db.execute("insert into f_sqlcase (script_name,script_table,Script,report) values ('旧报表','f_old','old-sql','old-layout')");
    db.execute("insert into f_sqlcase (script_name,script_table,Script) values ('只两项','f_two','two-sql')");
    db.execute("insert into f_sqlcase (script_name) values ('重复')");
    db.execute("insert into f_sqlcase (script_name) values ('重复  ')");
    ini(QStringLiteral("[public]\n月报=月度报表,f_jijm,1\n旧报表=旧,f_old,0\n只两项=两项,f_two\n重复=重复,f_x,1\n"
                       "[private]\n会员=会员表,f_rfyr,0\n排序=排序表,f_a,0,,7\n[Other]\n杂项=杂项,f_pici,0\n指定=指定,f_pici,0,自定义\n"
                       "[keep]\nx=1,2\n"));
    dir.write("Report/月报P", "select 1");
    dir.write("Report/月报", "layout-1");
    dir.write("Report/旧报表P", "new-sql");
    dir.write("Report/只两项", "new-layout");
    dir.write("Report/会员", "member-layout");
    for (const QString &section : updater::ReportSections())
        ImportReportSection(&db, section, InvalidDefinition::Fail, nullptr);

    // New with flag 1: inserted, then updated a second time with the same files.
    EXPECT_EQ(cell("月报", "script_type").toString(), QStringLiteral("报表脚本"));
    EXPECT_EQ(cell("月报", "table_caption").toString(), QStringLiteral("月度报表"));
    EXPECT_EQ(cell("月报", "script_table").toString(), QStringLiteral("f_jijm"));
    EXPECT_EQ(cell("月报", "Script").toByteArray(), QByteArray("select 1"));
    EXPECT_EQ(cell("月报", "report").toByteArray(), QByteArray("layout-1"));
    // Existing rows with flag 0 or only two fields stay as they were; duplicates get nothing.
    EXPECT_EQ(cell("旧报表", "Script").toByteArray(), QByteArray("old-sql"));
    EXPECT_EQ(cell("只两项", "report").toByteArray(), QByteArray());
    EXPECT_EQ(rows("重复"), 2);
    // Kinds: section default, none for "Other", field 3 when given; field 4 is the order.
    EXPECT_EQ(cell("会员", "script_type").toString(), QStringLiteral("会员报表"));
    EXPECT_EQ(cell("排序", "script_type").toString(), QString()) << "an empty field 3 is still field 3";
    EXPECT_EQ(cell("排序", "Script_index").toInt(), 7);
    EXPECT_TRUE(cell("会员", "Script").isNull()) << "no content file: NULL";
    EXPECT_EQ(cell("杂项", "script_type").toString(), QString());
    EXPECT_EQ(cell("指定", "script_type").toString(), QStringLiteral("自定义"));

    EXPECT_EQ(prompt.texts(), (QStringList{QStringLiteral("新增报表脚本:月报"), QStringLiteral("月报  已更新"),
                                           QStringLiteral("新增会员报表:会员"), QStringLiteral("新增:排序"),
                                           QStringLiteral("新增:杂项"),
                                           QStringLiteral("新增自定义:指定")}));
    // Content files are gone, the imported sections erased; another section stays.
    for (const char *file : {"Report/月报P", "Report/月报", "Report/旧报表P", "Report/只两项", "Report/会员"})
        EXPECT_FALSE(QFileInfo::exists(dir.file(file))) << file;
    const QString rest = wage::fromGbk(dir.read("Report/Report.ini"));
    EXPECT_FALSE(rest.contains("public"));
    EXPECT_FALSE(rest.contains("月报"));
    EXPECT_TRUE(rest.contains("[keep]"));

    // A second run finds nothing to do.
    prompt.shown.clear();
    const int before = db.query("select * from f_sqlcase").rows.size();
    for (const QString &section : updater::ReportSections())
        ImportReportSection(&db, section, InvalidDefinition::Fail, nullptr);
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(db.query("select * from f_sqlcase").rows.size(), before);
}

TEST_F(ReportFixture, DefinitionWithoutTableFailsOrIsSkipped)
{
    const QString text = QStringLiteral("[public]\n甲=甲表,f_a,0\n坏=只有标题\n乙=乙表,f_b,0\n");
    ini(text);
    dir.write("Report/坏P", "kept");
    try {
        ImportReportSection(&db, "public", InvalidDefinition::Fail, nullptr);
        FAIL() << "no error";
    } catch (const WageError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("坏")));
    }
    EXPECT_EQ(rows("甲"), 1);
    EXPECT_EQ(rows("乙"), 0) << "the import of the section ends at the bad definition";
    EXPECT_TRUE(wage::fromGbk(dir.read("Report/Report.ini")).contains("[public]"));

    // The update action's way: logged, left alone, the others imported.
    ImportReportSection(&db, "public", InvalidDefinition::Skip, nullptr);
    EXPECT_EQ(rows("乙"), 1);
    EXPECT_EQ(rows("坏"), 0);
    EXPECT_TRUE(QFileInfo::exists(dir.file("Report/坏P")));
    EXPECT_TRUE(wage::fromGbk(dir.read("Error.Log")).contains(QStringLiteral("坏=只有标题")));
}

TEST_F(ReportFixture, NamesAreQuotedAndNeverReachOutsideTheFolder)
{
    dir.write("secret", "outside");
    ini(QStringLiteral("[public]\nO'Brien=报表,f_a,1\n../secret=x,f_b,1\n"));
    dir.write("Report/O'BrienP", "sql");
    ImportReportSection(&db, "public", InvalidDefinition::Fail, nullptr);
    EXPECT_EQ(db.query("select Script from f_sqlcase where script_name='O''Brien'").rows.value(0).value(0).toByteArray(),
              QByteArray("sql"));
    EXPECT_EQ(dir.read("secret"), QByteArray("outside"));
}
