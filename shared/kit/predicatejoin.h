#pragma once
// Adding a predicate to a statement's own WHERE clause.
#include <QString>

namespace wage {

// The statement with `predicate` added: " and (P)" at the end of its top-level WHERE clause
// (found in any letter case), else " where P" where that clause belongs (before GROUP BY,
// HAVING, ORDER BY or the end; in a UNION the last SELECT's). Words inside quotes, brackets,
// comments and parentheses (sub-queries) do not count. A top-level OR in the existing
// condition is bracketed first, so the new predicate limits the whole condition.
QString joinPredicate(const QString &sql, const QString &predicate);

} // namespace wage
