#include "db/sqlserverfunctions.h"

#include "db/sqllike.h"

#include <QString>
#include <QStringList>

#include <sqlite3.h>

namespace wage::sql {

namespace {

bool isNull(sqlite3_value *v) { return sqlite3_value_type(v) == SQLITE_NULL; }

QString textOf(sqlite3_value *v)
{
    const unsigned char *p = sqlite3_value_text(v);
    return p ? QString::fromUtf8(reinterpret_cast<const char *>(p), sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context *c, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(c, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

// STUFF(text, start, length, insert): NULL when start lies outside the text.
void fnStuff(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1]) || isNull(a[2])) return sqlite3_result_null(c);
    const QString s = textOf(a[0]);
    const qint64 start = sqlite3_value_int64(a[1]), length = sqlite3_value_int64(a[2]);
    if (start < 1 || start > s.size() || length < 0) return sqlite3_result_null(c);
    resultText(c, s.left(int(start - 1)) + (isNull(a[3]) ? QString() : textOf(a[3])) + s.mid(int(qMin<qint64>(s.size(), start - 1 + length))));
}

// PATINDEX('%pattern%', text): where the pattern first matches, 1-based; 0 when nowhere.
void fnPatIndex(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    QString pattern = textOf(a[0]);
    const QString s = textOf(a[1]);
    if (!pattern.startsWith(QLatin1Char('%')))
        return sqlite3_result_int(c, likeMatches(s, pattern, true) ? 1 : 0);
    pattern.remove(0, 1);
    for (int i = 0; i <= s.size(); ++i)
        if (likeMatches(s.mid(i), pattern, true))
            return sqlite3_result_int(c, i + 1);
    sqlite3_result_int(c, 0);
}

// DATALENGTH(value, wide): bytes of the value as the server stores it.
void fnDataLength(sqlite3_context *c, int, sqlite3_value **a)
{
    switch (sqlite3_value_type(a[0])) {
    case SQLITE_NULL: return sqlite3_result_null(c);
    case SQLITE_INTEGER: return sqlite3_result_int(c, 4);
    case SQLITE_FLOAT: return sqlite3_result_int(c, 8);
    case SQLITE_BLOB: return sqlite3_result_int(c, sqlite3_value_bytes(a[0]));
    default: break;
    }
    const QString s = textOf(a[0]);
    if (sqlite3_value_int(a[1]))
        return sqlite3_result_int(c, int(s.size()) * 2);
    int bytes = 0; // the Chinese code page: two bytes for anything beyond ASCII
    for (const QChar ch : s)
        bytes += ch.unicode() < 0x80 ? 1 : 2;
    sqlite3_result_int(c, bytes);
}

// OBJECT_ID('name' [, 'U']): a number for an existing table or view (#name: a temporary table of
// this connection), NULL otherwise.
void fnObjectId(sqlite3_context *c, int argc, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    QString name = textOf(a[0]).trimmed();
    // tempdb..#t, dbo.t, [dbo].[t]
    QString last = name.section(QLatin1Char('.'), -1).trimmed();
    if (last.startsWith(QLatin1Char('[')) && last.endsWith(QLatin1Char(']'))) last = last.mid(1, last.size() - 2);
    const QString kind = argc > 1 && !isNull(a[1]) ? textOf(a[1]).trimmed().toUpper() : QString();
    QString types = QStringLiteral("'table','view'");
    if (kind == QLatin1String("U")) types = QStringLiteral("'table'");
    else if (kind == QLatin1String("V")) types = QStringLiteral("'view'");
    else if (!kind.isEmpty()) return sqlite3_result_null(c);
    const QString master = last.startsWith(QLatin1Char('#')) ? QStringLiteral("sqlite_temp_master") : QStringLiteral("sqlite_master");
    const QByteArray sql = QStringLiteral("SELECT rowid FROM %1 WHERE type IN (%2) AND name = ?1 COLLATE NOCASE").arg(master, types).toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(sqlite3_context_db_handle(c), sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return sqlite3_result_error(c, "OBJECT_ID: 无法读取数据库结构", -1);
    }
    const QByteArray key = last.toUtf8();
    sqlite3_bind_text(st, 1, key.constData(), int(key.size()), SQLITE_STATIC);
    if (sqlite3_step(st) == SQLITE_ROW)
        sqlite3_result_int64(c, sqlite3_column_int64(st, 0) + (master.contains(QLatin1String("temp")) ? 1000000 : 0));
    else
        sqlite3_result_null(c);
    sqlite3_finalize(st);
}

} // namespace

bool registerServerFunctions(sqlite3 *db, void *marker)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "stuff", 4, flags, marker, fnStuff, nullptr, nullptr, nullptr) == SQLITE_OK
           && sqlite3_create_function_v2(db, "patindex", 2, flags, marker, fnPatIndex, nullptr, nullptr, nullptr) == SQLITE_OK
           && sqlite3_create_function_v2(db, "wage_datalength", 2, flags, marker, fnDataLength, nullptr, nullptr, nullptr) == SQLITE_OK
           && sqlite3_create_function_v2(db, "object_id", 1, SQLITE_UTF8, marker, fnObjectId, nullptr, nullptr, nullptr) == SQLITE_OK
           && sqlite3_create_function_v2(db, "object_id", 2, SQLITE_UTF8, marker, fnObjectId, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace wage::sql
