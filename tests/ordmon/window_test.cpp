// The context menu of the grids: what each user sees on each grid, and the commands that
// rebuild process rows and close orders.
#include "ordmonfixture.h"

#include "db/datasource.h"
#include "kit/datagrid.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QMenu>
#include <QTableView>

namespace wagetest {
namespace {

class Menu : public OrdmonFixture {
protected:
    // Opens PopupMenu1 on a grid of the window; the visible command tags.
    QList<int> popupOn(const char *gridName)
    {
        auto *grid = control<wage::DataGrid>(gridName);
        EXPECT_NE(grid, nullptr) << gridName;
        emit grid->view()->customContextMenuRequested(QPoint(5, 5));
        auto *menu = control<QMenu>("PopupMenu1");
        QList<int> tags;
        for (QAction *a : menu->actions())
            if (!a->isSeparator() && a->isVisible())
                tags.append(a->data().toInt());
        menu->hide();
        return tags;
    }
    void trigger(const char *action) { control<QAction>(action)->trigger(); }
};

TEST_F(Menu, ItemsByGridAndUser)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    openMonitor();
    EXPECT_EQ(popupOn("Ordmon_DBGridEh"), QList<int>({1, 2, 5, 3, 8}));
    EXPECT_EQ(popupOn("DBGridEh_Detail"), QList<int>({1, 2, 5, 6}));
    EXPECT_EQ(popupOn("DBGridEh_Master"), QList<int>({1, 2, 5, 10, 9}));
    EXPECT_EQ(popupOn("DBGridEh1"), QList<int>({1, 2, 5}));
}

TEST_F(Menu, ClerkSeesNoAdministratorCommands)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    user = QStringLiteral("张会计");
    exec(QStringLiteral("insert into usermod (mod_table,mod_func,mod_type,user_name) values ('f_pici','订单监控','拓展','张会计')"));
    openMonitor();
    EXPECT_EQ(popupOn("DBGridEh_Detail"), QList<int>({1, 2, 5}));
    EXPECT_EQ(popupOn("Ordmon_DBGridEh"), QList<int>({1, 2, 5}));
    EXPECT_EQ(popupOn("DBGridEh_Master"), QList<int>({1, 2, 5, 10, 9}));
}

TEST_F(Menu, SynchroniseTheOrderAndCloseTheTickedOrder)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    const int pc = addOrder(QStringLiteral("D2"));
    addLine(pc, QStringLiteral("P1"), QStringLiteral("G1"), QStringLiteral("PH9"), 40);
    openMonitor();
    popupOn("DBGridEh_Master");
    trigger("N10");
    const wage::QueryResult rows = db->query(QStringLiteral("select gsxu_no, pc_dhul, pc_no, g_ph from f_pcjk order by gsxu_no"));
    ASSERT_EQ(rows.rows.size(), 2);
    EXPECT_DOUBLE_EQ(rows.rows[0][1].toDouble(), 100);
    EXPECT_DOUBLE_EQ(rows.rows[1][1].toDouble(), 200);
    EXPECT_EQ(rows.rows[1][2].toString(), QStringLiteral("D1"));
    EXPECT_EQ(rows.rows[1][3].toString(), QStringLiteral("PH1"));

    orders->datasource1->dataSet()->setTicked(1, true);
    trigger("N9");
    EXPECT_EQ(value(QStringLiteral("select pc_state from f_pici where pc_no='D2'")).toString(), QStringLiteral("结案"));
    EXPECT_EQ(value(QStringLiteral("select pc_state from f_pici where pc_no='D1'")).toString(), QStringLiteral("生产"));
}

// Only the administrator's middle button shows the script page; 测算 runs the current script.
TEST_F(Menu, ScriptPageAndTrialRun)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    exec(QStringLiteral("insert into f_sqlcase (script_type,script_table,script_name,Script_index,Script_active,Script) values "
                        "('订单监控','f_pici','入库成本',1,1,'update f_pici set CurSTCB=9')"));
    openMonitor();
    auto *pages = control<QTabWidget>("PageControl2");
    auto press = [pages](Qt::MouseButton button) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), button, button, Qt::NoModifier);
        QApplication::sendEvent(pages->tabBar(), &e);
    };
    press(Qt::LeftButton);
    EXPECT_FALSE(pages->isTabVisible(1));
    press(Qt::MiddleButton);
    EXPECT_TRUE(pages->isTabVisible(1));
    press(Qt::RightButton);
    EXPECT_FALSE(pages->isTabVisible(1));

    auto *edit = control<QLineEdit>("DBEdit_script_name");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("入库成本"));
    QMetaObject::invokeMethod(control<QObject>("MyNavigator1"), "Click", Qt::DirectConnection, Q_ARG(QString, QStringLiteral("测算")));
    EXPECT_EQ(value(QStringLiteral("select CurSTCB from f_pici")).toInt(), 9);
    EXPECT_TRUE(prompt.saw(QStringLiteral("开始计算：入库成本")));
}

} // namespace
} // namespace wagetest
