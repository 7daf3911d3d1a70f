#include "db/sqltoken.h"

#include "db/connection.h"

namespace wage::sql {

bool Token::is(const char *word) const
{
    return type == Tok::Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool Token::isOp(const char *op) const
{
    return type == Tok::Op && text == QLatin1String(op);
}

static bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() > 127;
}

static bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() > 127;
}

static bool looksLikeJetDate(const QString &s, int from, int *end)
{
    // #2026-12-09#, #12/9/2026#, #2026-12-09 10:00:00#: digits, separators, blanks and colons.
    int i = from + 1;
    bool digit = false;
    while (i < s.size() && s[i] != u'#') {
        const QChar c = s[i];
        if (c.isDigit())
            digit = true;
        else if (!(c == u'-' || c == u'/' || c == u'.' || c == u':' || c == u' ' || c.isLetter()))
            return false;
        if (s[i] == u'\n')
            return false;
        ++i;
    }
    if (i >= s.size() || !digit)
        return false;
    *end = i;
    return true;
}

QList<Token> tokenize(const QString &s, bool jetStrings)
{
    QList<Token> out;
    const int n = s.size();
    int i = 0;
    bool space = false;
    auto unterminated = [&](const QString &what) {
        throw DbError(QStringLiteral("SQL 语句有未结束的%1").arg(what), s);
    };
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) { space = true; ++i; continue; }
        if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n') ++i;
            space = true;
            continue;
        }
        if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const int e = s.indexOf(QLatin1String("*/"), i + 2);
            if (e < 0) unterminated(QStringLiteral("注释"));
            i = e + 2;
            space = true;
            continue;
        }
        Token t;
        t.pos = i;
        t.spaceBefore = space;
        space = false;
        if ((c == u'N' || c == u'n') && i + 1 < n && s[i + 1] == u'\'') {
            t.nationalString = true;
            ++i;
        }
        const QChar q = s[i];
        if (q == u'\'' || (q == u'"' && jetStrings)) {
            QString v;
            int j = i + 1;
            for (;;) {
                if (j >= n) unterminated(QStringLiteral("文本"));
                if (s[j] == q) {
                    if (j + 1 < n && s[j + 1] == q) { v += q; j += 2; continue; }
                    break;
                }
                v += s[j++];
            }
            t.type = Tok::String;
            t.text = v;
            i = j + 1;
        } else if (q == u'[' || q == u'`' || q == u'"') {
            const QChar close = q == u'[' ? QChar(u']') : q;
            QString v;
            int j = i + 1;
            for (;;) {
                if (j >= n) unterminated(QStringLiteral("名称"));
                if (s[j] == close) {
                    if (j + 1 < n && s[j + 1] == close) { v += close; j += 2; continue; }
                    break;
                }
                v += s[j++];
            }
            t.type = Tok::Name;
            t.text = v;
            i = j + 1;
        } else if (q == u'#' && jetStrings) {
            int e = 0;
            if (!looksLikeJetDate(s, i, &e)) unterminated(QStringLiteral("日期"));
            t.type = Tok::Date;
            t.text = s.mid(i + 1, e - i - 1).trimmed();
            i = e + 1;
        } else if (q.isDigit() || (q == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            int j = i;
            if (q == u'0' && j + 1 < n && (s[j + 1] == u'x' || s[j + 1] == u'X')) {
                j += 2;
                while (j < n && (s[j].isDigit() || QStringLiteral("abcdefABCDEF").contains(s[j]))) ++j;
            } else {
                while (j < n && s[j].isDigit()) ++j;
                if (j < n && s[j] == u'.') { ++j; while (j < n && s[j].isDigit()) ++j; }
                if (j + 1 < n && (s[j] == u'e' || s[j] == u'E')
                    && (s[j + 1].isDigit() || ((s[j + 1] == u'+' || s[j + 1] == u'-') && j + 2 < n && s[j + 2].isDigit()))) {
                    j += 2;
                    while (j < n && s[j].isDigit()) ++j;
                }
            }
            t.type = Tok::Number;
            t.text = s.mid(i, j - i);
            i = j;
        } else if (q == u':' && i + 1 < n && isNameStart(s[i + 1])) {
            int j = i + 1;
            while (j < n && isNamePart(s[j])) ++j;
            t.type = Tok::Param;
            t.text = s.mid(i + 1, j - i - 1);
            i = j;
        } else if (q == u'@') {
            int j = i + 1;
            while (j < n && (isNamePart(s[j]) || s[j] == u'@')) ++j;
            t.type = Tok::Variable;
            t.text = s.mid(i, j - i);
            i = j;
        } else if (isNameStart(q) || (q == u'#' && i + 1 < n && isNamePart(s[i + 1]))) {
            // (a T-SQL temporary table #name reaches here; Jet reads # as a date above)
            int j = i + 1;
            while (j < n && isNamePart(s[j])) ++j;
            t.type = Tok::Word;
            t.text = s.mid(i, j - i);
            i = j;
        } else {
            static const char *twoChar[] = {"<>", "!=", "<=", ">=", "||", "!<", "!>", nullptr};
            t.type = Tok::Op;
            t.text = QString(q);
            for (const char **p = twoChar; *p; ++p) {
                if (i + 1 < n && q == QLatin1Char((*p)[0]) && s[i + 1] == QLatin1Char((*p)[1])) {
                    t.text = QLatin1String(*p);
                    break;
                }
            }
            i += t.text.size();
        }
        out.append(t);
    }
    Token end;
    end.pos = n;
    out.append(end);
    return out;
}


bool isBatchSeparator(const QString &sql, const Token &t)
{
    if (!t.is("go"))
        return false;
    for (int i = t.pos - 1; i >= 0 && sql[i] != u'\n'; --i)
        if (!sql[i].isSpace()) return false;
    for (int i = t.pos + t.text.size(); i < sql.size() && sql[i] != u'\n'; ++i)
        if (!sql[i].isSpace()) return false;
    return true;
}

} // namespace wage::sql
