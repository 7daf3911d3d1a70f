// The query (work table per dialect, process list, host records) and the single-process
// adjustment with its audit rules, ranges, value checks and failures, prices read back.
#include "pricefixture.h"

#include "core/strutil.h"
#include "db/dbroutines.h"
#include "kit/sqlroutines.h"
#include "kit/datagrid.h"
#include "priceadj/adjustsql.h"
#include "priceadj/radiogroup.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTest>
#include <sqlite3.h>

using namespace pricetest;

namespace {

QList<double> prices(PriceDb &db)
{
    QList<double> out;
    for (int i = 1; i <= 7; ++i)
        out << db.price(i);
    return out;
}

} // namespace

TEST_F(PriceTest, QueryBuildsWorkTablePerDialect)
{
    for (wage::Dialect dialect : {wage::Dialect::MsSql, wage::Dialect::Access}) {
        SCOPED_TRACE(wage::dialectName(dialect).toStdString());
        PriceDb db(dialect);
        PriceWindow w(db);
        w.query();
        const QString table = w.form->workTable();
        ASSERT_FALSE(table.isEmpty());
        const QStringList columns = db.conn()->columns("select * from " + table);
        EXPECT_EQ(columns.contains("计价单价"), dialect == wage::Dialect::MsSql);
        EXPECT_TRUE(columns.contains("审核"));
        EXPECT_EQ(db.text("select 审核 from " + table + " where 工序编号='G02'"), "审");
        EXPECT_EQ(w.form->ADOQuery1->recordCount(), 5);
        // After the query the host shows every record of the condition.
        EXPECT_EQ(w.host()->recordCount(), 7);
        EXPECT_FALSE(w.form->Panel5->isHidden());
        w.selectProcess("G01");
        EXPECT_EQ(w.host()->recordCount(), 3);
        EXPECT_EQ(w.form->statusPanel(0)->text(), "共有3条符合条件的记录");
        if (dialect == wage::Dialect::MsSql) {
            EXPECT_EQ(w.form->ListBox1->count(), 1);
            EXPECT_EQ(w.form->ListBox2->item(0)->text().toDouble(), 1.0);
        } else {
            EXPECT_EQ(w.form->ListBox1->count(), 0);
            EXPECT_EQ(w.form->ListBox2->count(), 0);
        }
        // A second query replaces the work table; the window's release drops the last one.
        w.query("工序编号", "等于", "G02");
        EXPECT_FALSE(TableExists(table, db.conn()));
        EXPECT_EQ(w.form->ADOQuery1->recordCount(), 1);
        EXPECT_EQ(w.host()->recordCount(), 1);
    }
}

TEST_F(PriceTest, ClickOnAProcessShowsItsRecords)
{
    PriceDb db;
    PriceWindow w(db);
    w.query();
    QTableView *view = w.form->DBGrid1->view();
    int row = 0;
    while (row < w.form->ADOQuery1->recordCount()
           && w.form->ADOQuery1->value(row, w.form->ADOQuery1->fieldIndex("工序编号")).toString() != "G02")
        ++row;
    const QModelIndex cell = view->model()->index(row, view->model()->columnCount() - 1);
    view->scrollTo(cell);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());
    EXPECT_EQ(w.host()->recordCount(), 1);
    EXPECT_EQ(w.host()->value("gsxu_no").toString(), "G02");
    EXPECT_EQ(w.form->statusPanel(0)->text(), "共有1条符合条件的记录");
}

TEST_F(PriceTest, EmptyPriceBoxNarrowsToRecordsWithoutPrice)
{
    PriceDb db;
    PriceWindow w(db);
    w.form->CheckBox3->setChecked(true);
    w.query();
    ASSERT_EQ(w.form->ADOQuery1->recordCount(), 1);
    EXPECT_EQ(w.form->ADOQuery1->value("工序编号").toString(), "G04");
}

// A condition value holding the word "where" must not change which records are re-priced.
TEST_F(PriceTest, ConditionContainingWhereAdjustsTheRightRecords)
{
    PriceDb db;
    PriceWindow w(db);
    w.query("产品名称", "等于", "somewhere");
    ASSERT_EQ(w.form->ADOQuery1->recordCount(), 1);
    w.selectProcess("G04");
    w.chooseItem();
    w.form->LEdit1->setText("0.75");
    w.form->RadioGroup2->setItemIndex(0);
    w.form->BitBtn7Click();
    EXPECT_EQ(prices(db), (QList<double>{1, 1, 1, 2, 3, 0.75, 1}));
    EXPECT_TRUE(prompt.saw("价格调整完毕！\r已调整为：0.75"));
}

