// Routines on a dataset's current record: presence of fields, the lock mark, the record editor
// and filling a record from a registry lookup.
#include "core/prompt.h"
#include "db/dataset.h"
#include "db/dbroutines.h"
#include "kit/lookup.h"
#include "kit/recordroutines.h"
#include "kitdb.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace kittest;

TEST(KitRecords, GetFieldExistAndCheckCanModify)
{
    KitDb db;
    wage::Dataset ds(db.conn(), "select * from f_jijm order by dj_no");
    ds.open();
    EXPECT_TRUE(GetFieldExist(&ds, "LOCKED"));
    EXPECT_TRUE(GetFieldExist(&ds, "ip_djjw"));
    EXPECT_FALSE(GetFieldExist(&ds, "TJ_RiQi"));
    EXPECT_FALSE(GetFieldExist(nullptr, "locked"));

    // locked: NULL, '', '已审', '  '
    const bool want[] = {true, true, false, true};
    for (int i = 0; i < 4; ++i) {
        ds.moveTo(i);
        EXPECT_EQ(CheckCanModify(&ds), want[i]) << i;
    }
    wage::Dataset noLock(db.conn(), "select dj_no, ry_no from f_jijm");
    noLock.open();
    EXPECT_TRUE(CheckCanModify(&noLock));
    wage::Dataset empty(db.conn(), "select * from f_jijm where 1=2");
    empty.open();
    EXPECT_FALSE(CheckCanModify(&empty));
}

TEST(KitRecords, DatasetEditorActionsHonourTheLock)
{
    KitDb db;
    wage::Dataset ds(db.conn(), "select * from f_jijm order by dj_no");
    ds.open();
    wage::ScopedScriptedPrompt prompt;

    // 2 edit + 3 save on an open record writes through.
    ds.moveTo(1);
    ASSERT_TRUE(DatasetEditor(&ds, "f_jijm", db.conn(), 2));
    EXPECT_EQ(ds.state(), wage::Dataset::Edit);
    ds.setValue("ip_djjw", 2.5);
    ASSERT_TRUE(DatasetEditor(&ds, "f_jijm", db.conn(), 3));
    EXPECT_EQ(ds.state(), wage::Dataset::Browse);
    EXPECT_EQ(GetSqlStr("select ip_djjw from f_jijm where dj_no=2", db.conn()), "2.5");

    // 4 cancel drops the change.
    ASSERT_TRUE(DatasetEditor(&ds, "f_jijm", db.conn(), 2));
    ds.setValue("ip_djjw", 9);
    ASSERT_TRUE(DatasetEditor(&ds, "f_jijm", db.conn(), 4));
    EXPECT_EQ(GetSqlStr("select ip_djjw from f_jijm where dj_no=2", db.conn()), "2.5");
    EXPECT_DOUBLE_EQ(ds.value("ip_djjw").toDouble(), 2.5);

    // A locked record is neither edited nor deleted.
    ds.moveTo(2);
    EXPECT_FALSE(DatasetEditor(&ds, "f_jijm", db.conn(), 2));
    EXPECT_EQ(ds.state(), wage::Dataset::Browse);
    EXPECT_FALSE(DatasetEditor(&ds, "f_jijm", db.conn(), 5));
    EXPECT_EQ(GetSqli("select count(*) from f_jijm", db.conn()), 4);
    EXPECT_EQ(prompt.shown.size(), 2);

    // 1 new + 3 save appends a record.
    ASSERT_TRUE(DatasetEditor(&ds, "f_jijm", db.conn(), 1));
    EXPECT_EQ(ds.state(), wage::Dataset::Insert);
    ds.setValue("dj_no", 5);
    ds.setValue("ry_no", "A09");
    ASSERT_TRUE(DatasetEditor(&ds, "f_jijm", db.conn(), 3));
    EXPECT_EQ(GetSqli("select count(*) from f_jijm where ry_no='A09'", db.conn()), 1);

    // 5 delete asks first: No keeps the record, Yes removes it.
    prompt.answers = {false, true};
    ASSERT_TRUE(ds.locate("dj_no", 5));
    EXPECT_FALSE(DatasetEditor(&ds, "f_jijm", db.conn(), 5));
    EXPECT_EQ(GetSqli("select count(*) from f_jijm where dj_no=5", db.conn()), 1);
    EXPECT_TRUE(DatasetEditor(&ds, "f_jijm", db.conn(), 5));
    EXPECT_EQ(GetSqli("select count(*) from f_jijm where dj_no=5", db.conn()), 0);

    // A save the database rejects keeps the record in editing and says why.
    ASSERT_TRUE(DatasetEditor(&ds, "f_jijm", db.conn(), 1));
    ds.setValue("dj_no", 1);   // taken
    const int before = prompt.shown.size();
    EXPECT_FALSE(DatasetEditor(&ds, "f_jijm", db.conn(), 3));
    EXPECT_EQ(prompt.shown.size(), before + 1);
    EXPECT_EQ(ds.state(), wage::Dataset::Insert);
    EXPECT_TRUE(DatasetEditor(&ds, "f_jijm", db.conn(), 4));
}

