#include "db/sqlshape.h"

namespace wage::sql {

QString literalParameter(int index)
{
    return QStringLiteral("wage_l") + QString::number(index);
}

namespace {

bool namePart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'@' || c == u'#' || c.unicode() > 127;
}

} // namespace

bool statementShape(const QString &s, bool jet, QString *shape, QList<LiteralSlot> *literalList)
{
    shape->clear();
    shape->reserve(s.size());
    literalList->clear();
    const int n = s.size();
    QString lastWord;
    int typeDepth = 0; // inside varchar(10), decimal(18, 2): sizes are part of the shape
    int i = 0;
    auto copyTo = [&](int end) {
        shape->append(QStringView(s).mid(i, end - i));
        i = end;
    };
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) { shape->append(c); ++i; continue; }
        if ((c == u'-' && i + 1 < n && s[i + 1] == u'-') || (c == u'/' && i + 1 < n && s[i + 1] == u'*'))
            return false;
        const bool keep = lastWord == QLatin1String("like") || lastWord == QLatin1String("escape");
        if (c == u'\'' || (jet && c == u'"')) {
            QString v = QStringLiteral(""); // '' is an empty text, never NULL
            int j = i + 1;
            for (;; ++j) {
                if (j >= n) return false;
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) { v += c; ++j; continue; }
                    break;
                }
                v += s[j];
            }
            if (keep) {
                copyTo(j + 1);
            } else {
                // N'...' is one token that starts at the N
                const int pos = i > 0 && (s[i - 1] == u'N' || s[i - 1] == u'n') && (i < 2 || !namePart(s[i - 2])) ? i - 1 : i;
                literalList->append({pos, v});
                shape->append(QStringLiteral("\x02s"));
                i = j + 1;
            }
            lastWord.clear();
            continue;
        }
        if (c == u'"' || c == u'[' || c == u'`' || (jet && c == u'#')) {
            const QChar close = c == u'[' ? u']' : c;
            int j = i + 1;
            while (j < n && s[j] != close) ++j;
            if (j >= n) return false;
            copyTo(j + 1);
            lastWord.clear();
            continue;
        }
        if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            int j = i;
            if (c == u'0' && j + 1 < n && (s[j + 1] == u'x' || s[j + 1] == u'X')) {
                j += 2;
                while (j < n && s[j].isLetterOrNumber()) ++j;
                copyTo(j);
                lastWord.clear();
                continue;
            }
            bool point = false, exponent = false;
            while (j < n && s[j].isDigit()) ++j;
            if (j < n && s[j] == u'.') { point = true; ++j; while (j < n && s[j].isDigit()) ++j; }
            if (j + 1 < n && (s[j] == u'e' || s[j] == u'E')
                && (s[j + 1].isDigit() || ((s[j + 1] == u'+' || s[j + 1] == u'-') && j + 2 < n && s[j + 2].isDigit()))) {
                exponent = true;
                j += 2;
                while (j < n && s[j].isDigit()) ++j;
            }
            if (j < n && namePart(s[j])) return false; // 1abc: leave such text to the tokenizer
            const QString text = s.mid(i, j - i);
            bool ok = false;
            QVariant v;
            if (!point && !exponent) {
                const qlonglong whole = text.toLongLong(&ok);
                v = whole;
            } else {
                v = text.toDouble(&ok);
            }
            if (!ok || keep || typeDepth > 0) {
                copyTo(j);
            } else {
                literalList->append({i, v});
                shape->append(exponent ? QStringLiteral("\x02" "f") : point ? QStringLiteral("\x02" "d") : QStringLiteral("\x02" "i"));
                i = j;
            }
            lastWord.clear();
            continue;
        }
        if (namePart(c) || c == u':') {
            int j = i + 1;
            while (j < n && namePart(s[j])) ++j;
            lastWord = s.mid(i, j - i).toLower();
            copyTo(j);
            continue;
        }
        if (c == u'(') {
            static const char *const types[] = {"char", "varchar", "nchar", "nvarchar", "decimal", "numeric", "dec", "float",
                                                "binary", "varbinary", "datetime2", "time", "datetimeoffset", nullptr};
            bool type = typeDepth > 0;
            for (const char *const *t = types; *t && !type; ++t) type = lastWord == QLatin1String(*t);
            if (type) ++typeDepth;
        } else if (c == u')' && typeDepth > 0) {
            --typeDepth;
        }
        shape->append(c);
        ++i;
        lastWord.clear();
    }
    return !literalList->isEmpty();
}

} // namespace wage::sql
