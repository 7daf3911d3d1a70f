#pragma once
// One-shot SQL routines of the component package (the others are in db/dbroutines.h).
#include <QString>
#include <QStringList>

namespace wage { class Connection; }

// A fresh name for a scratch table ("tmp" and eight random letters or digits) that no table of
// the database carries yet.
QString TableNameRand(wage::Connection *connection);
// Column 1 of row 1 as a number; no row, NULL or a non-numeric text give 0. Database errors
// pass on (DbError).
double GetSqlFloat(const QString &sql, wage::Connection *connection);
// Column 1 of every row, in order, as text (NULL gives an empty item). Database errors pass on.
QStringList GetSqlList(const QString &sql, wage::Connection *connection);
