#pragma once
// Rendering of a parsed statement as SQLite.
#include "db/sqlast.h"
#include "db/sqltranslate.h"

#include <QHash>

namespace wage::sql {

// What the renderer needs to know of the database: a column's declared type ("nvarchar(20)",
// "money" ...); a null QString when the table or the column is unknown.
class SchemaInfo {
public:
    virtual ~SchemaInfo() = default;
    virtual QString columnType(const QString &table, const QString &column) const = 0;
    // The table's columns in their order; empty when unknown.
    virtual QStringList columnNames(const QString &) const { return {}; }
};

// `literalSlots` (token offset -> literal index): those literals become parameters where their
// value does not change the translation; `valueDependent` tells whether one had to stay written in.
QList<SqliteStatement> renderStatement(const Statement &statement, bool msSql, const SchemaInfo *schema,
                                       const QString &original, const QHash<int, int> *literalSlots = nullptr,
                                       bool *valueDependent = nullptr);

// "nvarchar(20)" -> text, "money" -> number, "datetime" -> date.
enum class Ty { Unknown, Text, Num, Date };
Ty typeOfDeclared(const QString &declared);
// The declared type as the embedded engine stores it, with the text collation for text types.
QString sqliteColumnType(const QString &declared);

} // namespace wage::sql
