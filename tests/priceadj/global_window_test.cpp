// The global adjustment, the options dialog, column widths, the window's pages and closing.
#include "pricefixture.h"

#include "core/strutil.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/rights.h"
#include "kit/sqlroutines.h"
#include "kit/tchoice.h"
#include "kit/tmsnpopup.h"
#include "priceadj/radiogroup.h"
#include "priceadj/toption_form.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

using namespace pricetest;

namespace {

QList<double> prices(PriceDb &db)
{
    QList<double> out;
    for (int i = 1; i <= 7; ++i)
        out << db.price(i);
    return out;
}

void globalPage(PriceWindow &w, const QString &op, const QString &value, bool fixed = false)
{
    w.form->PageControl1->setCurrentIndex(1);
    w.query();
    w.form->ComboBox3->setCurrentIndex(w.form->ComboBox3->findText("单价"));
    w.form->ComboBox4->setCurrentIndex(w.form->ComboBox4->findText("单价"));
    w.form->ComboBox5->setCurrentIndex(w.form->ComboBox5->findText(op));
    (fixed ? w.form->RadioButton2 : w.form->RadioButton1)->setChecked(true);
    w.form->RadioButtonClick();
    w.form->Edit2->setText(value);
    w.form->RadioGroup3->setItemIndex(0);
}

} // namespace

TEST_F(PriceTest, GlobalFormulaAndFixedValue)
{
    struct Case {
        const char *op;
        const char *value;
        bool fixed;
        QList<double> records;
        const char *caption;
    } cases[] = {
        {"*", "2", false, {2, 1, 2, 4, 6, 0, 2}, "价格调整公式：单价＝单价*2"},
        {"+", "0.5", false, {1.5, 1, 1.5, 2.5, 3.5, 0.5, 1.5}, "价格调整公式：单价＝单价+0.5"},
        {"-", "0.5", false, {0.5, 1, 0.5, 1.5, 2.5, -0.5, 0.5}, "价格调整公式：单价＝单价-0.5"},
        {"", "9", false, {1, 1, 1, 2, 3, 0, 1}, "价格调整公式：单价＝单价9"},
        {"", "7", true, {7, 1, 7, 7, 7, 7, 7}, "价格调整，固定值=7"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.op) + c.value);
        PriceDb db;
        db.exec("update f_jijm set ip_djjw=0 where dj_no=6");
        PriceWindow w(db);
        globalPage(w, c.op, c.value, c.fixed);
        EXPECT_EQ(w.form->GroupBox6->title(), c.caption);
        ASSERT_TRUE(w.form->BitBtn9->isEnabled());
        w.form->BitBtn9Click();
        EXPECT_EQ(prices(db), c.records);
        EXPECT_TRUE(prompt.saw("成功更新，请不要重复操作。"));
        EXPECT_TRUE(w.form->BitBtn9->isEnabled());
    }
}

TEST_F(PriceTest, GlobalDivisionByZeroStopsAndButtonStaysOff)
{
    PriceDb db;
    PriceWindow w(db);
    globalPage(w, "/", "0");
    w.form->BitBtn9Click();
    EXPECT_EQ(prices(db), (QList<double>{1, 1, 1, 2, 3, 0, 1}));
    EXPECT_EQ(w.form->MSNPopUp1->Text, "除数不能为0");
    EXPECT_FALSE(w.form->BitBtn9->isEnabled());
    EXPECT_FALSE(prompt.saw("成功更新，请不要重复操作。"));
    EXPECT_EQ(w.host()->state(), wage::Dataset::Browse);
    // "/" by a number works on the same records.
    w.form->Edit2->setText("2");
    w.form->BitBtn9Click();
    EXPECT_EQ(prices(db), (QList<double>{0.5, 1, 0.5, 1, 1.5, 0, 0.5}));
}

