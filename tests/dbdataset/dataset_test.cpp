// Datasets on real database files: navigation, edits written back, keyless tables, master and
// detail, sort, bookmarks, ticked rows and the refresh routine.
#include "db/connection.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"

#include "testdir.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace wage;
using wagetest::ProgramDirFixture;

namespace {

struct Db {
    ProgramDirFixture dir;
    Connection c;
    Db()
    {
        c.openFile(dir.file("w.db"), Dialect::MsSql);
        c.execute("create table f_ijpn (ip_id integer primary key, ip_no varchar(20), ip_name varchar(40), "
                  "price money, made datetime, pic image, qty int)");
        c.execute("insert into f_ijpn (ip_no, ip_name, price, made, qty) values ('P02', '纸箱', 1.5, '2026-03-01 00:00:00', 2)");
        c.execute("insert into f_ijpn (ip_no, ip_name, price, made, qty) values ('P01', '胶带', 0.25, '2026-03-02 08:30:00', 5)");
        c.execute("insert into f_ijpn (ip_no, ip_name, price, made, qty) values ('P03', NULL, NULL, NULL, 5)");
    }
    int count(const QString &sql) { return c.query(sql).rows.value(0).value(0).toInt(); }
};

} // namespace

TEST(Dataset, NavigationEditPostCancelAndDelete)
{
    Db db;
    Dataset ds(&db.c, "select * from f_ijpn order by ip_no");
    EXPECT_EQ(ds.state(), Dataset::Inactive);
    ds.open();
    EXPECT_EQ(ds.baseTable(), "f_ijpn");
    EXPECT_EQ(ds.keyFields(), QStringList({"ip_id"}));
    ASSERT_EQ(ds.recordCount(), 3);
    EXPECT_EQ(ds.fieldIndex("IP_NAME"), 2);
    EXPECT_EQ(ds.fieldByName("ip_no").asString(), "P01");
    EXPECT_EQ(ds.fieldByName("made").asDateTime(), QDateTime(QDate(2026, 3, 2), QTime(8, 30)));
    EXPECT_DOUBLE_EQ(ds.fieldByName("price").asFloat(), 0.25);
    EXPECT_EQ(ds.fieldByName("price").kind(), FieldKind::Money);
    EXPECT_TRUE(ds.bof());

    // Walk to the end and back.
    QStringList seen;
    for (ds.first(); !ds.eof(); ds.next())
        seen << ds.value("ip_no").toString();
    EXPECT_EQ(seen, QStringList({"P01", "P02", "P03"}));
    EXPECT_EQ(ds.recNo(), 3);
    EXPECT_TRUE(ds.fieldByName("ip_name").isNull());
    EXPECT_EQ(ds.fieldByName("ip_name").asString(), "");
    ds.prior();
    ds.prior();
    ds.prior();
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.recNo(), 1);

    // A quote in a value, a date, a blob and NULL go through parameters.
    ds.edit();
    EXPECT_EQ(ds.state(), Dataset::Edit);
    ds.fieldByName("ip_name").setAsString("O'Neil 胶带");
    ds.setValue("made", QDateTime(QDate(2026, 4, 1), QTime(9, 0)));
    const QByteArray pic("\x00\xff\x10jpeg", 7);
    ds.fieldByName("pic").setAsBytes(pic);
    ds.fieldByName("qty").clear();
    ds.post();
    EXPECT_EQ(ds.state(), Dataset::Browse);
    Dataset check(&db.c, "select * from f_ijpn where ip_no='P01'");
    check.open();
    EXPECT_EQ(check.value("ip_name").toString(), "O'Neil 胶带");
    EXPECT_EQ(check.fieldByName("made").asDateTime(), QDateTime(QDate(2026, 4, 1), QTime(9, 0)));
    EXPECT_EQ(check.fieldByName("pic").asBytes(), pic);
    EXPECT_TRUE(check.fieldByName("qty").isNull());

    // Dates keep the engine's one stored form, whatever form they were given in.
    ds.setValue("made", "2026/4/2");
    ds.post();
    EXPECT_EQ(db.count("select count(*) from f_ijpn where made='2026-04-02'"), 1);
    ds.setValue("made", QDateTime(QDate(2026, 4, 1), QTime(9, 0)));
    ds.post();

    // Cancel restores the values; nothing is written.
    ds.fieldByName("ip_name").setAsString("作废");
    EXPECT_TRUE(ds.modified());
    ds.cancel();
    EXPECT_EQ(ds.value("ip_name").toString(), "O'Neil 胶带");
    EXPECT_EQ(db.count("select count(*) from f_ijpn where ip_name='作废'"), 0);

    // Append: the auto-number comes back into the row; moving away posts.
    ds.append();
    EXPECT_EQ(ds.state(), Dataset::Insert);
    EXPECT_EQ(ds.recNo(), 4);
    ds.setValue("ip_no", "P04");
    ds.setValue("price", "2.75");
    ds.first();
    EXPECT_EQ(ds.state(), Dataset::Browse);
    ds.last();
    EXPECT_EQ(ds.value("ip_id").toInt(), 4);
    EXPECT_DOUBLE_EQ(db.c.query("select price from f_ijpn where ip_id=4").rows[0][0].toDouble(), 2.75);

    // Insert goes before the current record; a cancelled insert leaves no trace.
    ds.moveTo(1);
    ds.insert();
    EXPECT_EQ(ds.currentRow(), 1);
    EXPECT_EQ(ds.recordCount(), 5);
    ds.cancel();
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(ds.value("ip_no").toString(), "P02");

    // Delete by key.
    EXPECT_EQ(ds.remove(), 1);
    EXPECT_EQ(ds.recordCount(), 3);
    EXPECT_EQ(ds.value("ip_no").toString(), "P03");
    EXPECT_EQ(db.count("select count(*) from f_ijpn"), 3);

    EXPECT_THROW(ds.fieldByName("nothing"), DbError);
    EXPECT_FALSE(ds.findField("nothing").isValid());
}