TEST_F(PriceTest, SingleProcessHonoursAuditMarksAndSync)
{
    struct Case {
        const char *process;
        bool sync;
        QList<double> records;
        double basePrice;
        const char *alert;
    } cases[] = {
        {"G01", false, {1.5, 1, 1.5, 2, 3, 0, 1}, 1, nullptr},
        {"G01", true, {1.5, 1, 1.5, 2, 3, 0, 1}, 1.5, nullptr},
        {"G02", false, {1, 1, 1, 1.5, 3, 0, 1}, 2, nullptr},
        {"G02", true, {1, 1, 1, 2, 3, 0, 1}, 2, "该工序已经审核，无法修改单价，请取消同步调整或者取消审核"},
        {"G03", true, {1, 1, 1, 2, 3, 0, 1}, 3, "该产品已经审核，无法修改产品相关工序，请取消同步调整或者取消审核"},
        {"G'9", true, {1, 1, 1, 2, 3, 0, 1.5}, 1.5, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.process) + (c.sync ? " sync" : ""));
        PriceDb db;
        PriceWindow w(db);
        prompt.shown.clear();
        w.query();
        w.selectProcess(c.process);
        w.chooseItem();
        w.form->LEdit1->setText("1.5");
        w.form->RadioGroup2->setItemIndex(0);
        w.form->CheckBox1->setChecked(c.sync);
        w.form->BitBtn7Click();
        EXPECT_EQ(prices(db), c.records);
        EXPECT_DOUBLE_EQ(GetSqlFloat(QString("select ip_djjw from f_ipgx where gsxu_no='%1'").arg(wage::sqlQuote(c.process)), db.conn()),
                         c.basePrice);
        if (c.alert)
            EXPECT_TRUE(prompt.saw(c.alert));
        else
            EXPECT_TRUE(prompt.saw("价格调整完毕！\r已调整为：1.5"));
        // The host's rows show what the database holds.
        for (int row = 0; row < w.host()->recordCount(); ++row)
            EXPECT_DOUBLE_EQ(w.host()->value(row, w.host()->fieldIndex("ip_djjw")).toDouble(),
                             db.price(w.host()->value(row, w.host()->fieldIndex("dj_no")).toInt()));
    }
}

TEST_F(PriceTest, TickedRange)
{
    PriceDb db;
    PriceWindow w(db);
    w.query();
    w.selectProcess("G01");
    w.chooseItem();
    w.form->LEdit1->setText("4");
    // No ticked row: a message, nothing changes.
    w.form->BitBtn7Click();
    EXPECT_TRUE(prompt.saw("您没有选中要调整的记录，或者更改调整范围。"));
    EXPECT_EQ(prices(db), (QList<double>{1, 1, 1, 2, 3, 0, 1}));
    // One ticked row: only that record.
    w.tick({3});
    w.form->BitBtn7Click();
    EXPECT_EQ(prices(db), (QList<double>{1, 1, 4, 2, 3, 0, 1}));
}

