#include "db/sqltranslate.h"

#include "db/sqlparser.h"
#include "db/sqlrender.h"
#include "db/sqltoken.h"

namespace wage::sql {

QStringList parameterNames(const QString &sql)
{
    QStringList names;
    for (const Token &t : tokenize(sql, false))
        if (t.type == Tok::Param && !names.contains(t.text))
            names.append(t.text);
    return names;
}

namespace {

bool isNoOp(const QList<Token> &st)
{
    // SET NOCOUNT ON and friends have no meaning on the embedded engine
    return st.size() >= 2 && st[0].is("set") && st[1].type == Tok::Word
           && (st[1].is("nocount") || st[1].is("ansi_nulls") || st[1].is("quoted_identifier") || st[1].is("xact_abort"));
}

} // namespace

QList<SqliteStatement> translate(const QString &sql, Dialect dialect, const SchemaInfo *schema)
{
    return translateShape(sql, dialect, schema, {}, nullptr);
}

QList<SqliteStatement> translateShape(const QString &sql, Dialect dialect, const SchemaInfo *schema,
                                      const QHash<int, int> &literalSlots, bool *valueDependent)
{
    if (valueDependent) *valueDependent = false;
    const QHash<int, int> *literalList = literalSlots.isEmpty() ? nullptr : &literalSlots;
    const bool ms = dialect == Dialect::MsSql;
    const QList<Token> tokens = tokenize(sql, !ms);
    QList<SqliteStatement> out;
    QList<Token> current;
    auto flush = [&]() {
        if (current.isEmpty() || isNoOp(current)) {
            current.clear();
            return;
        }
        Token end;
        end.pos = sql.size();
        current.append(end);
        const Statement st = parseStatement(current, sql, ms);
        bool dependent = false;
        out += renderStatement(st, ms, schema, sql, literalList, &dependent);
        if (valueDependent) *valueDependent = *valueDependent || dependent;
        current.clear();
    };
    for (const Token &t : tokens) {
        if (t.type == Tok::End || t.isOp(";") || isBatchSeparator(sql, t)) {
            flush();
            continue;
        }
        current.append(t);
    }
    if (out.isEmpty())
        throw DbError(QStringLiteral("空的 SQL 语句"), sql);
    return out;
}

} // namespace wage::sql