TEST(Dataset, KeylessTableMatchesAllValuesAndReportsRowsDeleted)
{
    Db db;
    db.c.execute("create table tempconfig (key_name varchar(50), key_index int, gridwidth varchar(255))");
    db.c.execute("insert into tempconfig values ('dup', 1, NULL)");
    db.c.execute("insert into tempconfig values ('dup', 1, NULL)");
    db.c.execute("insert into tempconfig values ('other', 2, 'a,b,')");
    Dataset ds(&db.c, "select * from tempconfig");
    ds.open();
    EXPECT_TRUE(ds.keyFields().isEmpty());

    // Editing one of two identical rows changes both, here as in the database.
    ds.edit();
    ds.setValue("key_index", 7);
    ds.post();
    EXPECT_EQ(db.count("select count(*) from tempconfig where key_index=7"), 2);
    ds.next();
    EXPECT_EQ(ds.value("key_index").toInt(), 7);

    QSignalSpy deleted(&ds, &Dataset::afterDelete);
    ds.first();
    EXPECT_EQ(ds.remove(), 2);
    ASSERT_EQ(deleted.size(), 1);
    EXPECT_EQ(deleted[0][0].toInt(), 2);
    EXPECT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.value("key_name").toString(), "other");
    EXPECT_EQ(db.count("select count(*) from tempconfig"), 1);

    // A row changed behind the dataset's back cannot be located: the edit stays pending.
    db.c.execute("update tempconfig set gridwidth='x' where key_name='other'");
    ds.setValue("key_index", 3);
    EXPECT_THROW(ds.post(), DbError);
    EXPECT_EQ(ds.state(), Dataset::Edit);
    ds.cancel();
    EXPECT_EQ(db.count("select key_index from tempconfig"), 2);

    // Explicit key fields take over.
    ds.setKeyFields({"key_name"});
    ds.requery();
    ds.setValue("key_index", 9);
    ds.post();
    EXPECT_EQ(db.count("select key_index from tempconfig where key_name='other'"), 9);
}

TEST(Dataset, JoinsAreReadOnlyUnlessGivenABaseTable)
{
    Db db;
    db.c.execute("create table f_ipgx (ip_id int, gsxu_no varchar(10), ip_djjw money)");
    db.c.execute("insert into f_ipgx values (1, '01', 0.5)");
    Dataset ds(&db.c, "select g.gsxu_no, g.ip_djjw, p.ip_name from f_ipgx g, f_ijpn p where g.ip_id=p.ip_id");
    ds.open();
    EXPECT_EQ(ds.baseTable(), "");
    ds.setValue("ip_djjw", 0.8);
    EXPECT_THROW(ds.post(), DbError);
    ds.cancel();

    ds.setBaseTable("f_ipgx");
    ds.requery();
    ds.setValue("ip_djjw", 0.8);
    ds.setValue("ip_name", "只在本地");   // not a column of the base table: kept on the client
    ds.post();
    EXPECT_DOUBLE_EQ(db.c.query("select ip_djjw from f_ipgx").rows[0][0].toDouble(), 0.8);
    EXPECT_EQ(db.count("select count(*) from f_ijpn where ip_name='只在本地'"), 0);
}

