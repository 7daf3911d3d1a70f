// Faults of the engines: a database file locked by another program, a statement running past
// its time limit, a failing statement inside a transaction.
#include "db/connection.h"
#include "db/dbroutines.h"

#include "testdir.h"

#include <gtest/gtest.h>

using wage::Connection;
using wage::DbError;
using wage::Dialect;
using wagetest::ProgramDirFixture;

TEST(EngineFaults, LockedFileGivesClearErrorAfterTheTimeLimit)
{
    ProgramDirFixture dir;
    Connection mine, other;
    mine.openFile(dir.file("w.db"), Dialect::MsSql);
    mine.execute("create table t (a int)");
    other.openFile(dir.file("w.db"), Dialect::MsSql);
    other.beginTransaction();
    other.execute("insert into t (a) values (1)"); // holds the write lock

    try {
        mine.execute("insert into t (a) values (2)", {}, 1);
        FAIL() << "the write went through a lock";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.reason().contains("锁定")) << e.what();
        EXPECT_EQ(e.statement(), "insert into t (a) values (2)");
    }
    // no time limit: the lock wait is still bounded and the routine reports false
    mine.setLockTimeout(300);
    EXPECT_FALSE(RunSqlCommand("insert into t (a) values (3)", &mine));
    other.commit();
    EXPECT_TRUE(RunSqlCommand("insert into t (a) values (4)", &mine));
    EXPECT_EQ(GetSqli("select sum(a) from t", &mine), 5);
}

TEST(EngineFaults, StatementPastItsTimeLimitIsStopped)
{
    ProgramDirFixture dir;
    Connection c;
    c.openFile(dir.file("w.db"), Dialect::MsSql);
    const QString endless = "WITH n AS (SELECT 1 AS i UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n";
    c.setCommandTimeout(1);
    try {
        c.query(endless);
        FAIL();
    } catch (const DbError &e) {
        EXPECT_TRUE(e.reason().contains("超时")) << e.what();
        EXPECT_EQ(e.statement(), endless);
    }
    // the connection is fine afterwards
    EXPECT_EQ(GetSqli("select 2", &c), 2);
}

TEST(EngineFaults, FailingSelectIntoLeavesNoTable)
{
    ProgramDirFixture dir;
    Connection c;
    c.openFile(dir.file("w.db"), Dialect::MsSql);
    c.execute("create table src (a int, b varchar(10))");
    c.execute("insert into src values (1, 'x')");
    c.execute("create table taken (a int)");
    EXPECT_THROW(c.execute("select * into taken from src"), DbError);
    EXPECT_THROW(c.execute("select a, nosuch into fresh from src"), DbError);
    EXPECT_FALSE(TableExists("fresh", &c));
    c.beginTransaction();
    c.execute("select * into copy1 from src");
    c.execute("update src set b='y'");
    EXPECT_THROW(c.execute("insert into missing values (1)"), DbError);
    c.rollback();
    EXPECT_FALSE(TableExists("copy1", &c));
    EXPECT_EQ(GetSqlStr("select b from src", &c), "x");
}