namespace {

void lookupTables(KitDb &db)
{
    db.exec("create table f_rfyr (ry_no nvarchar(20), ry_name nvarchar(20), dept_name nvarchar(20))");
    db.exec("insert into f_rfyr values ('B01','王一','裁剪车间')");
    db.exec("insert into f_rfyr values ('B02','钱二','包装车间')");
    db.exec("create table F_Attendance (ry_no nvarchar(20), ry_name nvarchar(20), dept_name nvarchar(20), chuqin int, riqi datetime)");
    db.exec("insert into F_Attendance values ('B01','王一','裁剪车间',1,'2026-12-01')");
    db.exec("insert into F_Attendance values ('B02','钱二','包装车间',0,'2026-12-01')");
    db.exec("insert into F_Attendance values ('B02','钱二','包装车间',1,'2026-12-02')");
    db.exec("create table f_juar (id integer primary key, riqi datetime, ry_no nvarchar(20), ry_name nvarchar(20),"
            " dept_name nvarchar(20), ip_uuld int)");
    db.exec("insert into f_juar values (1,'2026-12-01','X','X','X',5)");
}

} // namespace

TEST(KitRecords, LookupStringsParse)
{
    const wage::LookupSpec a = wage::parseLookup(
        "select ry_no as 编号,ry_name as 姓名 from F_Attendance where chuqin>0 ; &riqi;riqi$ry_no,ry_name@编号,姓名@ry_no$F_Attendance");
    EXPECT_EQ(a.select, "select ry_no as 编号,ry_name as 姓名 from F_Attendance where chuqin>0");
    EXPECT_EQ(a.dependColumn, "riqi");
    EXPECT_EQ(a.dependField, "riqi");
    EXPECT_EQ(a.fields, (QStringList{"ry_no", "ry_name"}));
    EXPECT_EQ(a.captions, (QStringList{"编号", "姓名"}));
    EXPECT_EQ(a.keyField, "ry_no");
    EXPECT_EQ(a.sourceTable, "F_Attendance");

    const wage::LookupSpec b = wage::parseLookup(
        "select f_pcmx.ip_no as 产品编号,f_pici.pc_no as 订单编号 from f_pici,f_pcmx where f_pici.pc_id=f_pcmx.pc_id;"
        "&f_pici.pc_no;pc_no$ip_no,ip_name,ip_gvge@产品编号,产品名称,产品规格@ip_no$f_pcmx");
    EXPECT_EQ(b.dependColumn, "f_pici.pc_no");
    EXPECT_EQ(b.dependField, "pc_no");
    EXPECT_EQ(b.select, "select f_pcmx.ip_no as 产品编号,f_pici.pc_no as 订单编号 from f_pici,f_pcmx where f_pici.pc_id=f_pcmx.pc_id");
    EXPECT_EQ(b.sourceTable, "f_pcmx");

    const wage::LookupSpec c = wage::parseLookup("select ip_no as 产品编号 from f_ijpn $ip_no@产品编号@ip_no$f_ijpn");
    EXPECT_TRUE(c.dependColumn.isEmpty());
    EXPECT_EQ(c.select, "select ip_no as 产品编号 from f_ijpn");
    EXPECT_FALSE(wage::parseLookup("").isValid());
}