TEST_F(PriceTest, GlobalRefusals)
{
    PriceDb db;
    {
        PriceWindow w(db, "张会计");
        globalPage(w, "*", "2");
        w.form->BitBtn9Click();
        EXPECT_TRUE(prompt.saw("因调整价格不能恢复且具有风险，系统锁定系统管理员可以使用该功能。"));
        EXPECT_FALSE(w.form->BitBtn9->isEnabled());
    }
    PriceWindow w(db);
    globalPage(w, "*", "2");
    prompt.answers = {false};
    w.form->BitBtn9Click();
    EXPECT_FALSE(w.form->BitBtn9->isEnabled());   // a second press waits for the value to change
    w.form->Edit2->setText("3");
    w.form->RadioGroup3->setItemIndex(1);
    w.tick({});
    w.form->BitBtn9Click();
    EXPECT_TRUE(prompt.saw("您没有选中要调整的记录，或者更改调整范围。"));
    w.form->Edit2->setText("3");
    w.tick({4});
    w.form->BitBtn9Click();
    EXPECT_EQ(prices(db), (QList<double>{1, 1, 1, 6, 3, 0, 1}));
}

TEST_F(PriceTest, OptionsSavedEmptyLeaveNoItem)
{
    PriceDb db;
    PriceWindow w(db);
    bool seen = false;
    auto answer = [&](bool checkFirst) {
        QTimer::singleShot(0, [&, checkFirst] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<TOption_Form *>(top);
                if (!dialog || !dialog->isVisible())
                    continue;
                seen = true;
                QStringList items;
                for (int i = 0; i < dialog->ListView1->count(); ++i) {
                    items << dialog->ListView1->item(i)->text();
                    EXPECT_EQ(dialog->ListView1->item(i)->checkState(), Qt::Unchecked);
                }
                // Numeric, entered and shown fields only: not 金额 (computed) nor text fields.
                EXPECT_TRUE(items.contains("单价"));
                EXPECT_TRUE(items.contains("数量"));
                EXPECT_FALSE(items.contains("金额"));
                EXPECT_FALSE(items.contains("员工姓名"));
                if (checkFirst)
                    dialog->ListView1->item(items.indexOf("单价"))->setCheckState(Qt::Checked);
                dialog->BitBtn1->click();
            }
        });
    };
    answer(false);
    w.form->BitBtn8Click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(db.text("select gridwidth from tempconfig where key_name='F_jijm_TZGJ'"), "");
    EXPECT_EQ(w.form->ComboBox2->count(), 0);
    w.query();
    w.form->LEdit1->setText("1.5");
    w.form->BitBtn7Click();
    EXPECT_TRUE(prompt.saw("请选择确认要调整的项目"));
    EXPECT_EQ(db.price(1), 1.0);
    answer(true);
    w.form->BitBtn8Click();
    EXPECT_EQ(db.text("select gridwidth from tempconfig where key_name='F_jijm_TZGJ'"), "单价,");
    EXPECT_EQ(db.count("select count(*) from tempconfig where key_name='F_jijm_TZGJ'"), 1);
    EXPECT_EQ(w.form->ComboBox2->count(), 1);
}

TEST_F(PriceTest, ColumnWidthsSaveAndRestore)
{
    PriceDb db;
    PriceWindow w(db);
    w.query();
    wage::DataGrid *grid = w.form->DBGrid1;
    const int n = grid->columnCount();
    ASSERT_GT(n, 2);
    for (int i = 0; i < n; ++i)
        grid->setColumnWidth(i, 40 + i);
    w.form->PageControl2->setCurrentIndex(0);
    w.form->BitBtn5Click();
    QString expected;
    for (int i = 0; i < n; ++i)
        expected += QString::number(40 + i) + ",";
    EXPECT_EQ(db.text("select gridwidth from tempconfig where key_name='temp_gxtz'"), expected);
    struct Case {
        QString stored;
        int firstWidth;
    } cases[] = {
        {expected, 40},                                        // restored
        {"70,71,", 90},                                        // fewer pieces than columns: unchanged
        {"abc," + expected, 90},                               // not a number: unchanged
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        db.exec("update tempconfig set gridwidth='" + c.stored + "' where key_name='temp_gxtz'");
        grid->setColumnWidth(0, 90);
        w.form->GridColumnWidths("temp_gxtz", grid, 0);
        EXPECT_EQ(grid->columnWidth(0), c.firstWidth);
    }
    EXPECT_EQ(db.count("select count(*) from tempconfig where key_name='temp_gxtz'"), 1);
}

