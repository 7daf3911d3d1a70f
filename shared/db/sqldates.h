#pragma once
// Dates of the embedded engine: stored as ISO text, "yyyy-MM-dd" for a date (or a date and time
// at midnight) and "yyyy-MM-dd HH:mm:ss" otherwise.
#include <QDateTime>
#include <QString>

namespace wage::sql {

// Reads ISO dates and date-times, "yyyy/M/d", "yyyy.M.d", Jet's "M/d/yyyy" and a date and time
// separated by a blank or "T". `hasTime` tells whether a time part was written.
bool parseDateText(const QString &text, QDateTime *out, bool *hasTime = nullptr, bool allowCompact = true);
// The stored form.
QString storedDate(const QDateTime &value);
QString storedDateOnly(const QDate &value);

} // namespace wage::sql
