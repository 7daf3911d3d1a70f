#include "db/sqlformat.h"

#include "db/sqldates.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace wage::sql {

namespace {

QString formatDate(const QDateTime &d, const QString &format)
{
    const QString f = format;
    const QLocale en(QLocale::English);
    QString out;
    bool lastWasHour = false;
    int i = 0;
    auto run = [&](QChar ch) {
        int n = 0;
        while (i + n < f.size() && f[i + n].toLower() == ch) ++n;
        return n;
    };
    while (i < f.size()) {
        const QChar ch = f[i].toLower();
        if (f[i] == u'\\' && i + 1 < f.size()) { out += f[i + 1]; i += 2; continue; }
        if (f[i] == u'"') {
            const int e = f.indexOf(u'"', i + 1);
            out += f.mid(i + 1, (e < 0 ? f.size() : e) - i - 1);
            i = e < 0 ? f.size() : e + 1;
            continue;
        }
        if (f.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            out += d.time().hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            i += 5;
            continue;
        }
        int n;
        switch (ch.unicode()) {
        case 'y':
            n = run(u'y');
            out += n >= 3 ? QString::number(d.date().year()) : QString::number(d.date().year() % 100).rightJustified(2, u'0');
            i += n; lastWasHour = false;
            continue;
        case 'q':
            n = run(u'q');
            out += QString::number((d.date().month() - 1) / 3 + 1);
            i += n; lastWasHour = false;
            continue;
        case 'm':
            n = run(u'm');
            if (lastWasHour && n <= 2) // minutes after hours, as Jet reads "hh:mm"
                out += n == 2 ? QString::number(d.time().minute()).rightJustified(2, u'0') : QString::number(d.time().minute());
            else if (n >= 4) out += en.monthName(d.date().month());
            else if (n == 3) out += en.monthName(d.date().month(), QLocale::ShortFormat);
            else out += n == 2 ? QString::number(d.date().month()).rightJustified(2, u'0') : QString::number(d.date().month());
            i += n; lastWasHour = false;
            continue;
        case 'd':
            n = run(u'd');
            if (n >= 4) out += en.dayName(d.date().dayOfWeek());
            else if (n == 3) out += en.dayName(d.date().dayOfWeek(), QLocale::ShortFormat);
            else out += n == 2 ? QString::number(d.date().day()).rightJustified(2, u'0') : QString::number(d.date().day());
            i += n; lastWasHour = false;
            continue;
        case 'h':
            n = run(u'h');
            out += n >= 2 ? QString::number(d.time().hour()).rightJustified(2, u'0') : QString::number(d.time().hour());
            i += n; lastWasHour = true;
            continue;
        case 'n':
            n = run(u'n');
            out += n >= 2 ? QString::number(d.time().minute()).rightJustified(2, u'0') : QString::number(d.time().minute());
            i += n; lastWasHour = false;
            continue;
        case 's':
            n = run(u's');
            out += n >= 2 ? QString::number(d.time().second()).rightJustified(2, u'0') : QString::number(d.time().second());
            i += n; lastWasHour = false;
            continue;
        case 'w':
            n = run(u'w');
            out += n >= 2 ? QString::number((d.date().dayOfYear() + QDate(d.date().year(), 1, 1).dayOfWeek() % 7 - 1) / 7 + 1)
                          : QString::number(d.date().dayOfWeek() % 7 + 1);
            i += n; lastWasHour = false;
            continue;
        default:
            out += f[i++];
            if (!(ch == u':' || ch == u' ')) lastWasHour = lastWasHour && ch == u':';
        }
    }
    return out;
}

QString formatNumber(double v, const QString &format)
{
    const QString f = format.trimmed();
    const QString low = f.toLower();
    if (low == QLatin1String("general number")) return QString::number(v, 'g', 15);
    if (low == QLatin1String("fixed")) return QString::number(v, 'f', 2);
    if (low == QLatin1String("standard")) return formatNumber(v, QStringLiteral("#,##0.00"));
    if (low == QLatin1String("percent")) return QString::number(v * 100, 'f', 2) + QLatin1Char('%');
    if (low == QLatin1String("currency")) return QStringLiteral("¥") + formatNumber(v, QStringLiteral("#,##0.00"));
    const bool percent = f.contains(QLatin1Char('%'));
    if (percent) v *= 100;
    const int point = f.indexOf(QLatin1Char('.'));
    int decimals = 0;
    if (point >= 0)
        for (int i = point + 1; i < f.size() && (f[i] == u'0' || f[i] == u'#'); ++i) ++decimals;
    const bool grouping = f.left(point < 0 ? f.size() : point).contains(QLatin1Char(','));
    int minInt = 0;
    for (int i = 0; i < (point < 0 ? f.size() : point); ++i) if (f[i] == u'0') ++minInt;
    QString s = QString::number(std::fabs(v), 'f', decimals);
    // optional decimals (#) drop trailing zeros
    if (point >= 0) {
        int optional = 0;
        for (int i = point + 1; i < f.size() && (f[i] == u'0' || f[i] == u'#'); ++i) optional = f[i] == u'#' ? optional + 1 : 0;
        while (optional-- > 0 && s.endsWith(QLatin1Char('0'))) s.chop(1);
        if (s.endsWith(QLatin1Char('.'))) s.chop(1);
    }
    int dot = s.indexOf(QLatin1Char('.'));
    QString whole = dot < 0 ? s : s.left(dot);
    const QString frac = dot < 0 ? QString() : s.mid(dot);
    if (whole == QLatin1String("0") && minInt == 0) whole.clear();
    if (whole.size() < minInt) whole = whole.rightJustified(minInt, QLatin1Char('0')); // "00" shows 3 as 03
    if (grouping)
        for (int i = int(whole.size()) - 3; i > 0; i -= 3) whole.insert(i, QLatin1Char(','));
    const bool negative = v < 0 && s.contains(QRegularExpression(QStringLiteral("[1-9]")));
    return (negative ? QStringLiteral("-") : QString()) + whole + frac + (percent ? QStringLiteral("%") : QString());
}

QString styleText(const QDateTime &d, int style)
{
    const QString y4 = QStringLiteral("yyyy"), y2 = QStringLiteral("yy");
    const bool century = style >= 100 || style == 20 || style == 21 || style == 23 || style == 8;
    const QString y = century ? y4 : y2;
    switch (style % 100 == 0 && style != 100 ? style : style) {
    case 0: case 100: return d.toString(QStringLiteral("MMM dd yyyy hh:mmAP"));
    case 1: case 101: return d.toString(QStringLiteral("MM/dd/") + y);
    case 2: case 102: return d.toString(y + QStringLiteral(".MM.dd"));
    case 3: case 103: return d.toString(QStringLiteral("dd/MM/") + y);
    case 4: case 104: return d.toString(QStringLiteral("dd.MM.") + y);
    case 5: case 105: return d.toString(QStringLiteral("dd-MM-") + y);
    case 8: case 108: return d.toString(QStringLiteral("HH:mm:ss"));
    case 10: case 110: return d.toString(QStringLiteral("MM-dd-") + y);
    case 11: case 111: return d.toString(y + QStringLiteral("/MM/dd"));
    case 12: case 112: return d.toString(y + QStringLiteral("MMdd"));
    case 20: case 120: return d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case 21: case 121: return d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    case 23: return d.toString(QStringLiteral("yyyy-MM-dd"));
    case 126: return d.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    default: return d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
}

} // namespace

QString formatValue(const FormatValue &value, const QString &format)
{
    const QString low = format.trimmed().toLower();
    if (format.isEmpty())
        return value.text;
    const bool numeric = low.contains(QLatin1Char('0')) || low.contains(QLatin1Char('#')) || low == QLatin1String("general number")
                         || low == QLatin1String("fixed") || low == QLatin1String("standard") || low == QLatin1String("percent")
                         || low == QLatin1String("currency");
    if (numeric) {
        bool ok = value.isNumber;
        const double v = value.isNumber ? value.number : value.text.trimmed().toDouble(&ok);
        return ok ? formatNumber(v, format) : value.text;
    }
    QDateTime d;
    if (value.isNumber || !parseDateText(value.text, &d, nullptr, false))
        return value.text;
    if (low == QLatin1String("short date")) return storedDateOnly(d.date());
    if (low == QLatin1String("long date")) return d.toString(QStringLiteral("yyyy年M月d日"));
    if (low == QLatin1String("general date")) return storedDate(d);
    if (low == QLatin1String("short time")) return d.toString(QStringLiteral("HH:mm"));
    if (low == QLatin1String("long time")) return d.toString(QStringLiteral("HH:mm:ss"));
    return formatDate(d, format);
}

QString convertValue(const QString &typeName, const FormatValue &value, int style, bool *ok)
{
    *ok = true;
    const QString t = typeName.toLower();
    const int open = t.indexOf(QLatin1Char('('));
    const int length = open < 0 ? 30 : t.mid(open + 1, t.indexOf(QLatin1Char(')')) - open - 1).toInt();
    if (t.contains(QLatin1String("char")) || t.contains(QLatin1String("text"))) {
        QString s = value.text;
        QDateTime d;
        if (style >= 0 && !value.isNumber && parseDateText(value.text, &d, nullptr, false))
            s = styleText(d, style);
        if (length > 0 && !t.contains(QLatin1String("max")) && s.size() > length) s = s.left(length);
        return s;
    }
    if (t.contains(QLatin1String("date")) || t.contains(QLatin1String("time"))) {
        QDateTime d;
        if (!parseDateText(value.text, &d)) { *ok = false; return QString(); }
        return t == QLatin1String("date") ? storedDateOnly(d.date()) : storedDate(d);
    }
    bool good = value.isNumber;
    const double v = value.isNumber ? value.number : value.text.trimmed().toDouble(&good);
    if (!good) { *ok = false; return QString(); }
    if (t.contains(QLatin1String("int")) || t == QLatin1String("bit")) return QString::number(qint64(std::trunc(v)));
    const int comma = t.indexOf(QLatin1Char(','));
    if (comma > 0) return QString::number(v, 'f', t.mid(comma + 1, t.indexOf(QLatin1Char(')')) - comma - 1).toInt());
    return QString::number(v, 'g', 17);
}

} // namespace wage::sql