TEST(Dataset, DetailFollowsMasterRecordThroughParameters)
{
    Db db;
    db.c.execute("create table f_pici (pc_id integer primary key, pc_no varchar(20))");
    db.c.execute("create table f_pcmx (pc_id int, ip_no varchar(20), pc_dhul int)");
    db.c.execute("insert into f_pici (pc_no) values ('D1')");
    db.c.execute("insert into f_pici (pc_no) values ('D2')");
    db.c.execute("insert into f_pcmx values (1, 'P01', 10)");
    db.c.execute("insert into f_pcmx values (1, 'P02', 20)");
    db.c.execute("insert into f_pcmx values (2, 'P01', 30)");

    Dataset orders(&db.c, "select * from f_pici order by pc_id");
    DataSource source(&orders);
    source.setObjectName("DataSource1");
    Dataset lines(&db.c, "select * from f_pcmx where pc_id=:pc_id order by ip_no");
    EXPECT_EQ(lines.paramNames(), QStringList({"pc_id"}));
    lines.setMasterSource(&source);
    orders.open();
    lines.open();
    EXPECT_EQ(lines.recordCount(), 2);
    orders.next();
    EXPECT_EQ(lines.recordCount(), 1);
    EXPECT_EQ(lines.value("pc_dhul").toInt(), 30);

    // An explicit parameter wins over the master's field.
    lines.setParam(":PC_ID", 1);
    orders.first();
    orders.next();
    EXPECT_EQ(lines.recordCount(), 2);
    lines.clearParams();
    lines.requery();
    EXPECT_EQ(lines.value("pc_dhul").toInt(), 30);

    // While the master's controls are disabled the detail stands still; enabling catches up.
    orders.disableControls();
    orders.first();
    EXPECT_EQ(lines.value("pc_dhul").toInt(), 30);
    orders.enableControls();
    EXPECT_EQ(lines.recordCount(), 2);

    orders.close();
    EXPECT_TRUE(lines.isActive());
    EXPECT_EQ(lines.recordCount(), 0);
    EXPECT_TRUE(lines.eof());
}

TEST(Dataset, SortLocateTicksAndBookmarks)
{
    Db db;
    Dataset ds(&db.c, "select ip_id, ip_no, qty, price from f_ijpn");
    ds.open();
    auto column = [&ds](const char *name) {
        QStringList out;
        for (int r = 0; r < ds.recordCount(); ++r)
            out << ds.value(r, ds.fieldIndex(name)).toString();
        return out;
    };
    ds.setTicked(0, true);   // P02
    ds.moveTo(1);            // P01 stays current through every sort
    const struct {
        const char *sort;
        QStringList order;
    } cases[] = {
        {"ip_no", {"P01", "P02", "P03"}},
        {"ip_no DESC", {"P03", "P02", "P01"}},
        {"qty DESC, ip_no desc", {"P03", "P01", "P02"}},
        {"price", {"P03", "P01", "P02"}},   // NULL first, then by value
        {"", {"P02", "P01", "P03"}},
    };
    for (const auto &c : cases) {
        ds.setSort(c.sort);
        EXPECT_EQ(column("ip_no"), c.order) << c.sort;
        EXPECT_EQ(ds.value("ip_no").toString(), "P01") << c.sort;
        EXPECT_EQ(ds.tickedRows(), QList<int>({int(c.order.indexOf("P02"))})) << c.sort;
    }
    EXPECT_THROW(ds.setSort("nothing DESC"), DbError);
    EXPECT_EQ(ds.sort(), "");

    ds.tickAll();
    EXPECT_EQ(ds.tickedCount(), 3);
    ds.tickAll(false);
    EXPECT_TRUE(ds.tickedRows().isEmpty());

    EXPECT_TRUE(ds.locate("IP_NO", "p03", true));
    EXPECT_EQ(ds.recNo(), 3);
    EXPECT_FALSE(ds.locate("ip_no", "p03"));
    EXPECT_TRUE(ds.locate("qty", 2));
    EXPECT_EQ(ds.value("ip_no").toString(), "P02");
    EXPECT_TRUE(ds.locate(QStringList{"qty", "ip_no"}, QVariantList{5, "P03"}));
    EXPECT_TRUE(ds.locate("ip_no", "P0", false, true));
    EXPECT_EQ(ds.recNo(), 1);

    ds.moveTo(2);
    const Bookmark mark = ds.bookmark();
    ds.first();
    EXPECT_TRUE(ds.gotoBookmark(mark));
    EXPECT_EQ(ds.recNo(), 3);
}

