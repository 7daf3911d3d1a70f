// The price-adjustment sheet: creation and registration, marking by the process list, line by
// line execution, statement execution, delete and clear, paste and the price backup.
#include "pricefixture.h"

#include "core/strutil.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/sqlroutines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QListWidget>
#include <QPushButton>

using namespace pricetest;

namespace {

QList<double> prices(PriceDb &db)
{
    QList<double> out;
    for (int i = 1; i <= 7; ++i)
        out << db.price(i);
    return out;
}

void line(PriceDb &db, const QString &process, double price, const QString &state = "失效")
{
    if (!TableExists("F_PriceAdjust", db.conn()))
        db.exec("Create table F_PriceAdjust (im_no nvarchar(20), ip_no nvarchar(20),ip_name nvarchar(60),ip_gvge nvarchar(20),"
                "gsxu_no nvarchar(20),ip_gsxu nvarchar(40),ip_djjw money,Active_state nvarchar(10))");
    db.exec(QString("insert into F_PriceAdjust (ip_no,gsxu_no,ip_gsxu,ip_djjw,Active_state) values ('P1','%1','x',%2,'%3')")
                .arg(wage::sqlQuote(process))
                .arg(price)
                .arg(state));
}

QStringList states(PriceDb &db)
{
    return GetSqlList("select Active_state from F_PriceAdjust order by gsxu_no, ip_djjw", db.conn());
}

} // namespace

TEST_F(PriceTest, SheetTableIsCreatedAndRegisteredOnce)
{
    PriceDb db;
    { PriceWindow w(db); }
    PriceWindow w(db);
    EXPECT_TRUE(TableExists("F_PriceAdjust", db.conn()));
    EXPECT_EQ(db.count("select count(*) from f_system where table_name='F_PriceAdjust'"), 8);
    EXPECT_EQ(db.text("select field_caption from f_system where table_name='F_PriceAdjust' and field_name='ip_djjw'"), "工序单价");
    EXPECT_EQ(db.text("select field_visible from f_system where table_name='F_PriceAdjust' and field_name='im_no'"), "隐藏");
    EXPECT_EQ(w.form->DBGridEh_Imp->titleText(w.form->DBGridEh_Imp->columnOfField("Active_state")), "状态");
}

TEST_F(PriceTest, ActivationMarksLinesOfListedProcesses)
{
    PriceDb db;
    line(db, "G01", 1.8, "已调价");
    line(db, "G99", 5);
    PriceWindow w(db);
    w.query("工序编号", "不等于", "G02");
    w.form->ActivateByProcessList();
    EXPECT_EQ(states(db), (QStringList{"有效", "失效"}));
    // The sheet's first line shows its process's records.
    EXPECT_EQ(w.host()->recordCount(), 3);
    // After an import the work table marks the lines (one statement, or line by line on ACCESS).
    db.exec("update F_PriceAdjust set Active_state='失效'");
    w.form->ActivateByWorkTable();
    EXPECT_EQ(states(db), (QStringList{"有效", "失效"}));
    PriceDb access(wage::Dialect::Access);
    line(access, "G01", 1.8);
    line(access, "G99", 5);
    PriceWindow a(access);
    a.query();
    a.form->ActivateByWorkTable();
    EXPECT_EQ(states(access), (QStringList{"有效", "失效"}));
}

TEST_F(PriceTest, LineByLineExecution)
{
    PriceDb db;
    line(db, "G01", 1.8);
    line(db, "G02", 2.5);
    line(db, "G03", 3.5);
    line(db, "G'9", 1.2);
    PriceWindow w(db);
    w.query();
    w.form->ActivateByProcessList();
    db.exec("update F_PriceAdjust set Active_state='有效 ' where gsxu_no='G03'");   // trailing blank: not valid
    w.form->F_PriceAdjust->requery();
    w.chooseItem();
    w.form->CheckBox1->setChecked(true);
    prompt.shown.clear();
    w.form->BitBtnTClick(13);
    // Audited records stay; an audited process only keeps its base price.
    EXPECT_EQ(prices(db), (QList<double>{1.8, 1, 1.8, 2.5, 3, 0, 1.2}));
    EXPECT_EQ(GetSqlFloat("select ip_djjw from f_ipgx where gsxu_no='G01'", db.conn()), 1.8);
    EXPECT_EQ(GetSqlFloat("select ip_djjw from f_ipgx where gsxu_no='G02'", db.conn()), 2.0);
    EXPECT_EQ(prompt.texts().count("G02该工序已经审核，无法修改单价，请取消同步调整或者取消审核"), 1);
    EXPECT_TRUE(prompt.saw("产品工序：G01 ，记录更新 2 "));
    EXPECT_TRUE(prompt.saw("导入的调价单已经执行完毕！"));
    EXPECT_EQ(db.text("select Active_state from F_PriceAdjust where gsxu_no='G01'"), "已调价");
    EXPECT_EQ(db.text("select Active_state from F_PriceAdjust where gsxu_no='G03'"), "有效");
    // The price lists show the last line's process as the run left it.
    ASSERT_EQ(w.form->ListBox1->count(), 1);
    EXPECT_EQ(w.form->ListBox1->item(0)->text().toDouble(), 1.2);
    EXPECT_EQ(w.form->ListBox2->item(0)->text().toDouble(), 1.2);
    EXPECT_TRUE(w.form->BitBtn13->isEnabled());
    EXPECT_FALSE(db.conn()->inTransaction());
}

