// The order-monitoring window through the real plug-in (hosted in-process on the offscreen
// platform) on the demonstration database scaled to 200 orders x 5 lines x 8 processes and
// 1,000,000 piece records: opening the window with every grid laid out, switching the order
// filter, and realtime ticks (feed, totals, chart). Beside each figure the same reads written
// by hand for SQLite; beside the tick the interval of its timer.
//
//   build/bench/ordmon_window_bench [piece records]     (default 1000000)
//
// With ORDMON_WINDOW_GRAB=<folder> it also saves pictures of the main page after a summary
// run, the script page and the realtime page with its chart.
#include "benchhost.h"

#include "core/appdir.h"
#include "core/prompt.h"
#include "db/dataset.h"
#include "db/datasource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsView>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// Runs `sql` directly on SQLite and walks its rows; the number of rows.
int direct(wage::Connection *c, const QString &sql)
{
    QSqlQuery q(c->database());
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        std::fprintf(stderr, "参考语句失败：%s\n%s\n", q.lastError().text().toUtf8().constData(), sql.toUtf8().constData());
        return -1;
    }
    int rows = 0;
    while (q.next()) {
        const int columns = q.record().count();
        for (int i = 0; i < columns; ++i)
            q.value(i);
        ++rows;
    }
    return rows;
}

double timed(const std::function<void()> &body)
{
    QElapsedTimer t;
    t.start();
    body();
    return double(t.nsecsElapsed()) / 1e6;
}

void line(const char *what, double plugin, double reference, const QString &note = QString())
{
    if (reference > 0)
        std::printf("%-22s %12.1f %12.1f %8.2f  %s\n", what, plugin, reference, plugin / reference, note.toUtf8().constData());
    else
        std::printf("%-22s %12.1f %12s %8s  %s\n", what, plugin, "-", "-", note.toUtf8().constData());
}

void grabTo(QWidget *window, const char *name)
{
    const QString folder = qEnvironmentVariable("ORDMON_WINDOW_GRAB");
    if (folder.isEmpty())
        return;
    // Charts and views lay themselves out in posted events of their own: let them settle.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const QString file = folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    window->grab().save(file);
    // The chart on its own as well: a grab of the whole window may show its previous picture.
    if (auto *chart = window->findChild<QGraphicsView *>(QStringLiteral("DBChart_pc")); chart && chart->isVisible())
        chart->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral("_chart.png"));
    std::printf("  图片 %s\n", file.toUtf8().constData());
}

