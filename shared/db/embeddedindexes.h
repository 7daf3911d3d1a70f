#pragma once
// Indexes the embedded engine needs for the system's frequent lookups (piece records by order,
// process, batch and date; order lines and monitoring rows by order). The servers index these
// tables themselves; a SQLite file made by the wage-database tool gets them from here.
namespace wage {
class Connection;
// Creates the missing indexes on the tables and columns that exist; does nothing on ODBC.
// Safe to call at every start.
void ensureEmbeddedIndexes(Connection *connection);
} // namespace wage
