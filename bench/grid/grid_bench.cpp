// The data grid over many piece records with a footer of sums and the search panel: opening and
// laying out, one edit/post/next round, a search keystroke and clearing it, a title sort. Each is
// timed beside the same work on the bare dataset (no grid attached), on the offscreen platform.
// Times are CPU time of the thread (the machine is shared; wall time measures the neighbours).
//   grid_bench [rows]   (default 100000)
#include "db/connection.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "demodata.h"
#include "kit/datagrid.h"
#include "kit/disgrid.h"
#include "kit/gridsearch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <time.h>

namespace {

constexpr int kRounds = 200;

qint64 cpuNow()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

qint64 timed(const std::function<void()> &work)
{
    const qint64 start = cpuNow();
    work();
    QCoreApplication::processEvents();   // the grid paints what changed
    return cpuNow() - start;
}

void line(const char *what, qint64 bare, qint64 grid, int per = 1)
{
    std::printf("  %-40s %10.3f ms %12.3f ms %8.2fx\n", what, bare / 1e6 / per, grid / 1e6 / per,
                bare > 0 ? double(grid) / double(bare) : 0.0);
}

void editRounds(wage::Dataset &ds)
{
    const wage::Field amount = ds.fieldByName(QStringLiteral("jjje"));
    ds.first();
    for (int i = 0; i < kRounds; ++i) {
        ds.edit();
        amount.setAsFloat(amount.asFloat() + 1);
        ds.post();
        ds.next();
    }
}

// The search panel's filter over the columns the grid shows.
wage::Dataset::RecordFilter searchOver(const wage::DataGrid &grid, const wage::Dataset &ds, const QString &text)
{
    QList<wage::SearchColumn> cols;
    for (const wage::GridColumn &c : grid.columns())
        if (c.visible && ds.fieldIndex(c.fieldName) >= 0)
            cols << wage::SearchColumn{ds.fieldIndex(c.fieldName), ds.fieldKind(ds.fieldIndex(c.fieldName))};
    return wage::searchFilter(text, cols);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    wage::Connection c;
    c.openFile(dir.filePath(QStringLiteral("bench.db")), wage::Dialect::MsSql);
    wage::DemoSize size;
    size.pieceRecords = rows;
    size.workers = 200;
    wage::createWageDatabase(&c, wage::Dialect::MsSql, size);
    const QString sql = QStringLiteral("select * from f_jijm");

    // Bare dataset.
    wage::Dataset bare(&c, sql);
    const qint64 bareOpen = timed([&] { bare.open(); });
    c.beginTransaction();
    const qint64 bareEdit = timed([&] { editRounds(bare); });
    c.commit();

    // The grid, laid out from the registry, with footer sums and the search panel.
    wage::Dataset ds(&c, sql);
    wage::DataSource source(&ds);
    wage::DataGrid grid;
    grid.resize(1200, 700);
    const qint64 gridOpen = timed([&] {
        ds.open();
        DisGrid(QStringLiteral("f_jijm"), QStringLiteral("系统管理员"), &source, &c, &grid);
        grid.setFooterSums(true);
        grid.setSearchPanel(true);
        grid.show();
    });
    c.beginTransaction();
    const qint64 gridEdit = timed([&] { editRounds(ds); });
    c.commit();

    // Search keystrokes: one character, a second one, then clearing.
    const QString first = QStringLiteral("李"), second = QStringLiteral("李桂");
    const qint64 bareKey1 = timed([&] { bare.setFilter(searchOver(grid, bare, first)); });
    const int bareShown1 = bare.recordCount();
    const qint64 bareKey2 = timed([&] { bare.narrowFilter(searchOver(grid, bare, second)); });
    const int bareShown = bare.recordCount();
    const qint64 bareClear = timed([&] { bare.setFilter(nullptr); });
    const qint64 gridKey1 = timed([&] { grid.setSearchText(first); });
    const int gridShown1 = ds.recordCount();
    const qint64 gridKey2 = timed([&] { grid.setSearchText(second); });
    const int gridShown = ds.recordCount();
    const QString footer = grid.footerText(grid.columnOfField(QStringLiteral("jjje")));
    const qint64 gridClear = timed([&] { grid.setSearchText(QString()); });

    // Title sort by the worker's name (pinyin), then by the amount.
    const qint64 bareSortName = timed([&] { bare.setSort(QStringLiteral("ry_name")); });
    const qint64 bareSortAmount = timed([&] {
        bare.setSort(QStringLiteral("jjje"));
        bare.setSort(QStringLiteral("jjje DESC"));
    });
    const qint64 gridSortName = timed([&] { grid.titleClick(grid.columnOfField(QStringLiteral("ry_name"))); });
    const qint64 gridSortAmount = timed([&] {
        grid.titleClick(grid.columnOfField(QStringLiteral("jjje")));
        grid.titleClick(grid.columnOfField(QStringLiteral("jjje")));
    });

    std::printf("grid bench: %d piece records, grid laid out from the registry, footer sums and search panel\n", rows);
    std::printf("  %-40s %13s %15s %9s\n", "", "bare dataset", "data grid", "ratio");
    line("open (+ lay out, footer, paint)", bareOpen, gridOpen);
    line("edit/post/next round (mean of 200)", bareEdit, gridEdit, kRounds);
    line("search keystroke \"李\"", bareKey1, gridKey1);
    line("search keystroke \"李桂\" (narrowing)", bareKey2, gridKey2);
    line("clearing the search", bareClear, gridClear);
    line("title sort ry_name (pinyin)", bareSortName, gridSortName);
    line("title sort jjje (twice: asc, desc)", bareSortAmount, gridSortAmount);
    std::printf("  rows found: \"%s\" %d bare, %d grid; \"%s\" %d bare, %d grid, footer 金额 over them %s\n",
                qPrintable(first), bareShown1, gridShown1, qPrintable(second), bareShown, gridShown, qPrintable(footer));
    return 0;
}
