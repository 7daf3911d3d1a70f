// User scripts in T-SQL batches on the embedded engine: variables, control flow, temporary
// tables, transactions and the constructs that are refused before anything runs.
#include "db/connection.h"

#include "testdir.h"

#include <gtest/gtest.h>

using wage::Connection;
using wage::DbError;
using wage::Dialect;

namespace {

class TsqlBatch : public ::testing::Test {
protected:
    wagetest::ProgramDirFixture dir;
    Connection c;

    void SetUp() override
    {
        c.openFile(path(), Dialect::MsSql);
        for (const char *sql : {
                 "create table f_jijm (ry_no nvarchar(20), riqi datetime, jjje money)",
                 "create table f_pici (pc_id int, pc_wcl money)",
                 "create table f_log (id int identity(1,1), n int, note nvarchar(20))",
                 "insert into f_jijm values ('001', '2025-12-01', 5)",
                 "insert into f_jijm values ('001', '2025-12-05', 16)",
                 "insert into f_jijm values ('002', '2025-12-05', 15)",
                 "insert into f_jijm values ('003', '2025-11-30', 6)",
                 "insert into f_pici values (1, 0)",
             })
            c.execute(QString::fromUtf8(sql));
    }

    QString path() { return dir.file(QStringLiteral("wage.db")); }
    QVariant one(const QString &sql) { return c.query(sql).rows.value(0).value(0); }
};

const char *kMonthScript = R"(SET NOCOUNT ON
DECLARE @month varchar(6), @total money, @i int
SET @month = '202512'
SET @i = 0
IF OBJECT_ID('tempdb..#sums') IS NOT NULL DROP TABLE #sums
SELECT ry_no, sum(jjje) AS amount INTO #sums FROM f_jijm WHERE CONVERT(varchar(6), riqi, 112) = @month GROUP BY ry_no
SELECT @total = sum(amount) FROM #sums
IF EXISTS (SELECT 1 FROM #sums WHERE amount > 20)
BEGIN
    UPDATE f_pici SET pc_wcl = @total / 100 WHERE pc_id = 1
END
ELSE
    UPDATE f_pici SET pc_wcl = -1 WHERE pc_id = 1
WHILE @i < 5
BEGIN
    SET @i = @i + 1
    IF @i = 2 CONTINUE
    IF @i = 4 BREAK
    INSERT INTO f_log (n, note) VALUES (@i, 'run ' + CAST(@i AS varchar(10)))
END
SELECT @total AS total, @@ROWCOUNT AS rc, count(*) AS people FROM #sums)";

TEST_F(TsqlBatch, MonthScriptRunsTwiceWithTemporaryTableLoopAndVariables)
{
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        const wage::QueryResult r = c.query(QString::fromUtf8(kMonthScript));
        ASSERT_EQ(r.rows.size(), 1);
        EXPECT_EQ(r.value(0, QStringLiteral("total")).toDouble(), 36.0);
        EXPECT_EQ(r.value(0, QStringLiteral("rc")).toInt(), 1);
        EXPECT_EQ(r.value(0, QStringLiteral("people")).toInt(), 2);
        EXPECT_DOUBLE_EQ(one(QStringLiteral("select pc_wcl from f_pici where pc_id=1")).toDouble(), 0.36);
        const wage::QueryResult log = c.query(QStringLiteral("select n, note from f_log order by id"));
        ASSERT_EQ(log.rows.size(), 2 * run);
        EXPECT_EQ(log.rows[0][0].toInt(), 1);
        EXPECT_EQ(log.rows[1][1].toString(), QStringLiteral("run 3"));
    }
    // the temporary table belongs to the connection, never to the file
    EXPECT_FALSE(c.tableNames().contains(QStringLiteral("#sums"), Qt::CaseInsensitive));
    EXPECT_EQ(one(QStringLiteral("select count(*) from sqlite_master where name like '#%'")).toInt(), 0);
    c.close();
    c.openFile(path(), Dialect::MsSql);
    EXPECT_TRUE(one(QStringLiteral("select OBJECT_ID('tempdb..#sums')")).isNull());
    EXPECT_FALSE(one(QStringLiteral("select OBJECT_ID('f_log')")).isNull());
}

TEST_F(TsqlBatch, TransactionsCommitRollBackAndFailWholly)
{
    c.execute(QStringLiteral("BEGIN TRAN\nUPDATE f_pici SET pc_wcl = 1 WHERE pc_id = 1\nIF @@ROWCOUNT <> 1 ROLLBACK ELSE COMMIT TRAN"));
    EXPECT_EQ(one(QStringLiteral("select pc_wcl from f_pici")).toInt(), 1);
    c.execute(QStringLiteral("BEGIN TRANSACTION; UPDATE f_pici SET pc_wcl = 2; ROLLBACK TRANSACTION"));
    EXPECT_EQ(one(QStringLiteral("select pc_wcl from f_pici")).toInt(), 1);

    // an error inside the script's transaction undoes all of it
    EXPECT_THROW(c.execute(QStringLiteral("BEGIN TRANSACTION\nUPDATE f_pici SET pc_wcl = 3\nSELECT 1/0\nCOMMIT")), DbError);
    EXPECT_FALSE(c.inTransaction());
    EXPECT_EQ(one(QStringLiteral("select pc_wcl from f_pici")).toInt(), 1);
    // a transaction left open at the end is not left holding the database
    EXPECT_THROW(c.execute(QStringLiteral("BEGIN TRAN UPDATE f_pici SET pc_wcl = 4")), DbError);
    EXPECT_FALSE(c.inTransaction());
    EXPECT_EQ(one(QStringLiteral("select pc_wcl from f_pici")).toInt(), 1);
}

TEST_F(TsqlBatch, IdentityRowCountAndServerFunctions)
{
    const wage::QueryResult r = c.query(QStringLiteral(
        "DECLARE @id int, @s nvarchar(20), @n int\n"
        "INSERT INTO f_log (n, note) VALUES (10, 'x')\n"
        "INSERT INTO f_log (n, note) VALUES (11, '工资')\n"
        "SET @id = SCOPE_IDENTITY()\n"
        "UPDATE f_log SET n = n + 1\n"
        "SET @n = @@ROWCOUNT\n"
        "SELECT @s = STUFF('abcdef', 2, 3, 'XY')\n"
        "SELECT @id, @@IDENTITY, @n, @s, PATINDEX('%[0-9]%', 'ab12'), PATINDEX('%z%', 'ab'), DATALENGTH(note), DATALENGTH('ab') FROM f_log WHERE n = 12"));
    ASSERT_EQ(r.rows.size(), 1);
    const QVariantList &row = r.rows.first();
    EXPECT_EQ(row[0].toInt(), 2);
    EXPECT_EQ(row[1].toInt(), 2);
    EXPECT_EQ(row[2].toInt(), 2);
    EXPECT_EQ(row[3].toString(), QStringLiteral("aXYef"));
    EXPECT_EQ(row[4].toInt(), 3);
    EXPECT_EQ(row[5].toInt(), 0);
    EXPECT_EQ(row[6].toInt(), 4);
    EXPECT_EQ(row[7].toInt(), 2);

    // TRUNCATE TABLE empties the table and starts the identity again
    c.execute(QStringLiteral("TRUNCATE TABLE f_log"));
    c.execute(QStringLiteral("insert into f_log (n) values (1)"));
    EXPECT_EQ(one(QStringLiteral("select id from f_log")).toInt(), 1);
}

TEST_F(TsqlBatch, VariablesTakeTheirDeclaredTypesAndBatchesTheirOwnVariables)
{
    const wage::QueryResult r = c.query(QStringLiteral(
        "DECLARE @i int = 7.9, @m money = 30, @c varchar(3) = 'abcdef', @d datetime = '2025/12/5', @x decimal(10,2)\n"
        "SET @x = 1.236\n"
        "SET @i += 1\n"
        "UPDATE f_pici SET pc_wcl = @m / 110\n"
        "SELECT @i, (SELECT pc_wcl FROM f_pici), @c, @d, @x, (SELECT count(*) FROM f_jijm WHERE riqi = @d)\n"
        "GO\n"
        "DECLARE @i int\n"
        "SELECT @i = count(*) FROM f_jijm\n"
        "UPDATE f_pici SET pc_wcl = @i"));
    ASSERT_EQ(r.rows.size(), 1);
    EXPECT_EQ(r.rows[0][0].toInt(), 8);
    EXPECT_DOUBLE_EQ(r.rows[0][1].toDouble(), 0.2727);
    EXPECT_EQ(r.rows[0][2].toString(), QStringLiteral("abc"));
    EXPECT_EQ(r.rows[0][3].toString(), QStringLiteral("2025-12-05"));
    EXPECT_DOUBLE_EQ(r.rows[0][4].toDouble(), 1.24);
    EXPECT_EQ(r.rows[0][5].toInt(), 2);
    EXPECT_EQ(one(QStringLiteral("select pc_wcl from f_pici")).toInt(), 4);
    // statements one after the other without ";"
    c.execute(QStringLiteral("insert into f_log (n) values (1) insert into f_log (n) values (2)\nupdate f_log set note = 'b' where n = 2"));
    EXPECT_EQ(one(QStringLiteral("select count(*) from f_log where note = 'b'")).toInt(), 1);
}

TEST_F(TsqlBatch, RefusedConstructsNameThemselvesAndRunNothing)
{
    const struct {
        const char *script;
        const char *named;
    } cases[] = {
        {"UPDATE f_pici SET pc_wcl = 9\nEXEC sp_who", "EXEC"},
        {"UPDATE f_pici SET pc_wcl = 9\nBEGIN TRY SELECT 1 END TRY BEGIN CATCH SELECT 2 END CATCH", "TRY"},
        {"UPDATE f_pici SET pc_wcl = 9\nDECLARE @t TABLE (a int)", "表变量"},
        {"UPDATE f_pici SET pc_wcl = 9\nDECLARE c CURSOR FOR SELECT 1", "游标"},
        {"UPDATE f_pici SET pc_wcl = 9\nSET ROWCOUNT 10", "SET ROWCOUNT"},
        {"UPDATE f_pici SET pc_wcl = 9\nRAISERROR('x', 16, 1)", "RAISERROR"},
        {"UPDATE f_pici SET pc_wcl = 9\nIF 1 = 1", "IF"},
        {"SELECT @undeclared", "@undeclared"},
        {"DECLARE @a int\nSET @b = 1", "@b"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.script);
        const QString script = QString::fromUtf8(k.script);
        try {
            c.execute(script);
            ADD_FAILURE() << "ran";
        } catch (const DbError &e) {
            EXPECT_TRUE(e.reason().contains(QString::fromUtf8(k.named))) << e.what();
            EXPECT_EQ(e.statement(), script);
        }
        EXPECT_EQ(one(QStringLiteral("select pc_wcl from f_pici")).toInt(), 0);
    }
}

} // namespace
