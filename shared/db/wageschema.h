#pragma once
// The host's wage database as the add-ons meet it: the tables the host creates (with the
// columns the add-ons read and write) and the rows of the small system tables that a fresh
// installation carries (field registry of f_jijm and f_juar, modules, settings keys, wage
// month). Columns that the add-ons add themselves are left out, so that their structure checks
// find them missing on a fresh database.
#include "db/connection.h"

#include <QString>
#include <QStringList>

namespace wage {

struct HostTable {
    QString name;
    QString createStatement;   // in the dialect it was asked for
};

// Every host table in creation order. `withDeptName`: f_rfyr and F_Attendance carry dept_name
// (present only in some installations).
QList<HostTable> hostTables(Dialect dialect, bool withDeptName = true);

// Creates the host tables that are missing and, for each system table created now, its rows.
// The whole schema is made in one transaction unless the caller already holds one.
void createWageSchema(Connection *connection, bool withDeptName = true);

// One registry row of f_system.
struct SystemField {
    int index;
    QString tableName, tableCaption, fieldName, fieldCaption, fieldType;
    int width;
    QString visible, modParent, onKey, formula;   // formula: Field_jsgs, empty for NULL
};
QList<SystemField> hostSystemFields();

} // namespace wage