TEST_F(PriceTest, LineByLineStartsAtTheCurrentLine)
{
    PriceDb db;
    line(db, "G01", 1.8);
    line(db, "G02", 2.5);
    PriceWindow w(db);
    w.query();
    w.form->ActivateByProcessList();
    w.form->F_PriceAdjust->setSort("gsxu_no");
    ASSERT_TRUE(w.form->F_PriceAdjust->locate("gsxu_no", "G02"));
    w.chooseItem();
    w.form->BitBtnTClick(13);
    EXPECT_EQ(prices(db), (QList<double>{1, 1, 1, 2.5, 3, 0, 1}));
    EXPECT_EQ(states(db), (QStringList{"有效", "已调价"}));
}

TEST_F(PriceTest, SheetRefusals)
{
    PriceDb db;
    PriceWindow w(db);
    w.query();
    line(db, "G01", 1.8);
    w.form->F_PriceAdjust->requery();
    w.form->ActivateByProcessList();
    w.form->BitBtnTClick(13);   // no item chosen
    EXPECT_TRUE(prompt.saw("请选择确认要调整的项目"));
    w.chooseItem();
    w.form->BitBtnTClick(10);   // 清空
    EXPECT_EQ(db.count("select count(*) from F_PriceAdjust"), 0);
    prompt.shown.clear();
    w.form->BitBtnTClick(13);
    w.form->BitBtnTClick(4);
    EXPECT_EQ(prompt.texts(), (QStringList{"调价单为空，不能执行。", "调价单为空，不能执行。"}));
    EXPECT_EQ(prices(db), (QList<double>{1, 1, 1, 2, 3, 0, 1}));
    for (QPushButton *b : {w.form->BitBtn13, w.form->BitBtn4, w.form->BitBtn10})
        EXPECT_TRUE(b->isEnabled());
}

TEST_F(PriceTest, StatementExecutionStampsAndRecomputes)
{
    PriceDb db;
    line(db, "G01", 1.8);
    line(db, "G02", 2.5);
    line(db, "G77", 9);
    PriceWindow w(db);
    w.query();
    w.chooseItem();
    // A record stamped earlier today counts in the completion figure.
    w.form->BitBtnTClick(4);
    const QStringList assignments = w.form->FormulaAssignments("f_jijm");
    EXPECT_EQ(assignments, (QStringList{"jjje=ip_uuld*ip_djjw"}));
    // Every record of the valid processes, audited or not.
    EXPECT_EQ(prices(db), (QList<double>{1.8, 1.8, 1.8, 2.5, 3, 0, 1}));
    EXPECT_DOUBLE_EQ(GetSqlFloat("select jjje from f_jijm where dj_no=2", db.conn()), 36.0);
    EXPECT_EQ(states(db), (QStringList{"已调价", "已调价", "失效"}));
    EXPECT_EQ(db.count("select count(*) from f_system where table_name='f_jijm' and field_name in ('TJ_RiQi','YS_DJJW')"), 2);
    EXPECT_TRUE(prompt.saw("调价完成，更新记录：4 条 \r\r  退出本模块后数据刷新。")) << prompt.texts().join("|").toStdString();
    db.exec("update f_jijm set TJ_RiQi=CAST(GETDATE() AS DATE) where dj_no=5");
    w.form->ActivateByProcessList();
    w.form->BitBtnTClick(4);
    EXPECT_TRUE(prompt.saw("调价完成，更新记录：5 条 \r\r  退出本模块后数据刷新。")) << prompt.texts().join("|").toStdString();
}

TEST_F(PriceTest, IdenticalLinesAreDeletedTogether)
{
    PriceDb db;
    line(db, "G01", 1.8);
    line(db, "G01", 1.8);
    line(db, "G02", 2.5);
    PriceWindow w(db);
    w.query();
    w.form->F_PriceAdjust->setSort("gsxu_no");
    w.form->F_PriceAdjust->first();
    w.form->BitBtnTClick(11);
    EXPECT_TRUE(prompt.saw("确定要删除吗?"));
    EXPECT_EQ(prompt.shown.last().kind, wage::PromptKind::Warning);
    EXPECT_TRUE(prompt.shown.last().text.endsWith("相同记录会一并删除！"));
    EXPECT_EQ(db.count("select count(*) from F_PriceAdjust"), 1);
    EXPECT_EQ(w.form->F_PriceAdjust->recordCount(), 1);
    // Several ticked lines: one question with their number.
    line(db, "G03", 1);
    line(db, "G04", 1);
    w.form->F_PriceAdjust->requery();
    w.form->F_PriceAdjust->tickAll(true);
    w.form->BitBtnTClick(11);
    EXPECT_TRUE(prompt.saw("确定 *批量 删除所选择的\r这3条记录吗?"));
    EXPECT_EQ(db.count("select count(*) from F_PriceAdjust"), 0);
}

TEST_F(PriceTest, PasteFillsLinesAndMarksThem)
{
    PriceDb db;
    PriceWindow w(db);
    w.query();
    w.form->pasteSheetText("P1\t衬衫\tM\tG01\t裁剪\t1.9\r\nP1\t衬衫\tM\tG99\t无\t2\r\n");
    w.form->F_PriceAdjust->requery();
    w.form->ActivateByProcessList();
    EXPECT_EQ(db.count("select count(*) from F_PriceAdjust"), 2);
    EXPECT_DOUBLE_EQ(GetSqlFloat("select ip_djjw from F_PriceAdjust where gsxu_no='G01'", db.conn()), 1.9);
    EXPECT_EQ(states(db), (QStringList{"有效", "失效"}));
}

TEST_F(PriceTest, PriceBackupCopiesTheConditionsRecords)
{
    PriceDb db;
    PriceWindow w(db);
    w.query("工序编号", "等于", "G01");
    w.form->BitBtn16Click();
    EXPECT_DOUBLE_EQ(GetSqlFloat("select YS_DJJW from f_jijm where dj_no=1", db.conn()), 1.0);
    EXPECT_EQ(db.count("select count(*) from f_jijm where YS_DJJW is not null"), 3);
}
