// The embedded engine behind Connection: opening, statements, parameters, blobs, transactions,
// table lists and the refusal of a real Jet/ACE file.
#include "db/connection.h"
#include "db/dbroutines.h"

#include "testdir.h"

#include <QFile>
#include <gtest/gtest.h>

using wage::Connection;
using wage::DbError;
using wage::Dialect;
using wagetest::ProgramDirFixture;

TEST(Connection, StatementsParametersBlobsAndTables)
{
    ProgramDirFixture dir;
    Connection c;
    c.openFile(dir.file("w.db"), Dialect::MsSql);
    ASSERT_TRUE(c.isOpen());
    EXPECT_TRUE(c.isEmbedded());
    c.execute("create table zeta (id integer primary key, name text, data blob)");
    c.execute("create table Alpha (x int)");
    EXPECT_EQ(c.tableNames(), QStringList({"Alpha", "zeta"}));

    const QByteArray blob("\x00\x01\xff zip", 7);
    EXPECT_EQ(c.execute("insert into zeta (name, data) values (:Name, :data)", {{":name", "O'Neil"}, {"DATA", blob}}), 1);
    EXPECT_EQ(c.lastInsertId().toLongLong(), 1);
    const wage::QueryResult r = c.query("select name, data from zeta where id=:id", {{"id", 1}});
    ASSERT_EQ(r.rows.size(), 1);
    EXPECT_EQ(r.value(0, "NAME").toString(), "O'Neil");
    EXPECT_EQ(r.value(0, "data").toByteArray(), blob);
    EXPECT_EQ(c.columns("select id, name from zeta"), QStringList({"id", "name"}));

    try {
        c.query("select x from nowhere");
        FAIL();
    } catch (const DbError &e) {
        EXPECT_EQ(e.statement(), "select x from nowhere");
        EXPECT_TRUE(e.reason().contains("nowhere")) << e.what();
    }
}

TEST(Connection, RollbackLeavesNothingHalfWritten)
{
    ProgramDirFixture dir;
    Connection c;
    c.openFile(dir.file("w.db"), Dialect::Access);
    c.execute("create table t (a int)");
    c.beginTransaction();
    c.execute("insert into t (a) values (1)");
    EXPECT_THROW(c.execute("insert into missing (a) values (2)"), DbError);
    c.rollback();
    EXPECT_FALSE(c.inTransaction());
    EXPECT_EQ(GetSqli("select count(*) from t", &c), 0);
}

TEST(Connection, RefusesJetFileAndLeavesItUntouched)
{
    ProgramDirFixture dir;
    QByteArray jet(2048, '\0');
    jet.replace(4, 15, "Standard Jet DB");
    dir.write("f_data.mdb", jet);
    Connection c;
    try {
        c.openDescription("ACCESS", dir.file("f_data.mdb"));
        FAIL();
    } catch (const DbError &e) {
        EXPECT_TRUE(e.reason().contains("Access"));
    }
    EXPECT_FALSE(c.isOpen());
    EXPECT_EQ(dir.read("f_data.mdb"), jet);

    QByteArray ace = jet;
    ace.replace(4, 15, "Standard ACE DB");
    dir.write("new.accdb", ace);
    EXPECT_THROW(c.openFile(dir.file("new.accdb"), Dialect::Access), DbError);
}

TEST(Connection, DescriptionsChooseEngineAndDialect)
{
    ProgramDirFixture dir;
    Connection c;
    c.openDescription("  access # x", dir.file("a.db"));
    EXPECT_EQ(c.dialect(), Dialect::Access);
    EXPECT_EQ(c.databasePath(), dir.file("a.db"));
    c.openDescription("MSSQL#file:" + dir.file("m.db"), QString());
    EXPECT_EQ(c.dialect(), Dialect::MsSql);
    EXPECT_TRUE(c.isEmbedded());
    EXPECT_EQ(wage::dialectFromName(" mssql "), Dialect::MsSql);
    EXPECT_EQ(wage::dialectFromName("ORACLE"), Dialect::Access);
}
