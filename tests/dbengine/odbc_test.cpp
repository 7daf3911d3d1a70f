// The ODBC engine, exercised through the SQLite ODBC driver: statements pass unchanged,
// parameters, blobs, transactions, table lists, and a dropped connection.
#include "db/connection.h"
#include "db/dbroutines.h"

#include "testdir.h"

#include <QFile>
#include <QSqlDriver>
#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

using wage::Connection;
using wage::DbError;
using wage::Dialect;
using wagetest::ProgramDirFixture;

namespace {
const char *kDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

QString odbcString(const QString &file)
{
    return QStringLiteral("DRIVER={%1};Database=%2").arg(QLatin1String(kDriver), file);
}
} // namespace

TEST(OdbcEngine, StatementsParametersBlobsAndTransactions)
{
    if (!QFile::exists(kDriver))
        GTEST_SKIP() << "SQLite ODBC driver not installed";
    ProgramDirFixture dir;
    Connection c;
    c.openDescription("ODBC#" + odbcString(dir.file("o.db")), QString());
    ASSERT_TRUE(c.isOpen());
    EXPECT_FALSE(c.isEmbedded());
    EXPECT_EQ(c.dialect(), Dialect::MsSql);
    EXPECT_EQ(c.translate("select top 1 * from x"), "select top 1 * from x");

    c.execute("create table zeta (id integer primary key, name varchar(20), data blob)");
    c.execute("create table Alpha (x int)");
    EXPECT_EQ(c.tableNames(), QStringList({"Alpha", "zeta"}));
    EXPECT_TRUE(TableExists("ALPHA", &c));

    const QByteArray blob("\x00\x01\xff", 3);
    c.execute("insert into zeta (name, data) values (:name, :data)", {{"name", "O'Neil"}, {":data", blob}});
    EXPECT_EQ(c.lastInsertId().toInt(), 1);
    const wage::QueryResult r = c.query("select name, data from zeta where id=:id", {{"id", 1}});
    ASSERT_EQ(r.rows.size(), 1);
    EXPECT_EQ(r.value(0, "name").toString(), "O'Neil");
    EXPECT_EQ(r.value(0, "data").toByteArray(), blob);
    EXPECT_EQ(c.columns("select id, name from zeta"), QStringList({"id", "name"}));
    EXPECT_EQ(GetSqlStr("select name from zeta", &c), "O'Neil");

    c.beginTransaction();
    c.execute("insert into Alpha values (1)");
    EXPECT_THROW(c.execute("insert into nowhere values (1)"), DbError);
    c.rollback();
    EXPECT_EQ(GetSqli("select count(*) from Alpha", &c), 0);
}

TEST(OdbcEngine, DroppedConnectionGivesClearErrorAndLosesNothing)
{
    if (!QFile::exists(kDriver))
        GTEST_SKIP() << "SQLite ODBC driver not installed";
    ProgramDirFixture dir;
    {
        Connection c;
        c.openOdbc(odbcString(dir.file("o.db")), Dialect::MsSql);
        c.execute("create table t (a int)");
        c.execute("insert into t values (1)");
        // the server side goes away under the open connection
        const QVariant h = c.database().driver()->handle();
        ASSERT_TRUE(h.isValid());
        SQLHANDLE hdbc = *static_cast<SQLHANDLE const *>(h.constData());
        SQLDisconnect(hdbc);
        try {
            c.execute("insert into t values (2)");
            FAIL() << "a statement ran on a dropped connection";
        } catch (const DbError &e) {
            EXPECT_TRUE(e.reason().contains("连接")) << e.what();
            EXPECT_EQ(e.statement(), "insert into t values (2)");
        }
        EXPECT_FALSE(RunSqlCommand("insert into t values (3)", &c));
    }
    Connection again;
    again.openOdbc(odbcString(dir.file("o.db")), Dialect::MsSql);
    EXPECT_EQ(GetSqli("select count(*) from t", &again), 1);
}

TEST(OdbcEngine, UnreachableSourceIsRefusedClearly)
{
    Connection c;
    try {
        c.openDescription("ODBC#DRIVER={NoSuchDriver};Database=x", QString());
        FAIL();
    } catch (const DbError &e) {
        EXPECT_TRUE(e.reason().contains("无法连接数据库")) << e.what();
    }
    EXPECT_FALSE(c.isOpen());
}
