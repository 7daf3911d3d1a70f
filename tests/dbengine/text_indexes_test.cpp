// A database file whose text indexes were built under the earlier code-point order gets them
// rebuilt once in pinyin order; equality lookups stay served by the index.
#include "db/connection.h"

#include "testdir.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>

using wage::Connection;
using wage::Dialect;

namespace {

// The earlier collation: bytes with ASCII letters folded, trailing blanks ignored.
int codePointOrder(void *, int n1, const void *p1, int n2, const void *p2)
{
    const auto *a = static_cast<const unsigned char *>(p1);
    const auto *b = static_cast<const unsigned char *>(p2);
    while (n1 > 0 && a[n1 - 1] == ' ') --n1;
    while (n2 > 0 && b[n2 - 1] == ' ') --n2;
    for (int i = 0; i < n1 && i < n2; ++i) {
        int x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return x < y ? -1 : 1;
    }
    return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
}

QString one(Connection &c, const QString &sql) { return c.query(sql).rows.value(0).value(0).toString(); }

// The engine's own statements, past the translator.
QStringList raw(Connection &c, const QString &sql, int column = 0)
{
    QSqlQuery q(c.database());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    QStringList out;
    while (q.next()) out.append(q.value(column).toString());
    return out;
}

} // namespace

TEST(TextIndexes, EarlierFilesAreReindexedOnceAndEqualityUsesTheIndex)
{
    wagetest::ProgramDirFixture dir;
    const QString path = dir.file(QStringLiteral("old.db"));
    {
        sqlite3 *h = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &h), SQLITE_OK);
        sqlite3_create_collation(h, "WAGETEXT", SQLITE_UTF8, nullptr, codePointOrder);
        const char *sql = "CREATE TABLE f_rfyr (ry_no TEXT COLLATE WAGETEXT, ry_name TEXT COLLATE WAGETEXT);"
                          "CREATE INDEX ix_name ON f_rfyr (ry_name);";
        ASSERT_EQ(sqlite3_exec(h, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        const char *names[] = {"周", "高超", "陈秀兰", "刘", "陈军刚", "何", "陈军", "Abc"};
        for (int i = 0; i < 400; ++i) {
            const QByteArray row = QStringLiteral("INSERT INTO f_rfyr VALUES ('%1', '%2%3')")
                                       .arg(i).arg(QString::fromUtf8(names[i % 8])).arg(i < 8 ? QString() : QString::number(i))
                                       .toUtf8();
            ASSERT_EQ(sqlite3_exec(h, row.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        }
        sqlite3_close(h);
    }
    for (int opening = 0; opening < 2; ++opening) {
        Connection c;
        c.openFile(path, Dialect::MsSql);
        EXPECT_EQ(raw(c, QStringLiteral("PRAGMA user_version")).join(QLatin1Char(' ')).toStdString(), "3");
        // an index in the old order under the new collation would fail this check
        EXPECT_EQ(raw(c, QStringLiteral("PRAGMA integrity_check")).join(QLatin1Char(' ')).left(120).toStdString(), "ok");
        EXPECT_EQ(one(c, QStringLiteral("select ry_no from f_rfyr where ry_name = '刘'")), QStringLiteral("3"));
        EXPECT_EQ(one(c, QStringLiteral("select ry_no from f_rfyr where ry_name = 'ABC  '")), QStringLiteral("7"));
        const wage::QueryResult first = c.query(QStringLiteral("select top 3 ry_name from f_rfyr order by ry_name"));
        ASSERT_EQ(first.rows.size(), 3);
        EXPECT_EQ(first.rows[0][0].toString(), QStringLiteral("Abc"));   // Latin before Chinese
        EXPECT_EQ(first.rows[1][0].toString(), QStringLiteral("Abc103"));
        const wage::QueryResult han = c.query(
            QStringLiteral("select top 2 ry_name from f_rfyr where ry_name not like 'a%' order by ry_name"));
        ASSERT_EQ(han.rows.size(), 2);
        EXPECT_EQ(han.rows[0][0].toString(), QStringLiteral("陈军"));
        EXPECT_EQ(han.rows[1][0].toString(), QStringLiteral("陈军102"));
        const QString plan = raw(c, QStringLiteral("EXPLAIN QUERY PLAN ") + c.translate(QStringLiteral("select ry_no from f_rfyr where ry_name='刘'")), 3).join(QLatin1Char(' '));
        EXPECT_TRUE(plan.contains(QStringLiteral("ix_name"))) << plan.toStdString();
    }
}
