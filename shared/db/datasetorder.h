#pragma once
// How datasets order and compare field values: NULL first, numbers by value, dates by time, text
// in the system's text order (pinyin, case-insensitive, trailing blanks ignored). Sorting many
// rows computes one key per value once, so that a title sort over 100,000 rows does not run the
// collator for every comparison.
#include "db/dataset.h"

#include <QByteArray>
#include <QDateTime>
#include <QVariant>

namespace wage {
namespace fieldorder {

bool isNumber(const QVariant &v);
bool isNumericKind(FieldKind kind);
QDateTime parseDateTime(const QVariant &v);
// <0, 0 or >0 as the grids sort a column of this kind.
int compareValues(const QVariant &a, const QVariant &b, FieldKind kind);

// A value reduced to something cheap to compare, in the order of compareValues.
struct SortKey {
    int cls = 0;        // 0 NULL, 1 number, 2 date (ISO text), 3 text (collation key)
    double number = 0;
    QByteArray bytes;
};
SortKey sortKey(const QVariant &v, FieldKind kind);
int compareKeys(const SortKey &a, const SortKey &b);

// The number a footer adds for a value; false for NULL and for anything that is not a number.
bool summandOf(const QVariant &v, double *out);

} // namespace fieldorder
} // namespace wage
