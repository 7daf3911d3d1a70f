#include "db/sqlitefunctions.h"

#include "db/sqldates.h"
#include "db/sqlformat.h"

#include "core/textorder.h"
#include "db/sqlarith.h"
#include "db/sqllike.h"
#include "db/sqlserverfunctions.h"

#include <QLocale>
#include <QUuid>

#include <sqlite3.h>

#include <cmath>

namespace wage::sql {

namespace {

// ---- collation -----------------------------------------------------------------------------

int textCompare(void *, int n1, const void *p1, int n2, const void *p2)
{
    return compareTextUtf8(static_cast<const char *>(p1), n1, static_cast<const char *>(p2), n2);
}

// ---- argument and result helpers ----------------------------------------------------------

bool isNull(sqlite3_value *v) { return sqlite3_value_type(v) == SQLITE_NULL; }
bool isNumber(sqlite3_value *v) { const int t = sqlite3_value_type(v); return t == SQLITE_INTEGER || t == SQLITE_FLOAT; }

QString text(sqlite3_value *v)
{
    const unsigned char *p = sqlite3_value_text(v);
    return p ? QString::fromUtf8(reinterpret_cast<const char *>(p), sqlite3_value_bytes(v)) : QString();
}

double number(sqlite3_value *v) { return sqlite3_value_double(v); }
qint64 integer(sqlite3_value *v) { return sqlite3_value_int64(v); }

void resultText(sqlite3_context *c, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(c, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

bool dateArg(sqlite3_value *v, QDateTime *out, bool *timed = nullptr, bool allowCompact = true)
{
    if (isNull(v) || sqlite3_value_type(v) == SQLITE_BLOB)
        return false;
    if (isNumber(v)) {
        if (!allowCompact)
            return false;
        // yyyymmdd written as a number
        return parseDateText(QString::number(integer(v)), out, timed, true);
    }
    return parseDateText(text(v), out, timed, allowCompact);
}

bool msSqlOf(sqlite3_context *c) { return sqlite3_user_data(c) != nullptr; }

// Parses a leading number as Val does: blanks skipped, digits, one point, an exponent.
double leadingNumber(const QString &s, bool *whole = nullptr)
{
    QString digits;
    int i = 0;
    while (i < s.size() && s[i].isSpace()) ++i;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) digits += s[i++];
    bool point = false;
    for (; i < s.size(); ++i) {
        const QChar ch = s[i];
        if (ch.isDigit()) digits += ch;
        else if (ch == u'.' && !point) { point = true; digits += ch; }
        else if (ch.isSpace()) continue;
        else break;
    }
    if (whole) *whole = i >= s.size();
    return digits.toDouble();
}

// ---- dates -----------------------------------------------------------------------------------

void fnToday(sqlite3_context *c, int, sqlite3_value **) { resultText(c, storedDateOnly(QDate::currentDate())); }
void fnNow(sqlite3_context *c, int, sqlite3_value **)
{
    resultText(c, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}
void fnTime(sqlite3_context *c, int, sqlite3_value **) { resultText(c, QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); }

void fnDateOnly(sqlite3_context *c, int, sqlite3_value **a)
{
    QDateTime d;
    if (!dateArg(a[0], &d)) return sqlite3_result_null(c);
    resultText(c, storedDateOnly(d.date()));
}

void fnDateTime(sqlite3_context *c, int, sqlite3_value **a)
{
    // stores what it can read as a date in the one stored form; anything else unchanged
    QDateTime d;
    if (isNull(a[0])) return sqlite3_result_null(c);
    if (sqlite3_value_type(a[0]) != SQLITE_TEXT || !dateArg(a[0], &d, nullptr, false))
        return sqlite3_result_value(c, a[0]);
    resultText(c, storedDate(d));
}

// A text literal compared with a date, bound as a parameter: read as a date in any of the
// client's forms, as the statement text would have been.
void fnDateLiteral(sqlite3_context *c, int, sqlite3_value **a)
{
    QDateTime d;
    bool timed = false;
    if (sqlite3_value_type(a[0]) != SQLITE_TEXT || !parseDateText(text(a[0]), &d, &timed))
        return sqlite3_result_value(c, a[0]);
    resultText(c, timed ? storedDate(d) : storedDateOnly(d.date()));
}

void fnAddDays(sqlite3_context *c, int, sqlite3_value **a)
{
    QDateTime d;
    if (isNull(a[1]) || !dateArg(a[0], &d)) return sqlite3_result_null(c);
    const double days = number(a[1]);
    resultText(c, storedDate(d.addMSecs(qint64(std::llround(days * 86400000.0)))));
}

enum class Part { Year, Quarter, Month, DayOfYear, Day, Week, Weekday, Hour, Minute, Second, Millisecond, Bad };

Part partOf(const QString &name)
{
    const QString p = name.trimmed().toLower();
    if (p == QLatin1String("year") || p == QLatin1String("yy") || p == QLatin1String("yyyy")) return Part::Year;
    if (p == QLatin1String("quarter") || p == QLatin1String("qq") || p == QLatin1String("q")) return Part::Quarter;
    if (p == QLatin1String("month") || p == QLatin1String("mm") || p == QLatin1String("m")) return Part::Month;
    if (p == QLatin1String("dayofyear") || p == QLatin1String("dy") || p == QLatin1String("y")) return Part::DayOfYear;
    if (p == QLatin1String("day") || p == QLatin1String("dd") || p == QLatin1String("d")) return Part::Day;
    if (p == QLatin1String("week") || p == QLatin1String("wk") || p == QLatin1String("ww")) return Part::Week;
    if (p == QLatin1String("weekday") || p == QLatin1String("dw") || p == QLatin1String("w")) return Part::Weekday;
    if (p == QLatin1String("hour") || p == QLatin1String("hh") || p == QLatin1String("h")) return Part::Hour;
    if (p == QLatin1String("minute") || p == QLatin1String("mi") || p == QLatin1String("n")) return Part::Minute;
    if (p == QLatin1String("second") || p == QLatin1String("ss") || p == QLatin1String("s")) return Part::Second;
    if (p == QLatin1String("millisecond") || p == QLatin1String("ms")) return Part::Millisecond;
    return Part::Bad;
}

int sundayWeekday(const QDate &d) { return d.dayOfWeek() % 7 + 1; } // Sunday 1 ... Saturday 7

int weekOfYear(const QDate &d)
{
    const QDate jan1(d.year(), 1, 1);
    return (d.dayOfYear() + sundayWeekday(jan1) - 2) / 7 + 1;
}

void fnDateAdd(sqlite3_context *c, int, sqlite3_value **a)
{
    QDateTime d;
    if (isNull(a[1]) || !dateArg(a[2], &d)) return sqlite3_result_null(c);
    const Part part = partOf(text(a[0]));
    const qint64 n = qint64(std::trunc(number(a[1])));
    switch (part) {
    case Part::Year: d = d.addYears(int(n)); break;
    case Part::Quarter: d = d.addMonths(int(n * 3)); break;
    case Part::Month: d = d.addMonths(int(n)); break;
    case Part::DayOfYear: case Part::Day: case Part::Weekday: d = d.addDays(n); break;
    case Part::Week: d = d.addDays(n * 7); break;
    case Part::Hour: d = d.addSecs(n * 3600); break;
    case Part::Minute: d = d.addSecs(n * 60); break;
    case Part::Second: d = d.addSecs(n); break;
    case Part::Millisecond: d = d.addMSecs(n); break;
    case Part::Bad: return sqlite3_result_error(c, "DATEADD: 无法识别的日期部分", -1);
    }
    resultText(c, storedDate(d));
}

void fnDateDiff(sqlite3_context *c, int, sqlite3_value **a)
{
    QDateTime x, y;
    if (!dateArg(a[1], &x) || !dateArg(a[2], &y)) return sqlite3_result_null(c);
    qint64 r = 0;
    switch (partOf(text(a[0]))) {
    case Part::Year: r = y.date().year() - x.date().year(); break;
    case Part::Quarter: r = (y.date().year() - x.date().year()) * 4 + ((y.date().month() - 1) / 3 - (x.date().month() - 1) / 3); break;
    case Part::Month: r = (y.date().year() - x.date().year()) * 12 + y.date().month() - x.date().month(); break;
    case Part::DayOfYear: case Part::Day: case Part::Weekday: r = x.date().daysTo(y.date()); break;
    case Part::Week: r = x.date().addDays(1 - sundayWeekday(x.date())).daysTo(y.date().addDays(1 - sundayWeekday(y.date()))) / 7; break;
    case Part::Hour: r = (x.date().daysTo(y.date()) * 24) + y.time().hour() - x.time().hour(); break;
    case Part::Minute: r = (x.date().daysTo(y.date()) * 1440) + (y.time().hour() * 60 + y.time().minute()) - (x.time().hour() * 60 + x.time().minute()); break;
    case Part::Second: r = x.secsTo(y); break;
    case Part::Millisecond: r = x.msecsTo(y); break;
    case Part::Bad: return sqlite3_result_error(c, "DATEDIFF: 无法识别的日期部分", -1);
    }
    sqlite3_result_int64(c, r);
}

int partValue(Part p, const QDateTime &d, bool *ok)
{
    *ok = true;
    switch (p) {
    case Part::Year: return d.date().year();
    case Part::Quarter: return (d.date().month() - 1) / 3 + 1;
    case Part::Month: return d.date().month();
    case Part::DayOfYear: return d.date().dayOfYear();
    case Part::Day: return d.date().day();
    case Part::Week: return weekOfYear(d.date());
    case Part::Weekday: return sundayWeekday(d.date());
    case Part::Hour: return d.time().hour();
    case Part::Minute: return d.time().minute();
    case Part::Second: return d.time().second();
    case Part::Millisecond: return d.time().msec();
    case Part::Bad: break;
    }
    *ok = false;
    return 0;
}

void fnDatePart(sqlite3_context *c, int, sqlite3_value **a)
{
    QDateTime d;
    if (!dateArg(a[1], &d)) return sqlite3_result_null(c);
    bool ok;
    const int v = partValue(partOf(text(a[0])), d, &ok);
    if (!ok) return sqlite3_result_error(c, "DATEPART: 无法识别的日期部分", -1);
    sqlite3_result_int(c, v);
}

void fnDateName(sqlite3_context *c, int, sqlite3_value **a)
{
    QDateTime d;
    if (!dateArg(a[1], &d)) return sqlite3_result_null(c);
    const Part p = partOf(text(a[0]));
    const QLocale en(QLocale::English);
    if (p == Part::Month) return resultText(c, en.monthName(d.date().month()));
    if (p == Part::Weekday) return resultText(c, en.dayName(d.date().dayOfWeek()));
    bool ok;
    const int v = partValue(p, d, &ok);
    if (!ok) return sqlite3_result_error(c, "DATENAME: 无法识别的日期部分", -1);
    resultText(c, QString::number(v));
}

template <Part P>
void fnPart(sqlite3_context *c, int, sqlite3_value **a)
{
    QDateTime d;
    if (!dateArg(a[0], &d)) return sqlite3_result_null(c);
    bool ok;
    sqlite3_result_int(c, partValue(P, d, &ok));
}

void fnEomonth(sqlite3_context *c, int argc, sqlite3_value **a)
{
    QDateTime d;
    if (!dateArg(a[0], &d)) return sqlite3_result_null(c);
    QDate m = d.date().addMonths(argc > 1 ? int(integer(a[1])) : 0);
    resultText(c, storedDateOnly(QDate(m.year(), m.month(), m.daysInMonth())));
}

void fnDateFromParts(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1]) || isNull(a[2])) return sqlite3_result_null(c);
    const QDate d(int(integer(a[0])), int(integer(a[1])), int(integer(a[2])));
    if (!d.isValid()) return sqlite3_result_error(c, "DATEFROMPARTS: 日期无效", -1);
    resultText(c, storedDateOnly(d));
}

void fnDateSerial(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1]) || isNull(a[2])) return sqlite3_result_null(c);
    const QDate d = QDate(int(integer(a[0])), 1, 1).addMonths(int(integer(a[1])) - 1).addDays(integer(a[2]) - 1);
    resultText(c, storedDateOnly(d));
}

