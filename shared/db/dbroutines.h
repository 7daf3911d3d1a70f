#pragma once
// The one-shot SQL routines of the shared helpers, each on the connection it is given, and the
// settings keys of tempconfig (count, then update or insert: one row per key at most).
#include <QString>

namespace wage { class Connection; class Dataset; }

// First column of the first row as an integer; no row or NULL gives 0. Database errors pass on.
int GetSqli(const QString &sql, wage::Connection *connection);
// First column, trimmed, when the result has exactly one row; else empty. A failing statement
// is written to Error.Log and then raises the DbError.
QString GetSqlStr(const QString &sql, wage::Connection *connection);
// Executes with no time limit; false on any error, never raises, logs nothing.
bool RunSqlCommand(const QString &sql, wage::Connection *connection);
bool TableExists(const QString &tableName, wage::Connection *connection);
bool GetFieldExistCon(const QString &tableName, const QString &columnName, wage::Connection *connection);
void WriteOperationLog(const QString &operation, const QString &tableName, const QString &userName,
                       wage::Connection *connection);
// Reopens the dataset and returns to the record it was on; false when that record is gone.
bool SetDataSetRefresh(wage::Dataset *dataset);

namespace wage {
// Settings of tempconfig: a key without a row reads 0 / empty.
int readSwitch(Connection *connection, const QString &key);
QString readSettingText(Connection *connection, const QString &key);
void writeSwitch(Connection *connection, const QString &key, int value);
void writeSettingText(Connection *connection, const QString &key, const QString &value);
} // namespace wage
