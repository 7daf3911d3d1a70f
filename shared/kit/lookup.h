#pragma once
// Lookup strings of the field registry (f_system.field_onkey) and filling a record from one.
//
//   <select with caption aliases>[ ; &<lookup column>;<record field>]$<fields>@<captions>@<key>$<table>
//
// The dependency part limits the pick list to rows whose lookup column equals the record
// field's current value; <fields> are copied into the record from the columns named by the
// <captions> at the same positions; <key> names the field whose value identifies the row.
#include <QHash>
#include <QString>
#include <QStringList>

#include "db/connection.h"

namespace wage {
class Connection;
class Dataset;

struct LookupSpec {
    QString select;
    QString dependColumn;    // empty: no dependency
    QString dependField;
    QStringList fields;
    QStringList captions;
    QString keyField;
    QString sourceTable;
    bool isValid() const { return !select.isEmpty() && !fields.isEmpty(); }
};

LookupSpec parseLookup(const QString &text);
// The pick list's statement for the dataset's current record (dependency applied).
QString lookupStatement(const LookupSpec &spec, Dataset *record, Connection *connection);

// One field's lookup, read once and kept: for filling many records in a row (a batch), where
// GetKeyValue would read the registry and the whole pick list again for every record. The pick
// list is read again only when the record's dependency gives another statement. Do not keep it
// across changes of the looked-up rows.
class KeyLookup {
public:
    KeyLookup(const QString &fieldName, const QString &table, Connection *connection);
    // As GetKeyValue: fills the current record from the row whose key equals `keyValue`.
    bool fill(const QString &keyValue, Dataset *dataset);

private:
    bool load(const QString &statement);

    Connection *m_connection;
    LookupSpec m_spec;
    bool m_loaded = false;
    QString m_statement;
    QueryResult m_rows;
    QList<int> m_columns;         // result column of each of m_spec.fields, -1 when none
    QHash<QString, int> m_byKey;  // trimmed key -> first row with it
};

} // namespace wage

// Fills the current record of `dataset` from the lookup of `fieldName` in `table` for the row
// whose key equals `keyValue` (compared trimmed), as if the user had picked it. False, with the
// record untouched, when the field has no lookup or no row has that key.
bool GetKeyValue(const QString &fieldName, const QString &keyValue, const QString &table,
                 wage::Connection *connection, wage::Dataset *dataset);