void fnWeekday(sqlite3_context *c, int argc, sqlite3_value **a)
{
    QDateTime d;
    if (!dateArg(a[0], &d)) return sqlite3_result_null(c);
    const int first = argc > 1 && !isNull(a[1]) ? int(integer(a[1])) : 1;
    sqlite3_result_int(c, (sundayWeekday(d.date()) - first + 7) % 7 + 1);
}

void fnIsDate(sqlite3_context *c, int, sqlite3_value **a)
{
    QDateTime d;
    sqlite3_result_int(c, !isNumber(a[0]) && dateArg(a[0], &d, nullptr, false) ? 1 : 0);
}

// ---- texts -----------------------------------------------------------------------------------

void fnLen(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    QString s = text(a[0]);
    if (msSqlOf(c))
        while (s.endsWith(QLatin1Char(' '))) s.chop(1);
    sqlite3_result_int(c, int(s.size()));
}

void fnLeft(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    resultText(c, text(a[0]).left(int(qMax<qint64>(0, integer(a[1])))));
}

void fnRight(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    resultText(c, text(a[0]).right(int(qMax<qint64>(0, integer(a[1])))));
}

void fnMid(sqlite3_context *c, int argc, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    const int start = int(qMax<qint64>(1, integer(a[1])));
    const QString s = text(a[0]);
    resultText(c, argc > 2 && !isNull(a[2]) ? s.mid(start - 1, int(qMax<qint64>(0, integer(a[2])))) : s.mid(start - 1));
}

