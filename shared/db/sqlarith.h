#pragma once
// Arithmetic, conversions and scalar sub-queries of the translated SQL with the original engines'
// rules: exact division by kind of operand, errors where those engines raise them (division by
// zero, text that is not a number, a sub-query with more than one row), money's four decimals.
struct sqlite3;

namespace wage::sql {

// `dialectMarker` is the user data that tells the T-SQL meaning apart (non-null) from Jet's.
bool registerArithmeticFunctions(sqlite3 *db, void *dialectMarker);

// Half to even with `decimals` places, a tie read with a small tolerance so that 0.125 and
// 2.5 behave as written rather than as their binary approximations.
double roundHalfEven(double value, int decimals = 0);

} // namespace wage::sql
