// Translated statements against hand-written SQLite for the same work, on piece records of the
// embedded engine; and the growth of an indexed sum from 100,000 to 1,000,000 records.
//
//   build/bench/sqltranslate_bench [records]     (default 1000000)
#include "db/connection.h"
#include "db/embeddedindexes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>

#include <sqlite3.h>

#include <cstdio>
#include <functional>

using wage::Connection;

namespace {

void fill(Connection &c, int records)
{
    c.execute(QStringLiteral("create table f_jijm (dj_no int, riqi datetime, ry_no nvarchar(20), ry_name nvarchar(20), "
                             "pc_no nvarchar(20), ip_no nvarchar(20), G_PH nvarchar(20), gsxu_no nvarchar(20), "
                             "ip_gsxu nvarchar(40), ip_djjw money, ip_uuld money, jjje money, locked nvarchar(10))"));
    c.execute(QStringLiteral("create table F_PriceAdjust (gsxu_no nvarchar(20), ip_djjw money, Active_state nvarchar(10))"));
    for (int g = 0; g < 20; ++g)
        c.execute(QStringLiteral("insert into F_PriceAdjust values ('G%1', 1.5, '%2')").arg(g, 2, 10, QLatin1Char('0')).arg(g % 2 ? QStringLiteral("有效") : QStringLiteral("失效")));
    // generated through the raw handle: filling is not what is measured
    sqlite3 *h = c.sqliteHandle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO f_jijm VALUES (?,?,?,?,?,?,?,?,?,?,?,?,NULL)", -1, &st, nullptr);
    for (int i = 0; i < records; ++i) {
        const QByteArray riqi = QDate(2025, 1, 1).addDays(i % 365).toString(Qt::ISODate).toLatin1();
        const QByteArray ry = QByteArray::number(i % 500);
        // order numbers stored padded now and then, as the host does
        // 50 records per order: more records mean more orders, as in a factory's database
        const QByteArray pc = "PC" + QByteArray::number(i / 50).rightJustified(6, '0') + (i % 3 ? "" : "  ");
        const QByteArray gs = "G" + QByteArray::number(i % 20).rightJustified(2, '0') + (i % 5 ? "" : " ");
        sqlite3_bind_int(st, 1, i + 1);
        sqlite3_bind_text(st, 2, riqi.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, ry.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, "工人", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 5, pc.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 6, "P01", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 7, "B1", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 8, gs.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 9, "工序", -1, SQLITE_STATIC);
        sqlite3_bind_double(st, 10, 0.5);
        sqlite3_bind_int(st, 11, i % 50);
        sqlite3_bind_double(st, 12, (i % 50) * 0.5);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    wage::ensureEmbeddedIndexes(&c);
    // both paths commit alike; without the disk's flush time the figures show the engines' work
    sqlite3_exec(h, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
}

// The two works alternate round by round, so that caches favour neither.
std::pair<double, double> timePair(int rounds, const std::function<void(int)> &a, const std::function<void(int)> &b)
{
    qint64 ta = 0, tb = 0;
    QElapsedTimer t;
    for (int i = 0; i < rounds; ++i) {
        t.start();
        a(i);
        ta += t.nsecsElapsed();
        t.start();
        b(i);
        tb += t.nsecsElapsed();
    }
    return {ta / 1e6 / rounds, tb / 1e6 / rounds};
}

double timeIt(int rounds, const std::function<void(int)> &work)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i)
        work(i);
    return t.nsecsElapsed() / 1e6 / rounds;
}

int g_orders = 1;
QString keyPc(int i) { return QStringLiteral("PC%1").arg((i * 7919) % g_orders, 6, 10, QLatin1Char('0')); }
QString keyG(int i) { return QStringLiteral("G%1").arg(i % 20, 2, 10, QLatin1Char('0')); }

void rawExec(Connection &c, const QString &sql)
{
    QSqlQuery q(c.database());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        std::fprintf(stderr, "hand-written statement failed: %s\n", qPrintable(sql));
    QVariantList values;
    while (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            values.append(q.value(i));
}

void row(const char *what, double translated, double hand)
{
    std::printf("%-44s %12.3f %12.3f %8.2f\n", what, translated, hand, translated / hand);
}

// Translated before (each text translated and prepared on its own) and after (statements of one
// shape share both), beside hand-written SQLite; the three alternate round by round, each on rows
// of its own so that none finds its pages warmed by another.
void compareShared(Connection &c, const char *what, int rounds, const std::function<void(int)> &translated,
                   const std::function<void(int)> &hand)
{
    qint64 tb = 0, ta = 0, th = 0;
    QElapsedTimer t;
    for (int i = 0; i < rounds; ++i) {
        c.setStatementSharing(false);
        t.start();
        translated(i);
        tb += t.nsecsElapsed();
        c.setStatementSharing(true);
        t.start();
        translated(i + rounds);
        ta += t.nsecsElapsed();
        t.start();
        hand(i + 2 * rounds);
        th += t.nsecsElapsed();
    }
    const double before = tb / 1e6 / rounds, after = ta / 1e6 / rounds, base = th / 1e6 / rounds;
    std::printf("%-44s %10.3f %10.3f %10.3f %8.2f %8.2f\n", what, before, after, base, before / base, after / base);
}

void compareSmall(Connection &c, int records)
{
    std::printf("\n%-44s %10s %10s %10s %8s %8s\n", "small statement (ms per run)", "before", "after", "hand", "before x", "after x");
    const int rounds = 2000;
    compareShared(c, "select by dj_no", rounds,
        [&](int i) { c.query(QStringLiteral("select ry_name, jjje from f_jijm where dj_no=%1").arg(1 + (i * 7919) % records)); },
        [&](int i) { rawExec(c, QStringLiteral("SELECT ry_name, jjje FROM f_jijm WHERE dj_no = %1").arg(1 + (i * 7919) % records)); });
    compareShared(c, "update by dj_no", rounds,
        [&](int i) { c.execute(QStringLiteral("update f_jijm set locked='%2' where dj_no=%1").arg(1 + (i * 7919) % records).arg(i % 2 ? QStringLiteral("锁") : QString())); },
        [&](int i) { rawExec(c, QStringLiteral("UPDATE f_jijm SET locked = '%2' WHERE dj_no = %1").arg(1 + (i * 7919) % records).arg(i % 2 ? QStringLiteral("锁") : QString())); });
    compareShared(c, "sum over Rtrim(pc_no), Rtrim(gsxu_no)", 300,
        [&](int i) { c.query(QStringLiteral("select sum(ip_uuld) from f_jijm where Rtrim(pc_no)='%1' and Rtrim(gsxu_no)='%2'").arg(keyPc(i), keyG(i))); },
        [&](int i) { rawExec(c, QStringLiteral("SELECT sum(ip_uuld) FROM f_jijm WHERE rtrim(pc_no) COLLATE WAGETEXT = '%1' AND rtrim(gsxu_no) COLLATE WAGETEXT = '%2'").arg(keyPc(i), keyG(i))); });
}

double sumQuery(Connection &c, int rounds)
{
    return timeIt(rounds, [&](int i) {
        c.query(QStringLiteral("select sum(ip_uuld) from f_jijm where Rtrim(pc_no)='%1' and Rtrim(gsxu_no)='%2'").arg(keyPc(i), keyG(i)));
    });
}

void compare(Connection &c)
{
    std::printf("%-44s %12s %12s %8s\n", "statement (ms per run)", "translated", "hand SQLite", "ratio");
    const int rounds = 300;
    // warm both paths: every statement of the run translated once and cached, pages in memory
    sumQuery(c, rounds);
    const auto sum = timePair(rounds,
        [&](int i) {
            c.query(QStringLiteral("select sum(ip_uuld) from f_jijm where Rtrim(pc_no)='%1' and Rtrim(gsxu_no)='%2'").arg(keyPc(i), keyG(i)));
        },
        [&](int i) {
            rawExec(c, QStringLiteral("SELECT sum(ip_uuld) FROM f_jijm WHERE rtrim(pc_no) COLLATE WAGETEXT = '%1' AND rtrim(gsxu_no) COLLATE WAGETEXT = '%2'").arg(keyPc(i), keyG(i)));
        });
    row("sum over Rtrim(pc_no), Rtrim(gsxu_no)", sum.first, sum.second);

    const int intoRounds = 100;
    const auto into = timePair(intoRounds,
        [&](int i) {
            c.execute(QStringLiteral("select * into T_X from f_jijm where Rtrim(pc_no)='%1'").arg(keyPc(i)));
            c.execute(QStringLiteral("drop table T_X"));
        },
        [&](int i) {
            rawExec(c, QStringLiteral("CREATE TABLE T_X AS SELECT * FROM f_jijm WHERE rtrim(pc_no) COLLATE WAGETEXT = '%1'").arg(keyPc(i)));
            rawExec(c, QStringLiteral("DROP TABLE T_X"));
        });
    row("select * into ... where Rtrim(pc_no)=", into.first, into.second);

    const int updRounds = 300;
    auto translatedUpdate = [&](int i) {
        return QStringLiteral("update f_jijm set ip_djjw= F_PriceAdjust.ip_djjw+%2 from F_PriceAdjust where F_PriceAdjust.Active_state='有效' "
                              "and f_jijm.gsxu_no=F_PriceAdjust.gsxu_no and Rtrim(f_jijm.pc_no)='%1'").arg(keyPc(i)).arg(i + 1);
    };
    timeIt(updRounds, [&](int i) { c.translate(translatedUpdate(i)); }); // cached
    const auto upd = timePair(updRounds,
        [&](int i) { c.execute(translatedUpdate(i)); },
        [&](int i) {
            rawExec(c, QStringLiteral("UPDATE f_jijm SET ip_djjw = F_PriceAdjust.ip_djjw + %2 FROM F_PriceAdjust WHERE F_PriceAdjust.Active_state = '有效' "
                                      "AND f_jijm.gsxu_no COLLATE WAGETEXT = F_PriceAdjust.gsxu_no AND rtrim(f_jijm.pc_no) COLLATE WAGETEXT = '%1'").arg(keyPc(i)).arg(i + 100));
        });
    row("update ... from F_PriceAdjust (one order)", upd.first, upd.second);

    QSqlQuery plan(c.database());
    plan.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + c.translate(QStringLiteral("select sum(ip_uuld) from f_jijm where Rtrim(pc_no)='PC000001' and Rtrim(gsxu_no)='G01'")));
    while (plan.next())
        std::printf("plan of the translated sum: %s\n", qPrintable(plan.value(3).toString()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int large = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    const int small = large / 10;
    QTemporaryDir dir;
    std::printf("translated statements vs hand-written SQLite, %d piece records\n", large);
    double sumSmall = 0, sumLarge = 0;
    {
        Connection c;
        c.openFile(dir.filePath(QStringLiteral("small.db")), wage::Dialect::MsSql);
        fill(c, small);
        g_orders = small / 50;
        sumQuery(c, 300);
        sumSmall = sumQuery(c, 300);
    }
    {
        Connection c;
        c.openFile(dir.filePath(QStringLiteral("large.db")), wage::Dialect::MsSql);
        fill(c, large);
        g_orders = large / 50;
        compare(c);
        compareSmall(c, large);
        sumSmall = sumSmall > 0 ? sumSmall : 1e-9;
        sumQuery(c, 300);
        sumLarge = sumQuery(c, 300);
    }
    std::printf("\nindexed sum, ms per run: %d records %.3f, %d records %.3f, growth %.2fx\n", small, sumSmall, large, sumLarge,
                sumLarge / sumSmall);
    return 0;
}