void fnCharIndex(sqlite3_context *c, int argc, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    const int from = argc > 2 && !isNull(a[2]) ? int(qMax<qint64>(1, integer(a[2]))) : 1;
    sqlite3_result_int(c, int(text(a[1]).indexOf(text(a[0]), from - 1, Qt::CaseInsensitive)) + 1);
}

void fnInstr3(sqlite3_context *c, int, sqlite3_value **a)
{
    // Jet InStr(start, text, sought)
    if (isNull(a[1]) || isNull(a[2])) return sqlite3_result_null(c);
    const int from = int(qMax<qint64>(1, integer(a[0])));
    sqlite3_result_int(c, int(text(a[1]).indexOf(text(a[2]), from - 1, Qt::CaseInsensitive)) + 1);
}

void fnSpace(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    resultText(c, QString(int(qBound(qint64(0), integer(a[0]), qint64(8000))), QLatin1Char(' ')));
}

void fnReplicate(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    resultText(c, text(a[0]).repeated(int(qBound(qint64(0), integer(a[1]), qint64(8000)))));
}

void fnReverse(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    QString s = text(a[0]);
    std::reverse(s.begin(), s.end());
    resultText(c, s);
}

void fnConcat(sqlite3_context *c, int argc, sqlite3_value **a)
{
    QString s;
    for (int i = 0; i < argc; ++i)
        if (!isNull(a[i])) s += text(a[i]);
    resultText(c, s);
}