TEST_F(PriceTest, RefusalsChangeNothing)
{
    struct Case {
        const char *value;
        bool chooseItem;
        bool sync;
        const char *shown;
    } cases[] = {
        {"", true, true, nullptr},
        {"abc", true, false, nullptr},
        {"1;update f_jijm set ip_djjw=0", true, true, nullptr},
        {"1.5", false, false, "请选择确认要调整的项目"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        PriceDb db;
        PriceWindow w(db);
        prompt.shown.clear();
        w.query();
        w.selectProcess("G01");
        if (c.chooseItem)
            w.chooseItem();
        w.form->LEdit1->setText(c.value);
        w.form->RadioGroup2->setItemIndex(0);
        w.form->CheckBox1->setChecked(c.sync);
        w.form->BitBtn7Click();
        EXPECT_EQ(prices(db), (QList<double>{1, 1, 1, 2, 3, 0, 1}));
        EXPECT_EQ(GetSqlFloat("select ip_djjw from f_ipgx where gsxu_no='G01'", db.conn()), 1.0);
        ASSERT_FALSE(prompt.shown.isEmpty());
        if (c.shown)
            EXPECT_TRUE(prompt.saw(c.shown));
        else
            EXPECT_EQ(prompt.shown.last().kind, wage::PromptKind::Warning);
    }
    // No process listed.
    PriceDb db;
    PriceWindow w(db);
    w.form->BitBtn7Click();
    EXPECT_TRUE(prompt.saw("没有符合调价的工序！"));
}

TEST_F(PriceTest, NonAdministratorNeedsRights)
{
    PriceDb db;
    db.exec("insert into usermod (mod_table,mod_func,mod_type,user_name) values ('f_jijm','调整工价','拓展','张会计')");
    PriceWindow w(db, "张会计");
    w.query();
    w.selectProcess("G01");
    w.chooseItem();
    w.form->LEdit1->setText("1.5");
    w.form->RadioGroup2->setItemIndex(0);
    w.form->BitBtn7Click();
    EXPECT_EQ(db.price(1), 1.0);
    // Ticking the base-data box without the right unticks it again.
    w.form->CheckBox1->setChecked(true);
    w.form->CheckBox1Click();
    EXPECT_FALSE(w.form->CheckBox1->isChecked());
    EXPECT_TRUE(prompt.saw("无修改基础资料-产品工序的权限！"));
    db.exec("insert into usermod (mod_table,mod_func,mod_type,user_name) values ('f_jijm','修改','功能','张会计')");
    db.exec("insert into usermod (mod_table,mod_func,mod_type,user_name) values ('f_ipgx','修改','功能','张会计')");
    w.form->CheckBox1->setChecked(true);
    w.form->CheckBox1Click();
    EXPECT_TRUE(w.form->CheckBox1->isChecked());
    w.form->BitBtn7Click();
    EXPECT_EQ(db.price(1), 1.5);
}

// A search in the record grid narrows what "显示的全部记录" changes.
TEST_F(PriceTest, SearchNarrowsWhatARunChanges)
{
    PriceDb db;
    db.exec("update f_jijm set ry_name='李四' where dj_no=3");
    PriceWindow w(db);
    w.query();
    w.selectProcess("G01");
    w.form->DBGrid2->setSearchText("李四");
    QCoreApplication::processEvents();
    w.chooseItem();
    w.form->LEdit1->setText("2.5");
    w.form->RadioGroup2->setItemIndex(0);
    w.form->BitBtn7Click();
    EXPECT_EQ(prices(db), (QList<double>{1, 1, 2.5, 2, 3, 0, 1}));
}

TEST_F(PriceTest, RecordDeletedElsewhereStopsTheRunCleanly)
{
    PriceDb db;
    PriceWindow w(db);
    w.query();
    w.selectProcess("G01");
    db.exec("delete from f_jijm where dj_no=3");   // another workstation
    w.chooseItem();
    w.form->LEdit1->setText("1.5");
    w.form->RadioGroup2->setItemIndex(0);
    w.form->BitBtn7Click();
    EXPECT_EQ(db.price(1), 1.5);
    EXPECT_EQ(db.price(2), 1.0);
    ASSERT_FALSE(prompt.shown.isEmpty());
    EXPECT_TRUE(prompt.shown.last().text.contains("已调整1条记录")) << prompt.shown.last().text.toStdString();
    // The host's dataset is usable and shows the database.
    EXPECT_EQ(w.host()->state(), wage::Dataset::Browse);
    EXPECT_EQ(w.host()->recordCount(), 2);
    EXPECT_FALSE(w.host()->controlsDisabled());
}

TEST_F(PriceTest, LockedDatabaseChangesNothingAndSaysSo)
{
    PriceDb db;
    PriceWindow w(db);
    w.query();
    w.selectProcess("G01");
    db.conn()->setLockTimeout(50);
    db.conn()->setCommandTimeout(1);
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(db.dir.file("wage.db").toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    w.chooseItem();
    w.form->LEdit1->setText("1.5");
    w.form->RadioGroup2->setItemIndex(0);
    w.form->BitBtn7Click();
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(prices(db), (QList<double>{1, 1, 1, 2, 3, 0, 1}));
    ASSERT_FALSE(prompt.shown.isEmpty());
    EXPECT_TRUE(prompt.shown.last().text.contains("已调整0条记录")) << prompt.texts().join("|").toStdString();
    EXPECT_EQ(w.host()->state(), wage::Dataset::Browse);
    for (int row = 0; row < w.host()->recordCount(); ++row)
        EXPECT_DOUBLE_EQ(w.host()->value(row, w.host()->fieldIndex("ip_djjw")).toDouble(), 1.0);
}

TEST(PriceSql, StatementsAndValues)
{
    using namespace priceadj;
    EXPECT_EQ(processPredicate("G'1"), "rtrim(gsxu_no)='G''1'");
    const QString one = processRecordsSql("", "", "G01", true);
    EXPECT_TRUE(one.contains("where rtrim(gsxu_no)='G01' and (ip_djjw is null or ip_djjw=0 )")) << one.toStdString();
    EXPECT_TRUE(workTableSql(wage::Dialect::Access, "t1", "", "", false).endsWith(" into t1 from f_jijm "));
    EXPECT_TRUE(workTableSql(wage::Dialect::MsSql, "t1", "(a=1)", "", false).contains("ip_djjw as 计价单价 into t1 from f_jijm where (a=1)"));
    struct {
        const char *text;
        bool ok;
        double value;
    } values[] = {{"1.5", true, 1.5}, {" -2 ", true, -2}, {".5", true, 0.5}, {"", false, 0}, {"1,5", false, 0},
                  {"1e3", false, 0}, {"1;drop table f_jijm", false, 0}, {"abc", false, 0}};
    for (const auto &v : values) {
        double out = 0;
        EXPECT_EQ(parseDecimal(v.text, &out), v.ok) << v.text;
        if (v.ok)
            EXPECT_DOUBLE_EQ(out, v.value);
    }
}
