#pragma once
// Lookup strings of the field registry (f_system.field_onkey) and filling a record from one.
//
//   <select with caption aliases>[ ; &<lookup column>;<record field>]$<fields>@<captions>@<key>$<table>
//
// The dependency part limits the pick list to rows whose lookup column equals the record
// field's current value; <fields> are copied into the record from the columns named by the
// <captions> at the same positions; <key> names the field whose value identifies the row.
#include <QString>
#include <QStringList>

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

} // namespace wage

// Fills the current record of `dataset` from the lookup of `fieldName` in `table` for the row
// whose key equals `keyValue` (compared trimmed), as if the user had picked it. False, with the
// record untouched, when the field has no lookup or no row has that key.
bool GetKeyValue(const QString &fieldName, const QString &keyValue, const QString &table,
                 wage::Connection *connection, wage::Dataset *dataset);
