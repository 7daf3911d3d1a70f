#include "db/sqllike.h"

#include <sqlite3.h>

namespace wage::sql {

namespace {

bool sameChar(QChar a, QChar b) { return a == b || a.toCaseFolded() == b.toCaseFolded(); }

// One bracket class starting at p[i] == '['; `end` gets the index after ']'. False when there is
// no closing bracket (the '[' is then a plain character).
bool classMatches(const QString &p, int i, QChar ch, bool msSql, int *end, bool *matched)
{
    int k = i + 1;
    bool negate = false;
    if (k < p.size() && (p[k] == (msSql ? u'^' : u'!'))) { negate = true; ++k; }
    bool hit = false;
    bool first = true;
    for (; k < p.size(); ++k) {
        if (p[k] == u']' && !first) break;
        first = false;
        if (k + 2 < p.size() && p[k + 1] == u'-' && p[k + 2] != u']') {
            const QChar lo = p[k].toCaseFolded(), hi = p[k + 2].toCaseFolded(), c = ch.toCaseFolded();
            if (c >= lo && c <= hi) hit = true;
            k += 2;
        } else if (sameChar(p[k], ch)) {
            hit = true;
        }
    }
    if (k >= p.size())
        return false;
    *end = k + 1;
    *matched = hit != negate;
    return true;
}

} // namespace

bool likeMatches(const QString &t, const QString &p, bool msSql, QChar escape)
{
    // two pointers with the last "any run" to fall back on; every other element takes one character
    int ti = 0, pi = 0, starP = -1, starT = 0;
    while (ti < t.size()) {
        bool advanced = false;
        if (pi < p.size()) {
            const QChar pc = p[pi];
            if (!escape.isNull() && pc == escape && pi + 1 < p.size()) {
                if (sameChar(p[pi + 1], t[ti])) { pi += 2; ++ti; advanced = true; }
            } else if (pc == u'%' || (!msSql && pc == u'*')) {
                starP = ++pi;
                starT = ti;
                continue;
            } else if (pc == u'_' || (!msSql && pc == u'?')) {
                ++pi; ++ti; advanced = true;
            } else if (!msSql && pc == u'#') {
                if (t[ti].isDigit()) { ++pi; ++ti; advanced = true; }
            } else if (pc == u'[') {
                int end = 0;
                bool hit = false;
                if (classMatches(p, pi, t[ti], msSql, &end, &hit)) {
                    if (hit) { pi = end; ++ti; advanced = true; }
                } else if (sameChar(pc, t[ti])) {
                    ++pi; ++ti; advanced = true;
                }
            } else if (sameChar(pc, t[ti])) {
                ++pi; ++ti; advanced = true;
            }
        }
        if (advanced)
            continue;
        if (starP < 0)
            return false;
        pi = starP;
        ti = ++starT;
    }
    while (pi < p.size() && (p[pi] == u'%' || (!msSql && p[pi] == u'*')))
        ++pi;
    return pi == p.size();
}

bool likeAsSqlite(const QString &pattern, bool msSql, QString *out)
{
    if (pattern.contains(QLatin1Char('[')))
        return false;
    if (msSql) {
        *out = pattern;
        return true;
    }
    if (pattern.contains(QLatin1Char('#')))
        return false;
    QString s = pattern;
    s.replace(QLatin1Char('*'), QLatin1Char('%'));
    s.replace(QLatin1Char('?'), QLatin1Char('_'));
    *out = s;
    return true;
}

namespace {

QString textOf(sqlite3_value *v)
{
    const unsigned char *p = sqlite3_value_text(v);
    return p ? QString::fromUtf8(reinterpret_cast<const char *>(p), sqlite3_value_bytes(v)) : QString();
}

// wage_like(text, pattern [, escape])
void fnLike(sqlite3_context *c, int argc, sqlite3_value **a)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(a[i]) == SQLITE_NULL) return sqlite3_result_null(c);
    const QString esc = argc > 2 ? textOf(a[2]) : QString();
    sqlite3_result_int(c, likeMatches(textOf(a[0]), textOf(a[1]), sqlite3_user_data(c) != nullptr, esc.isEmpty() ? QChar() : esc[0]) ? 1 : 0);
}

} // namespace

bool registerLikeFunction(sqlite3 *db, void *marker)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "wage_like", 2, flags, marker, fnLike, nullptr, nullptr, nullptr) == SQLITE_OK
           && sqlite3_create_function_v2(db, "wage_like", 3, flags, marker, fnLike, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace wage::sql