void fnAscii(sqlite3_context *c, int, sqlite3_value **a)
{
    const QString s = text(a[0]);
    if (isNull(a[0]) || s.isEmpty()) return sqlite3_result_null(c);
    sqlite3_result_int(c, s.at(0).unicode());
}

void fnUpper(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    resultText(c, text(a[0]).toUpper());
}

void fnLower(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    resultText(c, text(a[0]).toLower());
}

void fnNewId(sqlite3_context *c, int, sqlite3_value **)
{
    resultText(c, QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
}

// ---- numbers and conversions ----------------------------------------------------------------

void fnVal(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNumber(a[0])) return sqlite3_result_value(c, a[0]);
    if (isNull(a[0])) return sqlite3_result_null(c);
    const double v = leadingNumber(text(a[0]));
    if (v == std::floor(v) && std::fabs(v) < 9e15) sqlite3_result_int64(c, qint64(v));
    else sqlite3_result_double(c, v);
}

QString numberText(sqlite3_value *v)
{
    if (sqlite3_value_type(v) == SQLITE_INTEGER) return QString::number(integer(v));
    const double d = number(v);
    return QString::number(d, 'g', 15);
}

void fnCStr(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    resultText(c, isNumber(a[0]) ? numberText(a[0]) : text(a[0]));
}

void fnStr(sqlite3_context *c, int argc, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    const double v = isNumber(a[0]) ? number(a[0]) : leadingNumber(text(a[0]));
    if (!msSqlOf(c)) {
        // Jet Str: a blank where the sign of a positive number goes
        const QString s = isNumber(a[0]) ? numberText(a[0]) : QString::number(v, 'g', 15);
        return resultText(c, v >= 0 ? QLatin1Char(' ') + s : s);
    }
    const int length = argc > 1 && !isNull(a[1]) ? int(integer(a[1])) : 10;
    const int decimals = argc > 2 && !isNull(a[2]) ? int(qBound(qint64(0), integer(a[2]), qint64(16))) : 0;
    QString s = QString::number(v, 'f', decimals);
    if (s.size() > length) s = QString(length, QLatin1Char('*'));
    resultText(c, s.rightJustified(length, QLatin1Char(' ')));
}

