#include "sqlscript.h"

#include "db/sqltoken.h"

namespace wage {

QStringList splitSqlScript(const QString &script, Dialect dialect)
{
    QStringList out;
    const QList<sql::Token> tokens = sql::tokenize(script, dialect == Dialect::Access);
    int start = 0;
    auto cut = [&](int end) {
        const QString s = script.mid(start, end - start).trimmed();
        if (!s.isEmpty())
            out.append(s);
    };
    auto aloneOnLine = [&script](const sql::Token &t) {
        const int lineStart = script.lastIndexOf(QLatin1Char('\n'), t.pos - 1) + 1;
        int lineEnd = script.indexOf(QLatin1Char('\n'), t.pos);
        if (lineEnd < 0)
            lineEnd = script.size();
        return script.mid(lineStart, lineEnd - lineStart).trimmed().compare(QLatin1String("go"), Qt::CaseInsensitive) == 0;
    };
    for (const sql::Token &t : tokens) {
        if (t.type == sql::Tok::End)
            break;
        if (t.isOp(";")) {
            cut(t.pos);
            start = t.pos + 1;
        } else if (t.is("go") && aloneOnLine(t)) {
            cut(t.pos);
            start = t.pos + 2;
        }
    }
    cut(script.size());
    return out;
}

bool returnsRows(const QString &statement)
{
    const QList<sql::Token> tokens = sql::tokenize(statement, false);
    for (const sql::Token &t : tokens) {
        if (t.isOp("("))
            continue;
        return t.is("select") || t.is("with") || t.is("exec") || t.is("execute") || t.is("pragma")
               || t.is("values") || t.is("transform");
    }
    return false;
}

} // namespace wage
