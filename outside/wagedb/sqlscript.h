#pragma once
// Statements of an administrator's script: split at ";" and at lines holding only "GO",
// never inside quotes, brackets or comments.
#include "db/connection.h"

#include <QStringList>

namespace wage {

QStringList splitSqlScript(const QString &script, Dialect dialect);
// Whether a statement gives a result to print (SELECT, WITH ..., EXEC, PRAGMA).
bool returnsRows(const QString &statement);

} // namespace wage
