// Every statement the system writes, in its dialect, run on the embedded engine over a small
// fixture of the host tables: it must run, and where a result is given, give exactly that.
#include "db/connection.h"

#include "testdir.h"

#include <QDate>
#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>

using wage::Connection;
using wage::DbError;
using wage::Dialect;

namespace {

struct Case {
    int line = 0;
    QString dialect, sql, expected, params;
};

QList<Case> loadCases()
{
    QFile f(QStringLiteral(DBENGINE_TEST_DIR "/quoted_statements.tsv"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QList<Case> cases;
    int line = 0;
    for (const QString &raw : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        ++line;
        if (raw.isEmpty() || raw.startsWith(QLatin1Char('#')))
            continue;
        const QStringList cols = raw.split(QLatin1Char('\t'));
        Case c;
        c.line = line;
        c.dialect = cols.value(0);
        c.sql = cols.value(1).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        c.expected = cols.value(2);
        c.params = cols.value(3);
        cases.append(c);
    }
    return cases;
}

wage::SqlParams parseParams(const QString &text)
{
    wage::SqlParams out;
    for (const QString &item : text.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const QString name = item.section(QLatin1Char('='), 0, 0);
        const QString v = item.section(QLatin1Char('='), 1);
        if (v.startsWith(QLatin1String("i:")))
            out.append({name, v.mid(2).toInt()});
        else if (v.startsWith(QLatin1String("x:")))
            out.append({name, QByteArray::fromHex(v.mid(2).toLatin1())});
        else
            out.append({name, v});
    }
    return out;
}

QString cell(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::QByteArray)
        return QStringLiteral("x:") + QString::fromLatin1(v.toByteArray().toHex());
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 12);
    return v.toString();
}

void loadFixture(Connection &c)
{
    QFile f(QStringLiteral(DBENGINE_TEST_DIR "/fixture.sql"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1String("--")))
            continue;
        c.execute(line);
    }
    // today's record, for the statements that look at the current day, week and month
    c.execute(QStringLiteral("insert into f_jijm (dj_no, riqi, ry_no, ry_name, pc_no, ip_no, gsxu_no, ip_gsxu, ip_djjw, ip_uuld, jjje) "
                             "values (5, :d, '005', '赵六', 'PC003', 'P02', 'G02', '包装', 2.5, 3, 7.25)"),
              {{QStringLiteral("d"), QDate::currentDate()}});
}

void runDialect(const QString &code, Dialect dialect)
{
    wagetest::ProgramDirFixture dir;
    Connection c;
    c.openFile(dir.file(QStringLiteral("wage.db")), dialect);
    loadFixture(c);
    int ran = 0;
    for (const Case &k : loadCases()) {
        if (k.dialect != QLatin1String("*") && k.dialect != code)
            continue;
        ++ran;
        SCOPED_TRACE(QStringLiteral("line %1 [%2]: %3").arg(k.line).arg(code, k.sql).toStdString());
        QString expected = k.expected;
        expected.replace(QStringLiteral("{days_in_month}"), QString::number(QDate::currentDate().daysInMonth()));
        const wage::SqlParams params = parseParams(k.params);
        const QString head = k.sql.trimmed().section(QLatin1Char(' '), 0, 0).toLower();
        const bool isQuery = (head == QLatin1String("select") || head == QLatin1String("with")) && !k.sql.contains(QLatin1String(" into "), Qt::CaseInsensitive);
        try {
            if (isQuery) {
                const wage::QueryResult r = c.query(k.sql, params);
                if (expected.startsWith(QLatin1String("rows:"))) {
                    EXPECT_EQ(r.rows.size(), expected.mid(5).toInt());
                } else if (!expected.isEmpty()) {
                    QStringList rows;
                    for (const QVariantList &row : r.rows) {
                        QStringList cells;
                        for (const QVariant &v : row) cells.append(cell(v));
                        rows.append(cells.join(QLatin1Char('|')));
                    }
                    EXPECT_EQ(rows.join(QLatin1Char(';')).toStdString(), expected.toStdString()) << c.translate(k.sql).toStdString();
                }
            } else {
                const int n = c.execute(k.sql, params);
                if (expected.startsWith(QLatin1Char('#')))
                    EXPECT_EQ(n, expected.mid(1).toInt()) << c.translate(k.sql).toStdString();
            }
            EXPECT_NE(expected, QStringLiteral("!error")) << "ran without the expected error";
        } catch (const DbError &e) {
            EXPECT_EQ(expected, QStringLiteral("!error")) << e.what();
            EXPECT_EQ(e.statement(), k.sql);
        }
    }
    EXPECT_GT(ran, 150);
}

} // namespace

TEST(QuotedStatements, JetDialectOnEmbeddedEngine) { runDialect(QStringLiteral("A"), Dialect::Access); }
TEST(QuotedStatements, TSqlDialectOnEmbeddedEngine) { runDialect(QStringLiteral("M"), Dialect::MsSql); }
