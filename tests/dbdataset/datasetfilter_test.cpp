// A dataset's client-side filter, its running sums and its text order: what the grids' search
// panel, footers and title sorts stand on.
#include "db/connection.h"
#include "db/dataset.h"

#include "testdir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace wage;
using wagetest::ProgramDirFixture;

namespace {

struct Db {
    ProgramDirFixture dir;
    Connection c;
    Db()
    {
        c.openFile(dir.file("w.db"), Dialect::MsSql);
        c.execute("create table f_jijm (dj_no integer primary key, ry_name nvarchar(20), gsxu varchar(10), "
                  "jjje money, qty float, riqi datetime)");
        const char *rows[] = {
            "'黄磊', 'G01', 10.25, 2, '2026-03-02'",  "'何桂英', 'G02', 20, 1.5, '2026-03-01'",
            "'陈军', 'G01', NULL, NULL, NULL",         "'阿明', 'g02 ', 5.5, 3, '2026-03-01 08:30:00'",
            "'陈军刚', 'G01', 7, 1, '2026-02-28'",     "'刘芳', 'G03', 1.75, 0.25, '2026-03-03'",
        };
        for (const char *r : rows)
            c.execute(QStringLiteral("insert into f_jijm (ry_name, gsxu, jjje, qty, riqi) values (%1)").arg(r));
    }
};

QStringList column(const Dataset &ds, const char *name)
{
    QStringList out;
    for (int r = 0; r < ds.recordCount(); ++r)
        out << ds.value(r, ds.fieldIndex(name)).toString().trimmed();
    return out;
}

Dataset::RecordFilter process(Dataset &ds, const QString &code)
{
    const int f = ds.fieldIndex("gsxu");
    return [f, code](const QVariantList &v) { return v.value(f).toString() == code; };
}

// What a footer must show: the shown rows added up from scratch.
double addedUp(const Dataset &ds, const char *name)
{
    double sum = 0;
    for (int r = 0; r < ds.recordCount(); ++r) {
        bool ok = false;
        const double x = ds.value(r, ds.fieldIndex(name)).toString().toDouble(&ok);
        if (ok)
            sum += x;
    }
    return sum;
}

} // namespace

TEST(DatasetFilter, RecordCountWalksAndLocateSeeOnlyTheShownRecords)
{
    Db db;
    Dataset ds(&db.c, "select * from f_jijm order by dj_no");
    ds.open();
    ds.moveTo(2);   // 陈军, G01: still shown after filtering, so it stays current
    ds.setTicked(1, true);
    ds.setFilter(process(ds, "G01"));
    EXPECT_TRUE(ds.isFiltered());
    EXPECT_EQ(ds.recordCount(), 3);
    EXPECT_EQ(ds.value("ry_name").toString(), "陈军");
    QStringList walked;
    for (ds.first(); !ds.eof(); ds.next())
        walked << ds.value("ry_name").toString().trimmed();
    EXPECT_EQ(walked, QStringList({"黄磊", "陈军", "陈军刚"}));
    EXPECT_FALSE(ds.locate("ry_name", "何桂英"));
    EXPECT_TRUE(ds.tickedRows().isEmpty());   // the ticked record is hidden

    // An edit that no longer matches keeps its record in view (a walk sees each record once),
    // and so does a new record.
    ds.first();
    ds.setValue("gsxu", "G09");
    ds.post();
    ds.append();
    ds.setValue("ry_name", "新人");
    ds.setValue("gsxu", "G05");
    ds.post();
    EXPECT_EQ(column(ds, "ry_name"), QStringList({"黄磊", "陈军", "陈军刚", "新人"}));

    // Sorting keeps the filter and the records shown; reopening tests every record again;
    // narrowing tests only the shown records.
    ds.setSort("ry_name");
    EXPECT_EQ(column(ds, "ry_name"), QStringList({"陈军", "陈军刚", "黄磊", "新人"}));
    ds.requery();
    EXPECT_EQ(column(ds, "ry_name"), QStringList({"陈军", "陈军刚"}));
    const int name = ds.fieldIndex("ry_name");
    ds.narrowFilter([name](const QVariantList &v) { return v.value(name).toString().endsWith("刚"); });
    EXPECT_EQ(column(ds, "ry_name"), QStringList({"陈军刚"}));

    // Clearing shows every record again, the ticked one included, in the sort order.
    ds.setFilter(nullptr);
    EXPECT_FALSE(ds.isFiltered());
    EXPECT_EQ(column(ds, "ry_name"), QStringList({"阿明", "陈军", "陈军刚", "何桂英", "黄磊", "刘芳", "新人"}));
    EXPECT_EQ(ds.value("ry_name").toString(), "陈军刚");
}

