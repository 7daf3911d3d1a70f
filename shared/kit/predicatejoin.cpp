#include "kit/predicatejoin.h"

#include <QList>

namespace wage {
namespace {

// A word of the statement outside quotes, brackets, comments and parentheses.
struct Word {
    int start;
    int end;
    QString lower;
};

struct Scan {
    QList<Word> words;           // top-level words, in order
    QList<int> significantEnds;  // after each top-level word or symbol: where it ends
    QList<int> significantStarts;
};

bool wordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#'); }

Scan scan(const QString &sql)
{
    Scan s;
    const int n = sql.size();
    int depth = 0;
    int i = 0;
    auto mark = [&](int start, int end) {
        s.significantStarts << start;
        s.significantEnds << end;
    };
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const int close = sql.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar closing = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            const int start = i++;
            while (i < n) {
                if (sql.at(i) == closing) {
                    // A doubled quote stays inside the text.
                    if (closing != QLatin1Char(']') && i + 1 < n && sql.at(i + 1) == closing) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            if (depth == 0)
                mark(start, i);
        } else if (c == QLatin1Char('(')) {
            if (depth == 0)
                mark(i, i + 1);
            ++depth;
            ++i;
        } else if (c == QLatin1Char(')')) {
            depth = qMax(0, depth - 1);
            ++i;
            if (depth == 0)
                mark(i - 1, i);
        } else if (wordChar(c)) {
            const int start = i;
            while (i < n && wordChar(sql.at(i)))
                ++i;
            if (depth == 0) {
                s.words << Word{start, i, sql.mid(start, i - start).toLower()};
                mark(start, i);
            }
        } else {
            if (depth == 0)
                mark(i, i + 1);
            ++i;
        }
    }
    return s;
}

// Whether the text is one parenthesised whole, like "(a or b)".
bool bracketedWhole(const QString &text)
{
    const QString t = text.trimmed();
    if (!t.startsWith(QLatin1Char('(')) || !t.endsWith(QLatin1Char(')')))
        return false;
    // The opening and the closing bracket are the only tokens at the top level.
    const Scan s = scan(t);
    return s.significantStarts.size() == 2 && s.significantEnds.last() == t.size();
}

} // namespace

QString joinPredicate(const QString &sql, const QString &predicate)
{
    const Scan s = scan(sql);
    // The last SELECT of a UNION is the one a trailing clause belongs to.
    int first = 0;
    for (int w = 0; w < s.words.size(); ++w) {
        const QString &k = s.words.at(w).lower;
        if (k == QLatin1String("union") || k == QLatin1String("except") || k == QLatin1String("intersect"))
            first = w + 1;
    }
    int where = -1;
    int clauseEnd = sql.size();
    for (int w = first; w < s.words.size(); ++w) {
        const QString &k = s.words.at(w).lower;
        const QString next = w + 1 < s.words.size() ? s.words.at(w + 1).lower : QString();
        if (k == QLatin1String("where") && where < 0) {
            where = w;
        } else if (((k == QLatin1String("group") || k == QLatin1String("order")) && next == QLatin1String("by"))
                   || k == QLatin1String("having") || k == QLatin1String("option")) {
            clauseEnd = s.words.at(w).start;
            break;
        }
    }
    const int semicolon = sql.lastIndexOf(QLatin1Char(';'));
    if (clauseEnd == sql.size() && semicolon >= 0 && s.significantStarts.contains(semicolon)
        && s.significantStarts.last() == semicolon)
        clauseEnd = semicolon;
    // Insert right after the clause's last token, so that a trailing comment stays behind it.
    int insertAt = 0;
    for (int e = 0; e < s.significantEnds.size(); ++e)
        if (s.significantEnds.at(e) <= clauseEnd)
            insertAt = s.significantEnds.at(e);
    const QString head = sql.left(insertAt);
    const QString tail = sql.mid(insertAt);
    if (where < 0)
        return head + QStringLiteral(" where ") + predicate + tail;

    const int condStart = s.words.at(where).end;
    QString condition = head.mid(condStart);
    bool hasOr = false;
    for (int w = where + 1; w < s.words.size() && s.words.at(w).start < insertAt; ++w)
        hasOr = hasOr || s.words.at(w).lower == QLatin1String("or");
    if (hasOr)
        condition = QStringLiteral(" (") + condition.trimmed() + QLatin1Char(')');
    const QString p = bracketedWhole(predicate) ? predicate.trimmed() : QLatin1Char('(') + predicate.trimmed() + QLatin1Char(')');
    return head.left(condStart) + condition + QStringLiteral(" and ") + p + tail;
}

} // namespace wage
