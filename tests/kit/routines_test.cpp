// The package's one-shot routines, rights and module queries on a real database.
#include "core/prompt.h"
#include "db/dbroutines.h"
#include "kit/rights.h"
#include "kit/sqlroutines.h"
#include "kit/sysfield.h"
#include "kitdb.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace kittest;

TEST(KitRoutines, SetSysFieldWritesOneRowAndUpdatesItAfterwards)
{
    KitDb db;
    ASSERT_TRUE(SetSysField(12, 12, "F_PriceAdjust", "工价调整单", "Active_state", "状态", "字符型", 20, "显示",
                            "TMyDBEdit", "工资管理", 0, db.conn()));
    const auto r = db.conn()->query("select Field_index,grid_index,table_name,table_caption,field_name,field_caption,"
                                    "Field_type,field_width,field_visible,field_kind,mod_parent,field_attribute "
                                    "from f_system where field_name='Active_state'");
    ASSERT_EQ(r.rows.size(), 1);
    const QVariantList want{12, 12, "F_PriceAdjust", "工价调整单", "Active_state", "状态", "字符型", 20, "显示",
                            "TMyDBEdit", "工资管理", 0};
    for (int i = 0; i < want.size(); ++i)
        EXPECT_EQ(r.rows[0][i].toString(), want[i].toString()) << r.columns[i].toStdString();

    // Again with another caption (and an apostrophe): still one row, new values.
    ASSERT_TRUE(SetSysField(13, 13, "F_PriceAdjust", "工价调整单", "Active_state", "O'状态", "字符型", 20, "隐藏",
                            "TMyDBEdit", "工资管理", 0, db.conn()));
    EXPECT_EQ(GetSqli("select count(*) from f_system where field_name='Active_state'", db.conn()), 1);
    EXPECT_EQ(GetSqlStr("select field_caption from f_system where field_name='Active_state'", db.conn()), "O'状态");

    db.exec("drop table f_system");
    EXPECT_FALSE(SetSysField(1, 1, "t", "t", "f", "f", "字符型", 20, "显示", "TMyDBEdit", "m", 0, db.conn()));
}

TEST(KitRoutines, TableNameRandGivesAFreeNameThatSelectIntoCanUse)
{
    KitDb db;
    try {
        db.exec("select * into tmp_probe from f_jijm where 1=2");
    } catch (const wage::DbError &) {
        GTEST_SKIP() << "the embedded engine does not run select into yet";
    }
    QSet<QString> seen;
    for (int i = 0; i < 5; ++i) {
        const QString name = TableNameRand(db.conn());
        EXPECT_FALSE(TableExists(name, db.conn()));
        EXPECT_FALSE(seen.contains(name));
        seen.insert(name);
        db.exec("select * into " + name + " from f_jijm where 1=2");
        EXPECT_TRUE(TableExists(name, db.conn()));
    }
}

