#pragma once
// LIKE patterns of both dialects: T-SQL `%`, `_`, `[...]`, `[^...]`; Jet `*`, `?`, `#`, `[...]`,
// `[!...]` (and `%`, `_` as the client's OLE DB form writes them). Letters match without regard
// to case, as the original engines' default collations do.
#include <QString>

struct sqlite3;

namespace wage::sql {

// Whether `text` matches `pattern`; `escape` (0 for none) makes the next character literal.
bool likeMatches(const QString &text, const QString &pattern, bool msSql, QChar escape = QChar());

// The SQLite LIKE pattern meaning the same, when there is one (no classes, no digit sign).
bool likeAsSqlite(const QString &pattern, bool msSql, QString *out);

bool registerLikeFunction(sqlite3 *db, void *dialectMarker);

} // namespace wage::sql