void fnCInt(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    bool whole = true;
    const double v = isNumber(a[0]) ? number(a[0]) : leadingNumber(text(a[0]), &whole);
    if (!whole) return sqlite3_result_error(c, "类型不匹配", -1);
    sqlite3_result_int64(c, qint64(roundHalfEven(v)));
}

void fnCDbl(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    bool whole = true;
    const double v = isNumber(a[0]) ? number(a[0]) : leadingNumber(text(a[0]), &whole);
    if (!whole) return sqlite3_result_error(c, "类型不匹配", -1);
    sqlite3_result_double(c, v);
}

void fnInt(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    sqlite3_result_int64(c, qint64(std::floor(isNumber(a[0]) ? number(a[0]) : leadingNumber(text(a[0])))));
}

void fnFix(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    sqlite3_result_int64(c, qint64(std::trunc(isNumber(a[0]) ? number(a[0]) : leadingNumber(text(a[0])))));
}

void fnIsNumeric(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNumber(a[0])) return sqlite3_result_int(c, 1);
    bool ok = false;
    text(a[0]).trimmed().toDouble(&ok);
    sqlite3_result_int(c, ok ? 1 : 0);
}

void fnIfNull(sqlite3_context *c, int argc, sqlite3_value **a)
{
    if (!isNull(a[0])) return sqlite3_result_value(c, a[0]);
    if (argc > 1) return sqlite3_result_value(c, a[1]);
    sqlite3_result_int(c, 0);
}

// `+` whose operand types were not known when the statement was translated.
void fnAdd(sqlite3_context *c, int, sqlite3_value **a)
{
    if (isNull(a[0]) || isNull(a[1])) return sqlite3_result_null(c);
    const bool n0 = isNumber(a[0]), n1 = isNumber(a[1]);
    if (n0 && n1) {
        if (sqlite3_value_type(a[0]) == SQLITE_INTEGER && sqlite3_value_type(a[1]) == SQLITE_INTEGER)
            return sqlite3_result_int64(c, integer(a[0]) + integer(a[1]));
        return sqlite3_result_double(c, number(a[0]) + number(a[1]));
    }
    if (n0 != n1) {
        // a number and a text add up when the text reads as a number; otherwise both engines fail
        bool ok = false;
        const QString t = text(n0 ? a[1] : a[0]);
        const double v = t.trimmed().toDouble(&ok);
        if (ok) return sqlite3_result_double(c, v + number(n0 ? a[0] : a[1]));
        if (sqlite3_value_type(n0 ? a[1] : a[0]) == SQLITE_TEXT) {
            const QByteArray msg = (msSqlOf(c) ? QStringLiteral("在将 varchar 值 '%1' 转换成数据类型 int 时失败。")
                                               : QStringLiteral("表达式中类型不匹配：'%1' 不是数字。")).arg(t).toUtf8();
            return sqlite3_result_error(c, msg.constData(), int(msg.size()));
        }
    }
    resultText(c, (n0 ? numberText(a[0]) : text(a[0])) + (n1 ? numberText(a[1]) : text(a[1])));
}

void fnFormat(sqlite3_context *c, int argc, sqlite3_value **a)
{
    if (isNull(a[0])) return sqlite3_result_null(c);
    const QString fmt = argc > 1 && !isNull(a[1]) ? text(a[1]) : QString();
    FormatValue v;
    v.isNumber = isNumber(a[0]);
    v.number = number(a[0]);
    v.text = v.isNumber ? numberText(a[0]) : text(a[0]);
    resultText(c, formatValue(v, fmt));
}

void fnConvert(sqlite3_context *c, int argc, sqlite3_value **a)
{
    if (isNull(a[1])) return sqlite3_result_null(c);
    const QString type = text(a[0]).toLower();
    const int style = argc > 2 && !isNull(a[2]) ? int(integer(a[2])) : -1;
    FormatValue v;
    v.isNumber = isNumber(a[1]);
    v.number = number(a[1]);
    v.text = v.isNumber ? numberText(a[1]) : text(a[1]);
    bool ok = true;
    const QString out = convertValue(type, v, style, &ok);
    if (!ok) return sqlite3_result_error(c, "CONVERT: 无法转换的值", -1);
    if (type.contains(QLatin1String("char")) || type.contains(QLatin1String("text")) || type.contains(QLatin1String("date")) || type.contains(QLatin1String("time")))
        return resultText(c, out);
    if (type.contains(QLatin1String("int")) || type == QLatin1String("bit"))
        return sqlite3_result_int64(c, out.toLongLong());
    sqlite3_result_double(c, out.toDouble());
}

