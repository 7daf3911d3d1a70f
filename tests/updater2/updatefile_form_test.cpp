// Versions and packages stored in the database, and the window "升级文档管理" over them.
#include "lanfixture.h"
#include "lansync.h"
#include "updatefile_form.h"

#include "core/prompt.h"
#include "db/dataset.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "testdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

struct StoreFixture : ::testing::Test {
    wagetest::ProgramDirFixture dir;
    wage::Connection db;
    wage::ScopedScriptedPrompt prompt;
    void SetUp() override
    {
        db.openDescription(QStringLiteral("MSSQL#file:") + dir.file("wage.db"), QString());
        lantest::createUpdateTables(&db);
    }
    int count(const QString &sql) { return GetSqli(sql, &db); }
};

} // namespace

TEST_F(StoreFixture, AVersionIsEnabledAloneOnceItsPackagesAreStoredAndRegisteredOnlyOnce)
{
    EXPECT_EQ(updater::RegisterVersion(&db, "ACCESS", "4.40.3.1"), 1);
    EXPECT_EQ(count("select count(*) from F_UpdateVer"), 0) << "nothing stored for Access";

    const int first = updater::RegisterVersion(&db, "MSSQL", "4.40.3.1");
    EXPECT_GT(first, 0);
    updater::EnableVersion(&db, "MSSQL", first);
    const int second = updater::RegisterVersion(&db, "MSSQL", "4.40.3.2");
    EXPECT_GT(second, first);
    // Registered, packages not stored yet: the workstations still see the previous version.
    EXPECT_EQ(GetSqli("select F_id from F_UpdateVer where F_Enabled=1", &db), first);
    updater::EnableVersion(&db, "MSSQL", second);
    EXPECT_EQ(GetSqlStr("select F_App_ver from F_UpdateVer where F_Enabled=1", &db), QStringLiteral("4.40.3.2"));
    EXPECT_EQ(count("select count(*) from F_UpdateVer where F_Enabled=1"), 1);

    EXPECT_EQ(updater::RegisterVersion(&db, "MSSQL", "4.40.3.1"), 0);
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("服务器已更新。")});
    EXPECT_EQ(count("select count(*) from F_UpdateVer"), 2);

    // A registration left unfinished (cut off before its last package) is made anew, its
    // stored packages dropped.
    const int cut = updater::RegisterVersion(&db, "MSSQL", "4.40.4.0");
    db.execute("insert into F_UpdateFiles (F_id,F_name) values (" + QString::number(cut) + ",'pkg1.zip')");
    const int again = updater::RegisterVersion(&db, "MSSQL", "4.40.4.0");
    EXPECT_GT(again, cut);
    EXPECT_EQ(count("select count(*) from F_UpdateVer where F_App_ver='4.40.4.0'"), 1);
    EXPECT_EQ(count("select count(*) from F_UpdateFiles"), 0);
    EXPECT_EQ(prompt.texts().size(), 1);
}

TEST_F(StoreFixture, PackagesAreStoredWithNameSizeAndBytes)
{
    const QByteArray bytes(3000, 'z');
    dir.write("包 1.zip", bytes);
    updater::StorePackageFile(&db, "MSSQL", 7, dir.file("包 1.zip"), QStringLiteral("说明'一"));
    updater::StorePackageFile(&db, "ACCESS", 7, dir.file("包 1.zip"), QString());
    const auto r = db.query("select F_id,F_name,F_size,F_Content,F_File from F_UpdateFiles");
    ASSERT_EQ(r.rows.size(), 1);
    EXPECT_EQ(r.rows[0][0].toInt(), 7);
    EXPECT_EQ(r.rows[0][1].toString(), QStringLiteral("包 1.zip"));
    EXPECT_EQ(r.rows[0][2].toString(), QStringLiteral("2Kb"));
    EXPECT_EQ(r.rows[0][3].toString(), QStringLiteral("说明'一"));
    EXPECT_EQ(r.rows[0][4].toByteArray(), bytes);
}

