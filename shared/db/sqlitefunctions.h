#pragma once
// The functions and the text collation that translated SQL calls, registered on one raw SQLite
// connection.
struct sqlite3;

namespace wage::sql {

// Collation for text comparisons: without regard to case and blind to trailing blanks.
inline constexpr const char *kTextCollation = "WAGETEXT";

// Registers every function and the collation; `msSql` picks the T-SQL meaning where the two
// dialects differ (LEN, STR). False when SQLite refuses one of them.
bool registerSqliteFunctions(sqlite3 *db, bool msSql);

} // namespace wage::sql