TEST(DatasetFilter, SumsFollowEveryChangeOfTheShownRecords)
{
    Db db;
    db.c.execute("create table keyless (name varchar(10), amount money)");
    db.c.execute("insert into keyless values ('a', 1.5), ('a', 1.5), ('b', 4)");
    Dataset ds(&db.c, "select * from f_jijm");
    Dataset kl(&db.c, "select * from keyless");
    ds.open();
    kl.open();
    const int jjje = ds.fieldIndex("jjje"), qty = ds.fieldIndex("qty");
    EXPECT_DOUBLE_EQ(ds.fieldSum(jjje), 44.5);   // NULL counts nothing
    EXPECT_DOUBLE_EQ(kl.fieldSum(1), 7);

    const struct {
        const char *what;
        std::function<void()> change;
    } steps[] = {
        {"edit pending", [&] { ds.moveTo(1); ds.setValue("jjje", 30); }},
        {"cancel", [&] { ds.cancel(); }},
        {"edit posted", [&] { ds.setValue("jjje", "12.5"); ds.post(); }},
        {"NULL to a value", [&] { ds.moveTo(2); ds.setValue("qty", 4); ds.post(); }},
        {"new record", [&] { ds.append(); ds.setValue("jjje", 100); }},
        {"new record cancelled", [&] { ds.cancel(); }},
        {"new record posted", [&] { ds.append(); ds.setValue("jjje", 3); ds.setValue("qty", 1); ds.post(); }},
        {"delete", [&] { ds.first(); ds.remove(); }},
        {"filter", [&] { ds.setFilter(process(ds, "G01")); }},
        {"edit while filtered", [&] { ds.first(); ds.setValue("jjje", 1); ds.post(); }},
        {"delete while filtered", [&] { ds.last(); ds.remove(); }},
        {"filter cleared", [&] { ds.setFilter(nullptr); }},
        {"sort", [&] { ds.setSort("jjje DESC"); }},
        {"keyless: both identical rows change", [&] { kl.first(); kl.setValue("amount", 2); kl.post(); }},
        {"keyless: both identical rows go", [&] { kl.first(); kl.remove(); }},
    };
    for (const auto &s : steps) {
        s.change();
        EXPECT_NEAR(ds.fieldSum(jjje), addedUp(ds, "jjje"), 1e-9) << s.what;
        EXPECT_NEAR(ds.fieldSum(qty), addedUp(ds, "qty"), 1e-9) << s.what;
        EXPECT_NEAR(kl.fieldSum(1), addedUp(kl, "amount"), 1e-9) << s.what;
    }
    EXPECT_DOUBLE_EQ(kl.fieldSum(1), 4);
    ds.requery();
    EXPECT_NEAR(ds.fieldSum(jjje), addedUp(ds, "jjje"), 1e-9);
}

TEST(DatasetOrder, TextByPinyinWithoutCaseOrTrailingBlanksNumbersAndDatesByValue)
{
    Db db;
    Dataset ds(&db.c, "select * from f_jijm");
    ds.open();
    const struct {
        const char *sort;
        QStringList names;
    } cases[] = {
        // a < chen < he < huang < liu (code points: 何 刘 阿 陈 黄)
        {"ry_name", {"阿明", "陈军", "陈军刚", "何桂英", "黄磊", "刘芳"}},
        {"ry_name DESC", {"刘芳", "黄磊", "何桂英", "陈军刚", "陈军", "阿明"}},
        {"jjje", {"陈军", "刘芳", "阿明", "陈军刚", "黄磊", "何桂英"}},   // NULL first
        {"riqi DESC, ry_name", {"刘芳", "黄磊", "阿明", "何桂英", "陈军刚", "陈军"}},
        // "g02 " and "G02" are equal: the name decides between them
        {"gsxu, ry_name", {"陈军", "陈军刚", "黄磊", "阿明", "何桂英", "刘芳"}},
    };
    for (const auto &c : cases) {
        ds.setSort(c.sort);
        EXPECT_EQ(column(ds, "ry_name"), c.names) << c.sort;
    }
}