void tick(QTimer *timer)
{
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    wage::ScopedScriptedPrompt prompt;
    keepBenchRunning();
    const int records = argc > 1 ? atoi(argv[1]) : 1000000;

    BenchHost bench;
    if (!bench.build(records)) {
        std::fprintf(stderr, "程序目录无法写入\n");
        return 1;
    }
    std::printf("订单监控窗口：200 个订单 x 5 条明细 x 8 道工序，计件记录 %d 条（数据库 %lld ms）\n", records,
                bench.databaseMs);
    wage::Connection *c = bench.connection();
    host::TMainForm *mainForm = bench.mainForm.get();
    host::TModuleForm *orders = nullptr;
    // Process rows of every order, so that the grids have their full content.
    QWidget *monitor = bench.openMonitor(&orders);
    if (!monitor) {
        std::fprintf(stderr, "订单监控窗口没有打开\n");
        return 1;
    }
    monitor->findChild<QRadioButton *>(QStringLiteral("RadioButton2"))->click();
    monitor->findChild<QAbstractButton *>(QStringLiteral("ToolButton1"))->click();
    mainForm->closeModules();
    QApplication::processEvents();

    std::printf("\n%-22s %12s %12s %8s\n", "操作", "插件 ms", "SQLite ms", "比值");
    orders = mainForm->openModule(QStringLiteral("f_pici"));
    const double open = timed([&] {
        orders->openFunction(QStringLiteral("订单监控"));
        monitor = monitorWindow();
        if (monitor)
            monitor->grab();   // laid out and painted once
    });
    if (!monitor) {
        std::fprintf(stderr, "订单监控窗口没有打开\n");
        return 1;
    }
    const double openRef = timed([&] {
        direct(c, QStringLiteral("select * from f_pici"));
        direct(c, QStringLiteral("select * from f_pcmx where pc_id = (select min(pc_id) from f_pici)"));
        direct(c, QStringLiteral("select * from f_pcjk where pc_id = (select min(pc_id) from f_pici)"));
    });
    line("打开窗口", open, openRef, QStringLiteral("三个表格布局并绘制"));

    if (!qEnvironmentVariableIsEmpty("ORDMON_WINDOW_GRAB")) {
        orders->datasource1->dataSet()->first();
        monitor->findChild<QAbstractButton *>(QStringLiteral("ToolButton2"))->click();
        grabTo(monitor, "ordmon_main");
        auto *pages = monitor->findChild<QTabWidget *>(QStringLiteral("PageControl2"));
        pages->setTabVisible(1, true);
        pages->setCurrentIndex(1);
        grabTo(monitor, "ordmon_scripts");
        pages->setCurrentIndex(0);
    }

    // The order filter, item by item; the reference reads the same orders.
    const QString day = QDate::currentDate().toString(Qt::ISODate), month = QDate::currentDate().toString(QStringLiteral("yyyyMM"));
    const QString refs[] = {
        QStringLiteral("select * from f_pici"),
        QStringLiteral("select * from f_pici where pc_state='结案'"),
        QStringLiteral("select * from f_pici where pc_no in (select pc_no from f_jijm where date(riqi)='%1')").arg(day),
        QStringLiteral("select * from f_pici where pc_no in (select pc_no from f_jijm where ip_gsxu like '%包装%' and date(riqi)='%1')").arg(day),
        QStringLiteral("select * from f_pici where pc_no in (select pc_no from f_jijm where strftime('%Y%m', riqi)='%1')").arg(month),
        QStringLiteral("select * from f_pici where pc_no in (select pc_no from f_jijm where ip_gsxu like '%包装%' and strftime('%Y%m', riqi)='%1')").arg(month),
    };
    const char *items[] = {"订单过滤：所有", "订单过滤：已结案", "订单过滤：今日在产", "订单过滤：今日入库", "订单过滤：本月在产", "订单过滤：本月入库"};
    for (int item = 5; item >= 0; --item) {
        auto *button = monitor->findChild<QRadioButton *>(QStringLiteral("RadioGroup1_%1").arg(item));
        int shown = 0;
        const double ms = timed([&] {
            button->click();
            QApplication::processEvents();
            shown = orders->datasource1->dataSet()->recordCount();
        });
        int refRows = 0;
        const double ref = timed([&] { refRows = direct(c, refs[item]); });
        line(items[item], ms, ref, QStringLiteral("%1 个订单（参考 %2）").arg(shown).arg(refRows));
    }

    // Realtime page: the first tick feeds the latest records and draws today's ranking, the
    // second draws the month; the reference runs the same reads by hand.
    monitor->findChild<QTabWidget *>(QStringLiteral("PageControl2"))->setCurrentIndex(2);
    auto *timer2 = monitor->findChild<QTimer *>(QStringLiteral("Timer2"));
    auto *timer3 = monitor->findChild<QTimer *>(QStringLiteral("Timer3"));
    direct(c, QStringLiteral("drop table if exists ref_feed"));
    direct(c, QStringLiteral("create table ref_feed as select * from f_jijm where 0"));
    const QDate today = QDate::currentDate();
    const QString d0 = today.toString(Qt::ISODate), d1 = today.addDays(1).toString(Qt::ISODate);
    const QString w0 = today.addDays(-(today.dayOfWeek() % 7)).toString(Qt::ISODate), w1 = today.addDays(7 - today.dayOfWeek() % 7).toString(Qt::ISODate);
    const QString m0 = QDate(today.year(), today.month(), 1).toString(Qt::ISODate), m1 = QDate(today.year(), today.month(), 1).addMonths(1).toString(Qt::ISODate);
    const QString sum = QStringLiteral("select round(ifnull(sum(jjje),0),2) from f_jijm where riqi >= '%1' and riqi < '%2'");
    const QString tickParts[][2] = {
        {QStringLiteral("  取数 50 条"), QStringLiteral("insert into ref_feed select * from (select * from f_jijm order by dj_no desc limit 50) t "
                                                   "where not exists (select 1 from ref_feed where ref_feed.dj_no = t.dj_no)")},
        {QStringLiteral("  当日合计"), sum.arg(d0, d1)},
        {QStringLiteral("  当周合计"), sum.arg(w0, w1)},
        {QStringLiteral("  当月合计"), sum.arg(m0, m1)},
        {QStringLiteral("  排名图表"), QStringLiteral("select ry_name, sum(jjje) s from f_jijm where riqi >= '%1' and riqi < '%2' group by ry_name "
                                                 "order by s desc limit 20").arg(d0, d1)},
        {QStringLiteral("  月度图表"), QStringLiteral("select date(riqi), sum(s) from (select riqi, sum(jjje) s from f_jijm where riqi >= '%1' and riqi < '%2' "
                                                 "group by riqi) group by date(riqi)").arg(m0, m1)},
    };
    double tickRef = 0;
    std::printf("SQLite 参考（每次）：");
    for (const auto &part : tickParts) {
        const double ms = timed([&] { direct(c, part[1]); });
        tickRef += ms;
        std::printf("%s %.1f ms ", part[0].trimmed().toUtf8().constData(), ms);
    }
    std::printf("\n");
    const QString interval = QStringLiteral("定时器间隔 %1 ms").arg(timer2->interval());
    for (const char *what : {"实时产能：首次（排名）", "实时产能：再次（月度）"}) {
        const double ms = timed([&] {
            tick(timer2);
            QApplication::processEvents();
        });
        line(what, ms, tickRef, interval + (ms < timer2->interval() ? QStringLiteral("，未超出") : QStringLiteral("，超出！")));
    }
    tick(timer2);
    grabTo(monitor, "ordmon_realtime_day");
    tick(timer2);
    grabTo(monitor, "ordmon_realtime_month");
    const double orderTick = timed([&] {
        tick(timer3);
        QApplication::processEvents();
    });
    line("实时订单（Timer3）", orderTick, 0, QStringLiteral("定时器间隔 %1 ms").arg(timer3->interval()));
    mainForm->closeModules();
    QApplication::processEvents();
    return 0;
}
