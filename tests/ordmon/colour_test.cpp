// What the grids draw for each row: the state colour of the legend (actual against planned
// figures, nothing produced first) and the progress column's bar colour, bar value and
// "%.0f%%" text, on the order, line and process-row grids.
#include "ordmonfixture.h"

#include "db/dataset.h"
#include "kit/datagrid.h"
#include "kit/gridmodel.h"

#include <QAction>
#include <QLabel>
#include <QTableView>

namespace wagetest {
namespace {

struct Drawn {
    QColor state;
    wage::ProgressCell progress;
};

class Colours : public OrdmonFixture {
protected:
    QColor legend(const char *state) const { return control<QLabel>(state)->palette().color(QPalette::Window); }

    // The row whose `keyField` reads `key`: the state colour of its first field cell, and its
    // cell of the progress column.
    Drawn drawn(wage::DataGrid *grid, const char *keyField, const QString &key) const
    {
        Drawn result;
        wage::Dataset *d = grid->dataset();
        const int keyIndex = d->fieldIndex(QString::fromLatin1(keyField));
        int row = 0;
        while (row < d->recordCount() && d->value(row, keyIndex).toString().trimmed() != key)
            ++row;
        if (row == d->recordCount()) {
            ADD_FAILURE() << "no row " << key.toStdString();
            return result;
        }
        int fieldColumn = 0;
        while (grid->column(fieldColumn).fieldName.isEmpty())
            ++fieldColumn;
        wage::CellStyle style;
        if (grid->gridModel()->styleHook()(row, fieldColumn, &style))
            result.state = style.background;
        int progressColumn = 0;
        while (progressColumn < grid->columnCount() && grid->column(progressColumn).caption != QStringLiteral("进度"))
            ++progressColumn;
        if (progressColumn == grid->columnCount()) {
            ADD_FAILURE() << "no progress column";
            return result;
        }
        EXPECT_TRUE(grid->column(progressColumn).fieldName.isEmpty());
        result.progress = grid->gridModel()->progressHook(progressColumn)(row);
        EXPECT_EQ(grid->gridModel()->cellText(row, progressColumn), result.progress.text);
        return result;
    }
};

const QColor yellow(0xFF, 0xFF, 0x00), lime(0x00, 0xFF, 0x00), moneyGreen(0xC0, 0xDC, 0xC0), skyBlue(0xA6, 0xCA, 0xF0),
    red(0xFF, 0x00, 0x00);

TEST_F(Colours, OrderGridRowsAndProgressColumn)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    struct Case {
        const char *pcNo;
        const char *total, *planned, *wcl; // SQL literals
        const char *state;
        int percent;
        QColor bar;
        const char *text;
    };
    const Case cases[] = {
        {"O0", "null", "100", "null", "state2", 0, yellow, "0%"},      // nulls read as 0
        {"O1", "50", "100", "0.3", "state4", 30, lime, "30%"},
        {"O2", "100", "100", "0.69", "state1", 69, moneyGreen, "69%"},
        {"O3", "120", "100", "0.944", "state3", 94, skyBlue, "94%"},
        {"O4", "10", "100", "0.949", "state4", 95, red, "95%"},        // rounded, not cut, before the colour
        {"O5", "0", "0", "1.234", "state2", 100, red, "123%"},         // nothing produced wins; text unlimited
        {"O6", "10", "100", "-0.2", "state4", 0, yellow, "-20%"},
    };
    for (const Case &c : cases) {
        addOrder(QString::fromLatin1(c.pcNo));
        exec(QStringLiteral("update f_pici set pc_total=%1, ip_jhsccb=%2, pc_wcl=%3 where pc_no='%4'")
                 .arg(QString::fromLatin1(c.total), QString::fromLatin1(c.planned), QString::fromLatin1(c.wcl),
                      QString::fromLatin1(c.pcNo)));
    }
    openMonitor();
    auto *grid = control<wage::DataGrid>("DBGridEh_Master");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->column(3).caption, QStringLiteral("进度"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pcNo);
        const Drawn d = drawn(grid, "pc_no", QString::fromLatin1(c.pcNo));
        EXPECT_EQ(d.state, legend(c.state));
        EXPECT_EQ(d.progress.percent, c.percent);
        EXPECT_EQ(d.progress.bar, c.bar);
        EXPECT_EQ(d.progress.text, QString::fromLatin1(c.text));
    }
    EXPECT_EQ(legend("state4"), lime);
    EXPECT_EQ(legend("state1"), QColor(0xFF, 0x00, 0xFF));
    EXPECT_EQ(legend("state3"), red);
}

// The line grid compares and shows the line's own figures; the process rows divide the actual
// by the planned quantity, 0 when nothing was planned.
TEST_F(Colours, LineAndProcessRowGrids)
{
    makeDatabase(wage::Dialect::MsSql, 0);
    seedWorkedExample();
    exec(QStringLiteral("update f_pcmx set pc_total=40, ip_jhsccb=80, pc_wcl=0.5"));
    openMonitor();

    auto *lines = control<wage::DataGrid>("DBGridEh_Detail");
    ASSERT_NE(lines, nullptr);
    const Drawn line = drawn(lines, "g_ph", QStringLiteral("PH1"));
    EXPECT_EQ(line.state, legend("state4"));
    EXPECT_EQ(line.progress.bar, moneyGreen);
    EXPECT_EQ(line.progress.text, QStringLiteral("50%"));

    // Process rows of the order, then figures changed behind the grid and the grid refreshed.
    auto *master = control<wage::DataGrid>("DBGridEh_Master");
    emit master->view()->customContextMenuRequested(QPoint(5, 5));
    control<QAction>("N10")->trigger();
    exec(QStringLiteral("update f_pcjk set pc_sjcl=250, pc_dhul=200 where gsxu_no='01'"));
    exec(QStringLiteral("update f_pcjk set pc_sjcl=5, pc_dhul=0 where gsxu_no='02'"));
    auto *rows = control<wage::DataGrid>("Ordmon_DBGridEh");
    ASSERT_NE(rows, nullptr);
    emit rows->view()->customContextMenuRequested(QPoint(5, 5));
    control<QAction>("N5")->trigger();
    ASSERT_EQ(rows->dataset()->recordCount(), 2);

    const Drawn over = drawn(rows, "gsxu_no", QStringLiteral("01"));
    EXPECT_EQ(over.state, legend("state3"));
    EXPECT_EQ(over.progress.percent, 100);
    EXPECT_EQ(over.progress.bar, red);
    EXPECT_EQ(over.progress.text, QStringLiteral("125%"));
    const Drawn unplanned = drawn(rows, "gsxu_no", QStringLiteral("02"));
    EXPECT_EQ(unplanned.state, legend("state3"));
    EXPECT_EQ(unplanned.progress.bar, yellow);
    EXPECT_EQ(unplanned.progress.text, QStringLiteral("0%"));
}

} // namespace
} // namespace wagetest
