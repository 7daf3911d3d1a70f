#pragma once
// The statements of the price adjustment, built from the condition, the user's data scope and
// a process number. Conditions are SQL by design and go in as built; a process number or a
// caption is a value and is quoted safely.
#include "db/connection.h"

#include <QString>

namespace priceadj {

// " and (ip_djjw is null or ip_djjw=0 )" joined as a predicate: records without a price.
QString emptyPricePredicate();
// rtrim(gsxu_no)='p'
QString processPredicate(const QString &processNo);

// The SELECT DISTINCT ... INTO of the work table (no 计价单价 on "ACCESS").
QString workTableSql(wage::Dialect dialect, const QString &name, const QString &cond, const QString &scope,
                     bool emptyPriceOnly);
// Fills the work table's 审核 column from f_ipgx.Locked.
QString auditFillSql(wage::Dialect dialect, const QString &name);
// All piece records of the condition and the scope (the host dataset after a query).
QString conditionRecordsSql(const QString &cond, const QString &scope);
// The records of one process (ShowProcessRecords).
QString processRecordsSql(const QString &scope, const QString &cond, const QString &processNo, bool emptyPriceOnly);
// The host's own query narrowed to the condition and one process (process list changes).
QString processListRecordsSql(const QString &hostSql, const QString &cond, const QString &processNo);

// f_jijm column of an adjustable item's caption, as the two pages look it up.
QString singleFieldLookupSql(const QString &caption);
QString globalFieldLookupSql(const QString &caption);

// Reads a price as typed: a decimal number with an optional sign, nothing else.
bool parseDecimal(const QString &text, double *value);

} // namespace priceadj
