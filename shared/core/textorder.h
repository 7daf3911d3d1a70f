#pragma once
// The one text order of the system: digits and Latin letters before Chinese, Chinese by pinyin,
// letters without regard to case and width, trailing blanks ignored, as the original engines' Chinese collations do. The embedded
// engine's collation, grid sorting and every in-memory sort of displayed text use it, so that
// what the database orders and what a grid orders agree.
#include <QString>

namespace wage {

// <0, 0 or >0. Texts in UTF-8 with their byte lengths.
int compareTextUtf8(const char *a, int aLen, const char *b, int bLen);
int compareText(const QString &a, const QString &b);

// A sort key whose byte order is the order above (for sorting many texts once each).
QByteArray textSortKey(const QString &text);

} // namespace wage