TEST_F(PriceTest, PagesAndVisibility)
{
    for (wage::Dialect dialect : {wage::Dialect::MsSql, wage::Dialect::Access}) {
        PriceDb db(dialect);
        PriceWindow w(db, dialect == wage::Dialect::MsSql ? "系统管理员" : "张会计");
        EXPECT_EQ(w.form->PageControl1->isTabVisible(1), dialect == wage::Dialect::MsSql);
        EXPECT_EQ(w.form->BitBtn8->isVisibleTo(w.form.get()), dialect == wage::Dialect::MsSql);
        EXPECT_EQ(w.form->GroupBox_Hist->isVisibleTo(w.form.get()), dialect == wage::Dialect::MsSql);
    }
    PriceDb db;
    PriceWindow w(db);
    prompt.shown.clear();
    w.form->PageControl2->setCurrentIndex(1);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, "先添加调价条件，点\"查询\" 后，\r才能导入调价单进行批量自动调价。");
    w.form->PageControl1->setCurrentIndex(1);
    EXPECT_TRUE(w.form->TabSheet2->isAncestorOf(w.form->choice1));
    EXPECT_EQ(w.form->ComboBox3->count(), w.form->ComboBox2->count());
    EXPECT_EQ(w.form->TemDBGridEh->dataSource(), w.datasource1);
    w.form->PageControl1->setCurrentIndex(0);
    EXPECT_TRUE(w.form->TabSheet1->isAncestorOf(w.form->choice1));
}

TEST_F(PriceTest, ClosingGivesTheHostItsQueryBack)
{
    PriceDb db;
    PriceWindow w(db);
    w.query("工序编号", "等于", "G01");
    w.selectProcess("G01");
    ASSERT_EQ(w.host()->recordCount(), 3);
    w.form->close();
    EXPECT_EQ(w.host()->commandText(), GetDataSQLStr("系统管理员", "f_jijm", db.conn()));
    EXPECT_TRUE(w.host()->isActive());
    EXPECT_EQ(w.host()->recordCount(), 7);
}

// Screenshots of both pages and of the sheet tab, written where WAGE_SHOTS_DIR points.
TEST_F(PriceTest, WindowRendersBothPages)
{
    PriceDb db;
    PriceWindow w(db);
    w.query();
    w.selectProcess("G01");
    const QString dir = qEnvironmentVariable("WAGE_SHOTS_DIR");
    auto shot = [&](const QString &name) {
        QCoreApplication::processEvents();
        const QPixmap picture = w.form->grab();
        EXPECT_FALSE(picture.isNull());
        if (!dir.isEmpty())
            picture.save(QDir(dir).filePath(name));
    };
    shot("priceadj_single.png");
    db.exec("insert into F_PriceAdjust (gsxu_no,ip_gsxu,ip_djjw,Active_state) values ('G01','裁剪',1.8,'有效')");
    db.exec("insert into F_PriceAdjust (gsxu_no,ip_gsxu,ip_djjw,Active_state) values ('G77','无',1,'无效')");
    db.exec("insert into F_PriceAdjust (gsxu_no,ip_gsxu,ip_djjw,Active_state) values ('G02','缝制',2.5,null)");
    w.form->F_PriceAdjust->requery();
    w.form->PageControl2->setCurrentIndex(1);
    shot("priceadj_sheet.png");
    w.form->PageControl1->setCurrentIndex(1);
    shot("priceadj_global.png");
}
