#pragma once
// Reading a query's rows one at a time for datasets. On the embedded engine the statement is
// stepped directly: text comes as the engine stores it (UTF-8) rather than through a UTF-16 copy
// per value, and equal texts of a column share one string, which keeps large results small
// (worker, product and process names repeat in every piece record).
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

namespace wage {

using RowSink = std::function<void(QVariantList &row)>;

// `q` has been executed; `handle` is the embedded engine's connection (null on ODBC). False with
// the engine's message in `error` when reading fails part way.
bool readQueryRows(QSqlQuery &q, sqlite3 *handle, int columns, const RowSink &row, QString *error);

// The embedded engine's statement behind a prepared query, or nullptr on another engine. The
// query keeps owning it (the driver finalizes it); callers bind and step it directly, which saves
// the driver's per-value conversions.
sqlite3_stmt *statementOf(const QSqlQuery &q);

} // namespace wage
