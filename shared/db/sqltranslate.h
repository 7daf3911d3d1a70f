#pragma once
// Translation of the system's SQL (Jet SQL or T-SQL) into SQLite for the embedded engine.
#include "db/connection.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace wage::sql {

struct SqliteStatement {
    QString text;
    QStringList params;   // names of the :name parameters in order of appearance
    QString intoTable;    // SELECT ... INTO: the table that `text` (the select) creates and fills
    bool changesSchema = false;
    QString schemaTable;  // the table whose columns the statement changes (empty: any)
    bool script = false;  // a T-SQL batch for the batch runner, not one statement
};

class SchemaInfo;

// One statement of the caller may become several (a script with ";", or SELECT ... INTO that
// creates and fills a table). Raises DbError carrying the original text.
QList<SqliteStatement> translate(const QString &sql, Dialect dialect, const SchemaInfo *schema = nullptr);

// The same with the literals at `literalSlots` (token offset -> index) bound as parameters; the
// translation serves every statement of the same shape unless `valueDependent` comes back true.
QList<SqliteStatement> translateShape(const QString &sql, Dialect dialect, const SchemaInfo *schema,
                                      const QHash<int, int> &literalSlots, bool *valueDependent);

// The statement's :name parameters, without translation (ODBC).
QStringList parameterNames(const QString &sql);

} // namespace wage::sql
