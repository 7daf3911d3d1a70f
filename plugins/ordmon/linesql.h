#pragma once
// Statements whose :parameters take their values from the current record of a data source, and
// values read back as text in a form that can be put into a statement again.
#include "db/connection.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace wage { class DataSource; }

namespace ordmon {

// The :names of a statement in order of first use, outside quoted texts.
QStringList statementParams(const QString &sql);
// Each parameter bound to the field of the same name of the source's current record (NULL when
// the source has no such field or no record).
wage::SqlParams paramsFromRecord(const QString &sql, wage::DataSource *source);
// A value as SQL reads it back exactly: numbers in plain decimal form without exponent or
// locale separators; texts as they are; NULL as empty text.
QString valueText(const QVariant &value);
// A number text (as GetSqlStr gives it) rewritten in plain decimal form; other texts unchanged.
QString numberText(const QString &text);
// The shortest plain decimal form of a number ("2.5", "1000000", "0.272727...").
QString decimalText(double value);

} // namespace ordmon