TEST_F(StoreFixture, DocumentManagementWindow)
{
    updater::PrepareDocumentManagement(&db);
    updater::PrepareDocumentManagement(&db);
    for (const char *column : {"F_id", "U_IP", "U_Computer"})
        EXPECT_TRUE(GetFieldExistCon("F_UpdateUsers", column, &db)) << column;
    updater::RegisterVersion(&db, "MSSQL", "4.40.2.10");

    TUpdateFile form(&db);
    form.openQueries();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("升级文档管理"));
    QStringList captions;
    for (QToolButton *b : {form.ToolButton3, form.ToolButton1, form.ToolButton2, form.ToolButton4})
        captions << b->text();
    EXPECT_EQ(captions, (QStringList{"新增升级", "上传文档", "设置为更新", "删除升级档"}));
    EXPECT_EQ(form.DBGridEh1->titleText(1), QStringLiteral("版本"));
    EXPECT_EQ(form.DBGridEh3->columnWidth(6), 275);

    // 新增升级: the chosen host program's version, enabled alone.
    QFile::remove(dir.file("Wagemain.exe"));
    dir.write("Wagemain.exe", lantest::hostProgramWithVersion("4.41.0.1"));
    prompt.files << dir.file("Wagemain.exe");
    form.ToolButton3->click();
    ASSERT_EQ(form.ADOQuery1->recordCount(), 1);
    EXPECT_EQ(form.ADOQuery1->value("F_App_ver").toString(), QStringLiteral("4.41.0.1"));
    EXPECT_EQ(count("select count(*) from F_UpdateVer where F_Enabled=1"), 1);
    const int id = form.ADOQuery1->value("F_id").toInt();

    // 上传文档: two archives by hand, stored under the current version and deleted from disk.
    dir.write("a.zip", QByteArray(5000, 'a'));
    dir.write("b.zip", QByteArray(100, 'b'));
    prompt.files << dir.file("a.zip") + "\n" + dir.file("b.zip");
    form.ToolButton1->click();
    EXPECT_EQ(form.ADOQuery2->recordCount(), 2);
    EXPECT_EQ(GetSqlStr("select F_size from F_UpdateFiles where F_name='a.zip' and F_id=" + QString::number(id), &db),
              QStringLiteral("4Kb"));
    EXPECT_EQ(GetSqlStr("select F_size from F_UpdateFiles where F_name='b.zip'", &db), QStringLiteral("0Kb"));
    EXPECT_FALSE(QFileInfo::exists(dir.file("a.zip")));
    EXPECT_FALSE(QFileInfo::exists(dir.file("b.zip")));

    // Workstations of the version, newest first (U_Path comes from the LAN synchronisation).
    RunSqlCommand("alter table F_UpdateUsers add U_Path varchar(120) ", &db);
    db.execute("insert into F_UpdateUsers (U_IP,U_Computer,U_date,F_id,U_OldVer,U_Path) values "
               "('192.168.1.20','财务室','2026-12-01 08:00:00'," + QString::number(id) + ",'4.40.2.10','D:\\Wage\\')");
    db.execute("insert into F_UpdateUsers (U_IP,U_Computer,U_PubIP,U_date,F_id,U_OldVer,U_Path) values "
               "('192.168.1.21','车间一','203.0.113.7','2026-12-02 09:30:00'," + QString::number(id) + ",'4.40.2.10','D:\\计件\\')");
    form.ToolButton2->click();   // 设置为更新 on the shown version keeps it the one
    EXPECT_EQ(GetSqli("select F_id from F_UpdateVer where F_Enabled=1", &db), id);
    form.ADOQuery3->requery();
    ASSERT_EQ(form.ADOQuery3->recordCount(), 2);
    EXPECT_EQ(form.ADOQuery3->value("U_Computer").toString(), QStringLiteral("车间一"));

    form.show();
    QDir().mkpath(WAGE_UPDATER2_SHOTS_DIR);
    form.grab().save(QStringLiteral(WAGE_UPDATER2_SHOTS_DIR "/updatefile.png"));

    // 删除升级档: No keeps everything; Yes removes the version with its packages and workstations.
    prompt.answers << false << true;
    form.ToolButton4->click();
    EXPECT_EQ(count("select count(*) from F_UpdateFiles"), 2);
    form.ToolButton4->click();
    EXPECT_TRUE(prompt.saw(QStringLiteral("确认要删除升级档吗？")));
    EXPECT_EQ(count("select count(*) from F_UpdateFiles where F_id=" + QString::number(id)), 0);
    EXPECT_EQ(count("select count(*) from F_UpdateUsers where F_id=" + QString::number(id)), 0);
    EXPECT_EQ(count("select count(*) from F_UpdateVer where F_id=" + QString::number(id)), 0);
    EXPECT_EQ(form.ADOQuery1->recordCount(), 0);
}
