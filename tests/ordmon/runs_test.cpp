// The runs over several orders: pause, the scope of selected lines, an order without lines.
#include "ordmonfixture.h"

#include "db/datasource.h"
#include "kit/datagrid.h"
#include "kit/gridmodel.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>

namespace wagetest {
namespace {

class Runs : public OrdmonFixture {
protected:
    // Three orders of two lines each over the worked example's product.
    void seedThreeOrders()
    {
        seedWorkedExample(QStringLiteral("D1"));
        addLine(1, QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("PH2"), 50);
        for (const char *no : {"D2", "D3"}) {
            const int pc = addOrder(QString::fromLatin1(no));
            addLine(pc, QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("PH1"), 100);
            addLine(pc, QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("PH2"), 50);
        }
    }
};

TEST_F(Runs, SummaryOfAllOrdersComputesEveryOrder)
{
    makeDatabase(wage::Dialect::MsSql, 2);
    seedThreeOrders();
    openMonitor();
    control<QRadioButton>("RadioButton2")->click();
    click("ToolButton1");   // rebuilds the process rows of every order
    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pcjk")).toInt(), 12);
    orders->datasource1->dataSet()->first();
    click("ToolButton2");
    EXPECT_NEAR(number(QStringLiteral("select pc_total from f_pici where pc_no='D1'")), 30, 1e-9);
    EXPECT_NEAR(number(QStringLiteral("select ip_jhsccb from f_pici where pc_no='D3'")), 150 * 1.1, 1e-9);
    EXPECT_DOUBLE_EQ(number(QStringLiteral("select count(*) from f_pcjk where pc_dhul is null")), 0);
    EXPECT_TRUE(control<QAbstractButton>("ToolButton1")->isEnabled());
    EXPECT_FALSE(control<QAbstractButton>("ToolButton5")->isEnabled());
}

TEST_F(Runs, PauseEndsARefreshOfAllOrdersAfterTheCurrentLine)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedThreeOrders();
    openMonitor();
    control<QRadioButton>("RadioButton2")->click();
    // The pause is pressed while the run lets pending messages run.
    QTimer::singleShot(0, monitor(), [this] { click("ToolButton5"); });
    click("ToolButton1");
    EXPECT_TRUE(prompt.saw(QStringLiteral("汇总已暂停")));
    EXPECT_EQ(value(QStringLiteral("select count(distinct pc_id) from f_pcjk")).toInt(), 1);
    EXPECT_TRUE(control<QAbstractButton>("ToolButton1")->isEnabled());
    EXPECT_FALSE(control<QAbstractButton>("ToolButton5")->isEnabled());
}

TEST_F(Runs, SelectedLinesScope)
{
    makeDatabase(wage::Dialect::MsSql, 2);
    seedThreeOrders();
    openMonitor();
    control<QRadioButton>("RadioButton3")->click();

    // Nothing selected in the host's line grid: only the message, no statement.
    db->setTracing(true);
    click("ToolButton1");
    EXPECT_TRUE(prompt.saw(QStringLiteral("请选中订单明细中的内容再操作！")));
    EXPECT_TRUE(db->trace().filter(QStringLiteral("f_pcjk"), Qt::CaseInsensitive).isEmpty());

    // The second line selected: only its batch is rebuilt and computed.
    orders->DBGridEhD->view()->selectionModel()->select(orders->DBGridEhD->gridModel()->index(1, 0),
                                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    click("ToolButton1");
    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pcjk")).toInt(), 2);
    EXPECT_EQ(value(QStringLiteral("select count(*) from f_pcjk where g_ph='PH2' and pc_dhul is not null")).toInt(), 2);
}

TEST_F(Runs, OrderWithoutLinesEndsTheSummary)
{
    makeDatabase(wage::Dialect::Access, 0);
    addOrder(QStringLiteral("D0"));
    openMonitor();
    click("ToolButton2");
    EXPECT_TRUE(prompt.saw(QStringLiteral("订单：D0, 订单明细为空！")));
    EXPECT_EQ(value(QStringLiteral("select state_id from f_pici where pc_no='D0'")).toInt(), 1);
    EXPECT_FALSE(control<QAbstractButton>("ToolButton5")->isEnabled());
}

} // namespace
} // namespace wagetest