struct Fn {
    const char *name;
    int args;
    void (*fn)(sqlite3_context *, int, sqlite3_value **);
    bool deterministic;
};

const Fn kFunctions[] = {
    {"date", 0, fnToday, false}, {"time", 0, fnTime, false}, {"getdate", 0, fnNow, false}, {"now", 0, fnNow, false},
    {"wage_date", 1, fnDateOnly, true}, {"wage_datetime", 1, fnDateTime, true}, {"wage_adddays", 2, fnAddDays, true},
    {"wage_dateliteral", 1, fnDateLiteral, true},
    {"cdate", 1, fnDateTime, true}, {"datevalue", 1, fnDateOnly, true},
    {"dateadd", 3, fnDateAdd, true}, {"datediff", 3, fnDateDiff, true}, {"datepart", 2, fnDatePart, true},
    {"datename", 2, fnDateName, true},
    {"year", 1, fnPart<Part::Year>, true}, {"month", 1, fnPart<Part::Month>, true}, {"day", 1, fnPart<Part::Day>, true},
    {"hour", 1, fnPart<Part::Hour>, true}, {"minute", 1, fnPart<Part::Minute>, true}, {"second", 1, fnPart<Part::Second>, true},
    {"eomonth", 1, fnEomonth, true}, {"eomonth", 2, fnEomonth, true}, {"datefromparts", 3, fnDateFromParts, true},
    {"dateserial", 3, fnDateSerial, true}, {"weekday", 1, fnWeekday, true}, {"weekday", 2, fnWeekday, true},
    {"isdate", 1, fnIsDate, true},
    {"len", 1, fnLen, true}, {"left", 2, fnLeft, true}, {"right", 2, fnRight, true}, {"mid", 2, fnMid, true},
    {"mid", 3, fnMid, true}, {"charindex", 2, fnCharIndex, true}, {"charindex", 3, fnCharIndex, true},
    {"instr", 3, fnInstr3, true}, {"space", 1, fnSpace, true}, {"replicate", 2, fnReplicate, true},
    {"reverse", 1, fnReverse, true}, {"concat", -1, fnConcat, true}, {"ascii", 1, fnAscii, true},
    {"ucase", 1, fnUpper, true}, {"lcase", 1, fnLower, true}, {"newid", 0, fnNewId, false},
    {"val", 1, fnVal, true}, {"cstr", 1, fnCStr, true}, {"str", 1, fnStr, true}, {"str", 2, fnStr, true},
    {"str", 3, fnStr, true}, {"cint", 1, fnCInt, true}, {"clng", 1, fnCInt, true}, {"cdbl", 1, fnCDbl, true},
    {"csng", 1, fnCDbl, true}, {"ccur", 1, fnCDbl, true}, {"int", 1, fnInt, true}, {"fix", 1, fnFix, true},
    {"isnumeric", 1, fnIsNumeric, true}, {"isnull", 2, fnIfNull, true}, {"nz", 1, fnIfNull, true},
    {"nz", 2, fnIfNull, true}, {"wage_add", 2, fnAdd, true},
    {"format", 1, fnFormat, true}, {"format", 2, fnFormat, true},
    {"convert", 2, fnConvert, true}, {"convert", 3, fnConvert, true},
};

} // namespace

bool registerSqliteFunctions(sqlite3 *db, bool msSql)
{
    if (sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, textCompare, nullptr) != SQLITE_OK)
        return false;
    static int marker = 1;
    void *dialect = msSql ? &marker : nullptr;
    for (const Fn &f : kFunctions) {
        const int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (sqlite3_create_function_v2(db, f.name, f.args, flags, dialect, f.fn, nullptr, nullptr, nullptr) != SQLITE_OK)
            return false;
    }
    return registerArithmeticFunctions(db, dialect) && registerLikeFunction(db, dialect) && registerServerFunctions(db, dialect);
}

} // namespace wage::sql
