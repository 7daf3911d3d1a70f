#pragma once
// Text routines of the shared helpers, with the names, argument orders and results the whole
// system uses.
#include <QString>
#include <QStringList>

// Blanks and control characters (<= U+0020) off both ends, as the system's Trim does.
QString TrimText(const QString &text);
QString TrimRightText(const QString &text);

// Split at every occurrence of the separator; mode 0 keeps empty items, mode 1 drops them,
// any other mode gives no items.
QStringList GetStringList(const QString &separator, const QString &text, int mode);
// A new NUL-terminated GBK buffer; the caller frees it with delete[].
char *StrToPch(const QString &text);
QString ReplaceStr(const QString &text, const QString &oldText, const QString &newText);
QString getsub(const QString &text, const QString &separator, const QString &side);
// Numeric comparison of four-part versions; raises WageError on a missing or non-numeric part.
bool IsNewerVersion(const QString &a, const QString &b);

namespace wage {
// Doubles single quotes so that a value placed between quotes in SQL stays one value.
QString sqlQuote(const QString &value);
}
