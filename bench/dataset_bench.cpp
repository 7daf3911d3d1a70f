// Dataset throughput over a wage database of piece records: open, walk, and edit one money
// field of every row with a post each, in one transaction. Beside it, the same work through
// the sqlite3 API directly, as the floor of what the engine costs.
//   dataset_bench [rows]   (default 100000)
#include "db/connection.h"
#include "db/dataset.h"
#include "demodata.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>
#include <vector>

namespace {

long peakKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

double perSecond(qint64 rows, qint64 ns) { return ns > 0 ? rows * 1e9 / double(ns) : 0.0; }

void line(const char *what, qint64 rows, qint64 ns)
{
    std::printf("  %-34s %9.0f rows/s  (%.3f s)\n", what, perSecond(rows, ns), ns / 1e9);
}

// The baseline: read every column of every row to memory, then update one money column of
// each row through one prepared statement in one transaction.
void baseline(const QString &path, qint64 rows)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *sel = nullptr;
    sqlite3_prepare_v2(db, "select * from f_jijm", -1, &sel, nullptr);
    struct Row { long long id; double amount; std::vector<std::string> text; };
    std::vector<Row> all;
    all.reserve(size_t(rows));
    const int columns = sqlite3_column_count(sel);
    while (sqlite3_step(sel) == SQLITE_ROW) {
        Row r{sqlite3_column_int64(sel, 0), 0.0, {}};
        for (int c = 1; c < columns; ++c) {
            const unsigned char *s = sqlite3_column_text(sel, c);
            r.text.emplace_back(s ? reinterpret_cast<const char *>(s) : "");
        }
        all.push_back(std::move(r));
    }
    sqlite3_finalize(sel);
    const qint64 readNs = t.nsecsElapsed();
    t.restart();
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt *upd = nullptr;
    sqlite3_prepare_v2(db, "update f_jijm set jjje=round(jjje*1.01,2) where dj_no=?", -1, &upd, nullptr);
    for (const Row &r : all) {
        sqlite3_bind_int64(upd, 1, r.id);
        sqlite3_step(upd);
        sqlite3_reset(upd);
    }
    sqlite3_finalize(upd);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    const qint64 editNs = t.nsecsElapsed();
    sqlite3_close(db);
    std::printf("baseline: sqlite3 API directly\n");
    line("read all rows", qint64(all.size()), readNs);
    line("update one money field per row", qint64(all.size()), editNs);
    std::printf("  peak memory so far                 %ld KiB\n", peakKb());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    QElapsedTimer t;

    wage::Connection c;
    c.openFile(path, wage::Dialect::MsSql);
    wage::DemoSize size;
    size.pieceRecords = rows;
    size.workers = 200;
    t.start();
    wage::createWageDatabase(&c, wage::Dialect::MsSql, size);
    const qint64 createNs = t.nsecsElapsed();
    std::printf("dataset bench: %d piece records (f_jijm, %s)\n", rows, qPrintable(path));
    line("create demo database", rows, createNs);
    c.close();

    baseline(path, rows);

    c.openFile(path, wage::Dialect::MsSql);
    wage::Dataset ds(&c, QStringLiteral("select * from f_jijm"));
    t.restart();
    ds.open();
    const qint64 openNs = t.nsecsElapsed();
    t.restart();
    double sum = 0;
    for (ds.first(); !ds.eof(); ds.next())
        sum += ds.fieldByName(QStringLiteral("jjje")).asFloat();
    const qint64 walkNs = t.nsecsElapsed();
    t.restart();
    c.beginTransaction();
    const wage::Field amount = ds.fieldByName(QStringLiteral("jjje"));
    for (ds.first(); !ds.eof(); ds.next()) {
        ds.edit();
        amount.setAsFloat(qRound64(amount.asFloat() * 101.0) / 100.0);
        ds.post();
    }
    c.commit();
    const qint64 editNs = t.nsecsElapsed();
    std::printf("dataset: wage::Dataset over the same rows (sum %.2f)\n", sum);
    line("open (read all rows)", ds.recordCount(), openNs);
    line("walk first..eof", ds.recordCount(), walkNs);
    line("edit + post one money field", ds.recordCount(), editNs);
    std::printf("  peak memory                        %ld KiB\n", peakKb());
    return 0;
}
