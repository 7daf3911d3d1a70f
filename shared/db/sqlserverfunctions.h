#pragma once
// The T-SQL functions of user scripts: STUFF, PATINDEX, DATALENGTH and OBJECT_ID.
struct sqlite3;

namespace wage::sql {

bool registerServerFunctions(sqlite3 *db, void *dialectMarker);

} // namespace wage::sql
