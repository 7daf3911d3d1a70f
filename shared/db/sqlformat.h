#pragma once
// Jet's Format and T-SQL's CONVERT styles for the embedded engine's functions.
#include <QString>

namespace wage::sql {

struct FormatValue {
    bool isNumber = false;
    double number = 0;
    QString text;        // the value as text (numbers in their shortest form)
};

// Format(value, "YYYY-MM-DD" | "yyyymm" | "yyyy-mm-dd hh:nn:ss" | "0.00" | "#,##0" | named formats)
QString formatValue(const FormatValue &value, const QString &format);
// CONVERT(type, value, style): style -1 when none was given. `ok` false when the value can not
// become that type.
QString convertValue(const QString &typeName, const FormatValue &value, int style, bool *ok);

} // namespace wage::sql
