#pragma once
// The registry formulas of computed fields (f_system.Field_jsgs): field captions (or names),
// numbers, + - * / and parentheses, e.g. "数量*单价".
#include <QString>

#include <functional>

namespace alert {

// The value of a name in the formula; false when the name is unknown.
using NameValue = std::function<bool(const QString &name, double *value)>;

// WageError for a malformed formula, an unknown name or a division by zero.
double evaluateFormula(const QString &formula, const NameValue &valueOf);

} // namespace alert