TEST(KitRecords, GetKeyValueFillsTheRecordFromTheLookup)
{
    for (wage::Dialect dialect : {wage::Dialect::MsSql, wage::Dialect::Access}) {
        KitDb db(dialect);
        if (dialect == wage::Dialect::Access && db.conn()->translate("select #2026-12-01#").contains('#'))
            continue;   // #date# literals arrive with the dialect translation
        lookupTables(db);
        wage::Dataset ds(db.conn(), "select * from f_juar");
        ds.open();

        // Without dependency: the worker register.
        db.reg("f_juar", 3, "ry_name", "姓名", "字符型", "显示", 10,
               "select ry_no as 员工编号,ry_name as 员工姓名,dept_name as 部门名称 from f_rfyr"
               "$ry_no,ry_name,dept_name@员工编号,员工姓名,部门名称@ry_no$f_rfyr");
        ASSERT_TRUE(GetKeyValue("ry_name", " B02 ", "f_juar", db.conn(), &ds));
        EXPECT_EQ(ds.value("ry_no").toString(), "B02");
        EXPECT_EQ(ds.value("ry_name").toString(), "钱二");
        EXPECT_EQ(ds.value("dept_name").toString(), "包装车间");
        ds.cancel();
        EXPECT_FALSE(GetKeyValue("ry_name", "B99", "f_juar", db.conn(), &ds));
        EXPECT_EQ(ds.value("ry_no").toString(), "X");
        EXPECT_FALSE(GetKeyValue("ip_uuld", "B01", "f_juar", db.conn(), &ds));   // no lookup

        // With dependency: only workers present on the record's date.
        db.exec("update f_system set field_onkey='select ry_no as 编号,ry_name as 姓名,dept_name as 部门 from F_Attendance"
                " where chuqin>0 ; &riqi;riqi$ry_no,ry_name,dept_name@编号,姓名,部门@ry_no$F_Attendance'"
                " where table_name='f_juar' and field_name='ry_name'");
        EXPECT_FALSE(GetKeyValue("ry_name", "B02", "f_juar", db.conn(), &ds));
        EXPECT_EQ(ds.value("ry_no").toString(), "X");
        ASSERT_TRUE(GetKeyValue("ry_name", "B01", "f_juar", db.conn(), &ds));
        EXPECT_EQ(ds.value("ry_name").toString(), "王一");
        ds.post();
        EXPECT_EQ(GetSqlStr("select dept_name from f_juar where id=1", db.conn()), "裁剪车间");

        // Kept for many records, one lookup follows each record's own dependency value.
        wage::KeyLookup kept("ry_name", "f_juar", db.conn());
        ds.append();
        ds.setValue("riqi", QDate(2026, 12, 1));
        EXPECT_FALSE(kept.fill("B02", &ds));
        EXPECT_TRUE(kept.fill("B01", &ds));
        ds.setValue("riqi", QDate(2026, 12, 2));
        ASSERT_TRUE(kept.fill("B02", &ds));
        EXPECT_EQ(ds.value("ry_name").toString(), "钱二");
        EXPECT_FALSE(kept.fill("B01", &ds));
        ds.cancel();
        EXPECT_FALSE(wage::KeyLookup("ip_uuld", "f_juar", db.conn()).fill("B01", &ds));   // no lookup
    }
}
