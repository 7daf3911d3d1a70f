#include "db/sqldates.h"

#include <QRegularExpression>

namespace wage::sql {

bool parseDateText(const QString &input, QDateTime *out, bool *hasTime, bool allowCompact)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{1,4})([-/.])(\d{1,2})\2(\d{1,4})(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.(\d{1,7}))?)?\s*([AaPp][Mm])?)?\s*$)"));
    static const QRegularExpression compact(QStringLiteral(R"(^\s*(\d{4})(\d{2})(\d{2})\s*$)"));
    int y, m, d, hh = 0, mi = 0, ss = 0, ms = 0;
    bool timed = false;
    QRegularExpressionMatch mt = re.match(input);
    if (mt.hasMatch()) {
        const int a = mt.captured(1).toInt(), b = mt.captured(3).toInt(), c = mt.captured(4).toInt();
        if (mt.captured(1).size() == 4) { y = a; m = b; d = c; }
        else if (mt.captured(4).size() == 4 || mt.captured(4).size() == 2) {
            // M/d/yyyy as Jet reads it
            y = c < 100 ? (c < 30 ? 2000 + c : 1900 + c) : c;
            m = a;
            d = b;
        } else {
            return false;
        }
        if (!mt.captured(5).isEmpty()) {
            timed = true;
            hh = mt.captured(5).toInt();
            mi = mt.captured(6).toInt();
            ss = mt.captured(7).toInt();
            ms = mt.captured(8).left(3).leftJustified(3, QLatin1Char('0')).toInt();
            const QString ampm = mt.captured(9).toLower();
            if (ampm == QLatin1String("pm") && hh < 12) hh += 12;
            if (ampm == QLatin1String("am") && hh == 12) hh = 0;
        }
    } else if (allowCompact && (mt = compact.match(input)).hasMatch()) {
        y = mt.captured(1).toInt();
        m = mt.captured(2).toInt();
        d = mt.captured(3).toInt();
    } else {
        return false;
    }
    const QDate date(y, m, d);
    const QTime time(hh, mi, ss, ms);
    if (!date.isValid() || !time.isValid())
        return false;
    *out = QDateTime(date, time);
    if (hasTime)
        *hasTime = timed;
    return true;
}

QString storedDateOnly(const QDate &value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd"));
}

QString storedDate(const QDateTime &value)
{
    if (value.time() == QTime(0, 0))
        return storedDateOnly(value.date());
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace wage::sql