TEST(Dataset, RefreshReturnsToTheRecordOrReportsItGone)
{
    Db db;
    for (const char *table : {"f_ijpn", "nokey"}) {
        if (QString(table) == "nokey") {
            db.c.execute("create table nokey (n int, a varchar(10))");
            db.c.execute("insert into nokey values (1, 'x')");
            db.c.execute("insert into nokey values (2, 'y')");
            db.c.execute("insert into nokey values (3, 'z')");
        }
        const QString sql = QString("select * from %1 order by 2").arg(table);
        Dataset ds(&db.c, sql);
        ds.open();
        ds.moveTo(1);
        const QVariant first = ds.value(ds.fieldNames()[0]);
        // A new row sorted before it moves the record down; the refresh follows it.
        db.c.execute(QString("insert into %1 (%2) values ('A0')").arg(table, ds.fieldNames()[1]));
        EXPECT_TRUE(SetDataSetRefresh(&ds)) << table;
        EXPECT_EQ(ds.recNo(), 3) << table;
        EXPECT_EQ(ds.value(ds.fieldNames()[0]), first) << table;

        db.c.execute(QString("delete from %1 where %2='%3'").arg(table, ds.fieldNames()[0], first.toString()));
        EXPECT_FALSE(SetDataSetRefresh(&ds)) << table;
        EXPECT_TRUE(ds.isActive());
    }
}

TEST(Dataset, AChangedKeyIsFoundByItsOldValueUntilPostedOrCancelled)
{
    Db db;
    db.c.execute("create table tempconfig (key_name varchar(50), key_index int, gridwidth varchar(255))");
    db.c.execute("insert into tempconfig values ('a', 1, 'w')");
    db.c.execute("insert into tempconfig values ('z', 2, 'v')");
    Dataset ds(&db.c, "select * from tempconfig order by key_name");
    ds.setKeyFields({"key_name"});
    ds.open();

    ds.setValue("key_name", "b");
    ds.setValue("key_index", 5);
    ds.setValue("key_name", "c");   // changed twice: the row is still the one read as 'a'
    EXPECT_EQ(ds.bookmark().keyValues, QVariantList({"a"}));
    ds.post();
    EXPECT_EQ(db.count("select count(*) from tempconfig where key_name='a'"), 0);
    EXPECT_EQ(db.count("select key_index from tempconfig where key_name='c'"), 5);
    EXPECT_EQ(db.count("select key_index from tempconfig where key_name='z'"), 2);

    // The row is gone behind the dataset's back: the post fails, the edit stays, cancel restores.
    db.c.execute("delete from tempconfig where key_name='c'");
    ds.setValue("key_name", "d");
    ds.setValue("gridwidth", "x");
    EXPECT_THROW(ds.post(), DbError);
    EXPECT_EQ(ds.state(), Dataset::Edit);
    EXPECT_EQ(ds.value("key_name").toString(), "d");
    EXPECT_THROW(ds.post(), DbError);
    ds.cancel();
    EXPECT_EQ(ds.value("key_name").toString(), "c");
    EXPECT_EQ(ds.value("key_index").toInt(), 5);
    EXPECT_EQ(ds.value("gridwidth").toString(), "w");
    EXPECT_FALSE(ds.modified());
}

TEST(Dataset, ListenersConnectedAtAnyTimeHearEditsPostsAndMoves)
{
    Db db;
    Dataset ds(&db.c, "select * from f_ijpn order by ip_no");
    ds.open();
    ds.edit();
    ds.setValue("qty", 6);   // nobody listens yet
    ds.post();
    { QSignalSpy gone(&ds, &Dataset::dataChanged); }   // a listener that came and went

    QSignalSpy changed(&ds, &Dataset::dataChanged), posted(&ds, &Dataset::afterPost),
        moved(&ds, &Dataset::afterScroll), state(&ds, &Dataset::stateChanged), row(&ds, &Dataset::rowChanged);
    ds.setValue("qty", 7);
    ds.post();
    ds.next();
    EXPECT_EQ(changed.size(), 2);   // the value, then the post
    EXPECT_EQ(posted.size(), 1);
    EXPECT_EQ(moved.size(), 1);
    EXPECT_EQ(state.size(), 2);     // Edit, Browse
    EXPECT_EQ(row.size(), 2);
    EXPECT_EQ(db.count("select qty from f_ijpn where ip_no='P01'"), 7);
}