TEST(KitRoutines, GetSqlFloatAndGetSqlList)
{
    KitDb db;
    struct Case { const char *sql; double want; } cases[] = {
        {"select sum(ip_uuld) from f_jijm where gsxu_no='G01'", 140},
        {"select sum(ip_uuld) from f_jijm where gsxu_no='none'", 0},      // the empty sum
        {"select ip_djjw from f_jijm where dj_no=4", 3.25},
        {"select ip_djjw from f_jijm where dj_no=99", 0},                // no row
        {"select ry_name from f_jijm where dj_no=1", 0},                 // not a number
        {"select '12.5'", 12.5},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(GetSqlFloat(c.sql, db.conn()), c.want) << c.sql;
    EXPECT_THROW(GetSqlFloat("select nothing from nowhere", db.conn()), wage::DbError);

    EXPECT_EQ(GetSqlList("select ry_no from f_jijm order by dj_no desc", db.conn()),
              (QStringList{"A01", "A03", "A02", "A01"}));
    EXPECT_EQ(GetSqlList("select distinct ip_djjw from f_jijm where gsxu_no='G01'", db.conn()), QStringList{"1.5"});
    EXPECT_EQ(GetSqlList("select locked from f_jijm where dj_no=1", db.conn()), QStringList{""});
    EXPECT_TRUE(GetSqlList("select ry_no from f_jijm where 1=2", db.conn()).isEmpty());
}

TEST(KitRoutines, CheckfuncReportsAMissingRight)
{
    KitDb db;
    db.exec("insert into usermod values ('f_jijm','修改','功能','王五')");
    db.exec("insert into usermod values ('f_jijm','修改','功能','O''Brien')");
    db.exec("insert into usermod values ('f_jijm','调整工价','拓展','赵六')");
    struct Case { const char *user; const char *table; bool lacks; } cases[] = {
        {"系统管理员", "f_ipgx", false},   // every right without rows
        {"王五", "f_jijm", false},
        {"王五", "f_ipgx", true},
        {"O'Brien", "f_jijm", false},      // an apostrophe stays inside its value
        {"赵六", "f_jijm", true},          // a plug-in right is not the built-in one
        {"x' or '1'='1", "f_jijm", true},
    };
    for (const Case &c : cases) {
        wage::ScopedScriptedPrompt prompt;
        EXPECT_EQ(Checkfunc(c.user, c.table, "修改", db.conn()), c.lacks) << c.user;
        EXPECT_EQ(prompt.shown.size(), c.lacks ? 1 : 0) << c.user;
    }
}

TEST(KitRoutines, ModuleQueryWithTheUsersScope)
{
    KitDb db;
    db.exec("insert into f_moduinfo (mod_name,mod_table,opensql) values ('计件工资','f_jijm','select * from f_jijm where riqi>=''2026-12-02'' order by dj_no')");
    db.exec("insert into usermod values ('f_jijm','ry_no=''A01''','数据范围','王五')");
    db.exec("insert into usermod values ('f_jijm','ry_no=''A03''','数据范围','王五')");
    db.exec("insert into usermod values ('f_jijm','gsxu_no=''G02''','数据范围','O''Brien')");

    EXPECT_EQ(Getmodwhere("系统管理员", "f_jijm", db.conn()), "");
    EXPECT_EQ(Getmodwhere("赵六", "f_jijm", db.conn()), "");
    EXPECT_EQ(Getmodwhere("王五", "f_jijm", db.conn()), "((ry_no='A01') or (ry_no='A03'))");

    auto rows = [&](const QString &user) {
        return GetSqlList(GetDataSQLStr(user, "f_jijm", db.conn()).replace("select *", "select dj_no"), db.conn());
    };
    EXPECT_EQ(rows("系统管理员"), (QStringList{"2", "3", "4"}));
    EXPECT_EQ(rows("王五"), (QStringList{"3", "4"}));
    EXPECT_EQ(rows("O'Brien"), (QStringList{"2"}));
    // A module without opensql is opened on its whole table.
    EXPECT_EQ(GetDataSQLStr("系统管理员", "f_rfyr", db.conn()), "select * from f_rfyr");

    GetExpand("f_jijm", "调整工价", 41, db.conn());
    GetExpand("f_jijm", "调整工价", 41, db.conn());
    int n = 0;
    for (const wage::Expansion &e : wage::announcedExpansions())
        n += e.caption == "调整工价";
    EXPECT_EQ(n, 1);
}

// The predicate goes into the statement's own top-level WHERE, whatever its letter case and
// whatever sub-queries, quoted texts or ORs it holds; the joined statements run and select
// exactly the rows that meet both conditions.
TEST(KitRoutines, JoinPredicateAddsToTheStatementsOwnWhere)
{
    KitDb db;
    struct Case { const char *sql; const char *predicate; QList<int> rows; const char *text; } cases[] = {
        {"select * from f_jijm", "ry_no='A01'", {1, 4}, "select * from f_jijm where ry_no='A01'"},
        {"select * from f_jijm where riqi>'2026-12-01'", "ry_no='A01'", {4},
         "select * from f_jijm where riqi>'2026-12-01' and (ry_no='A01')"},
        {"SELECT * FROM f_jijm WHERE riqi>'2026-12-01'", "ry_no='A01'", {4},
         "SELECT * FROM f_jijm WHERE riqi>'2026-12-01' and (ry_no='A01')"},
        {"select * from (select * from f_jijm where gsxu_no='G01') t", "ry_no='A01'", {1},
         "select * from (select * from f_jijm where gsxu_no='G01') t where ry_no='A01'"},
        {"select * from f_jijm where ry_no='A02' or ry_no='A03'", "gsxu_no='G01'", {3},
         "select * from f_jijm where (ry_no='A02' or ry_no='A03') and (gsxu_no='G01')"},
        {"select * from f_jijm where gsxu_no='G01'", "ry_no='A01' or ry_no='A02'", {1}, nullptr},
        {"select * from f_jijm where gsxu_no='G01'", "(ry_no='A01')", {1}, "select * from f_jijm where gsxu_no='G01' and (ry_no='A01')"},
        {"select * from f_jijm order by dj_no desc", "ry_no='A01'", {4, 1},
         "select * from f_jijm where ry_no='A01' order by dj_no desc"},
        {"select * from f_jijm Where ip_gsxu<>'x order by y' Order By dj_no", "ry_no='A01'", {1, 4},
         "select * from f_jijm Where ip_gsxu<>'x order by y' and (ry_no='A01') Order By dj_no"},
        {"select max(dj_no) from f_jijm group by ry_no order by 1", "gsxu_no='G01'", {1, 3}, nullptr},
        {"select dj_no from f_jijm where [dj_no]=1 union select dj_no from f_jijm order by 1", "dj_no>3", {1, 4}, nullptr},
        {"select * from f_jijm where dj_no in (select dj_no from f_jijm where gsxu_no='G01')", "ry_no='A03'", {3}, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        const QString joined = wage::joinPredicate(c.sql, c.predicate);
        if (c.text)
            EXPECT_EQ(joined, c.text);
        QList<int> rows;
        for (const QVariantList &r : db.conn()->query(joined).rows)
            rows << r.value(0).toInt();
        if (!QString(c.sql).contains("order by", Qt::CaseInsensitive))
            std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, c.rows) << joined.toStdString();
    }
}
