#include "db/sqltranslate.h"

#include "db/sqltoken.h"

namespace wage::sql {

QStringList parameterNames(const QString &sql)
{
    QStringList names;
    for (const Token &t : tokenize(sql, false))
        if (t.type == Tok::Param)
            names.append(t.text);
    return names;
}

QList<SqliteStatement> translate(const QString &sql, Dialect dialect)
{
    const QList<Token> tokens = tokenize(sql, dialect == Dialect::Access);
    SqliteStatement st;
    st.text = sql;
    for (const Token &t : tokens)
        if (t.type == Tok::Param)
            st.params.append(t.text);
    return {st};
}

} // namespace wage::sql
