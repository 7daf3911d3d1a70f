// Dataset throughput over a wage database of piece records: open, walk, and edit one money
// field of every row with a post each, in one transaction. Beside it, the same work through
// the sqlite3 API directly, as the floor of what the engine costs. Each side runs in a process
// of its own, so that its peak memory is its own (the demo database is made beforehand). Times
// are the process's CPU time (user + system), the best of three runs of each side: the machine
// is shared, and wall time mostly measures the neighbours.
//   dataset_bench [rows] [runs]   (default 100000 rows, 3 runs)
#include "db/connection.h"
#include "db/dataset.h"
#include "demodata.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

long peakKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// CPU time of this thread, which does all the work.
class CpuTimer {
public:
    void start() { m_start = now(); }
    void restart() { m_start = now(); }
    qint64 nsecsElapsed() const { return now() - m_start; }

private:
    static qint64 now()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
    qint64 m_start = 0;
};

struct Figures {
    qint64 rows = 0;
    qint64 openNs = 0;
    qint64 walkNs = 0;
    qint64 editNs = 0;
    long peak = 0;
};

void report(const Figures &f)
{
    std::printf("%lld %lld %lld %lld %ld\n", f.rows, f.openNs, f.walkNs, f.editNs, f.peak);
}

// The baseline: read every column of every row to memory, then update one money column of
// each row through one prepared statement in one transaction.
Figures sqliteSide(const QString &path)
{
    Figures f;
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    CpuTimer t;
    t.start();
    sqlite3_stmt *sel = nullptr;
    sqlite3_prepare_v2(db, "select * from f_jijm", -1, &sel, nullptr);
    struct Row { long long id; double amount; std::vector<std::string> text; };
    std::vector<Row> all;
    const int columns = sqlite3_column_count(sel);
    int amountColumn = -1;
    for (int c = 0; c < columns; ++c)
        if (qstricmp(sqlite3_column_name(sel, c), "jjje") == 0)
            amountColumn = c;
    while (sqlite3_step(sel) == SQLITE_ROW) {
        Row r{sqlite3_column_int64(sel, 0), sqlite3_column_double(sel, amountColumn), {}};
        for (int c = 1; c < columns; ++c) {
            const unsigned char *s = sqlite3_column_text(sel, c);
            r.text.emplace_back(s ? reinterpret_cast<const char *>(s) : "");
        }
        all.push_back(std::move(r));
    }
    sqlite3_finalize(sel);
    f.openNs = t.nsecsElapsed();
    t.restart();
    double sum = 0;
    for (const Row &r : all)
        sum += r.amount;
    f.walkNs = t.nsecsElapsed();
    t.restart();
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt *upd = nullptr;
    sqlite3_prepare_v2(db, "update f_jijm set jjje=? where dj_no=?", -1, &upd, nullptr);
    for (Row &r : all) {
        r.amount = qRound64(r.amount * 101.0) / 100.0;
        sqlite3_bind_double(upd, 1, r.amount);
        sqlite3_bind_int64(upd, 2, r.id);
        sqlite3_step(upd);
        sqlite3_reset(upd);
    }
    sqlite3_finalize(upd);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    f.editNs = t.nsecsElapsed();
    sqlite3_close(db);
    f.rows = qint64(all.size());
    f.peak = peakKb();
    return f;
}

Figures datasetSide(const QString &path)
{
    Figures f;
    wage::Connection c;
    c.openFile(path, wage::Dialect::MsSql);
    wage::Dataset ds(&c, QStringLiteral("select * from f_jijm"));
    CpuTimer t;
    t.start();
    ds.open();
    f.openNs = t.nsecsElapsed();
    t.restart();
    double sum = 0;
    const wage::Field amount = ds.fieldByName(QStringLiteral("jjje"));
    for (ds.first(); !ds.eof(); ds.next())
        sum += amount.asFloat();
    f.walkNs = t.nsecsElapsed();
    t.restart();
    c.beginTransaction();
    for (ds.first(); !ds.eof(); ds.next()) {
        ds.edit();
        amount.setAsFloat(qRound64(amount.asFloat() * 101.0) / 100.0);
        ds.post();
    }
    c.commit();
    f.editNs = t.nsecsElapsed();
    f.rows = ds.recordCount();
    f.peak = peakKb();
    return f;
}

bool runSide(const QString &side, const QString &path, Figures *out)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--side"), side, path});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s side failed: %s\n", qPrintable(side), p.readAllStandardError().constData());
        return false;
    }
    const QList<QByteArray> v = p.readAllStandardOutput().trimmed().split(' ');
    if (v.size() != 5)
        return false;
    *out = Figures{v[0].toLongLong(), v[1].toLongLong(), v[2].toLongLong(), v[3].toLongLong(), v[4].toLong()};
    return true;
}

void line(const char *what, qint64 rows, qint64 base, qint64 ours)
{
    auto rate = [rows](qint64 ns) { return ns > 0 ? rows * 1e9 / double(ns) : 0.0; };
    std::printf("  %-30s %9.3f s %10.0f rows/s   %9.3f s %10.0f rows/s   %5.2fx\n", what, base / 1e9, rate(base),
                ours / 1e9, rate(ours), base > 0 ? double(ours) / double(base) : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--side")) {
        report(args[2] == QLatin1String("sqlite") ? sqliteSide(args[3]) : datasetSide(args[3]));
        return 0;
    }
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    {
        wage::Connection c;
        c.openFile(path, wage::Dialect::MsSql);
        wage::DemoSize size;
        size.pieceRecords = rows;
        size.workers = 200;
        QElapsedTimer t;
        t.start();
        wage::createWageDatabase(&c, wage::Dialect::MsSql, size);
        std::printf("dataset bench: %d piece records (f_jijm), demo database made in %.2f s\n", rows,
                    t.nsecsElapsed() / 1e9);
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    Figures base, ours;
    auto best = [](Figures &into, const Figures &f, bool first) {
        if (first) {
            into = f;
            return;
        }
        into.openNs = std::min(into.openNs, f.openNs);
        into.walkNs = std::min(into.walkNs, f.walkNs);
        into.editNs = std::min(into.editNs, f.editNs);
        into.peak = std::min(into.peak, f.peak);
    };
    for (int run = 0; run < runs; ++run) {
        Figures b, o;
        if (!runSide(QStringLiteral("sqlite"), path, &b) || !runSide(QStringLiteral("dataset"), path, &o))
            return 1;
        best(base, b, run == 0);
        best(ours, o, run == 0);
    }
    std::printf("  best of %d runs, CPU time\n", runs);
    std::printf("  %-30s %-30s %-30s %s\n", "", "sqlite3 API directly", "wage::Dataset", "ratio");
    line("open (read all rows)", ours.rows, base.openNs, ours.openNs);
    std::printf("  %-30s %31s %9.3f s %10.0f rows/s\n", "walk first..eof (no baseline)", "", ours.walkNs / 1e9,
                ours.walkNs > 0 ? ours.rows * 1e9 / double(ours.walkNs) : 0.0);
    line("edit + post one money field", ours.rows, base.editNs, ours.editNs);
    std::printf("  %-30s %9ld KiB %20s %9ld KiB %20s %5.2fx\n", "peak memory of the process", base.peak, "", ours.peak,
                "", base.peak > 0 ? double(ours.peak) / double(base.peak) : 0.0);
    return 0;
}
