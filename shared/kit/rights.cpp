#include "kit/rights.h"

#include "core/prompt.h"
#include "core/strutil.h"
#include "db/connection.h"
#include "db/dbroutines.h"


using wage::sqlQuote;

bool Checkfunc(const QString &user, const QString &table, const QString &function, wage::Connection *connection)
{
    if (user == wage::administratorName())
        return false;
    int count = 0;
    try {
        count = GetSqli(QStringLiteral("select count(*) from usermod where mod_table='") + sqlQuote(table)
                            + QStringLiteral("' and mod_func='") + sqlQuote(function)
                            + QStringLiteral("' and mod_type='功能' and user_name='") + sqlQuote(user)
                            + QStringLiteral("'"),
                        connection);
    } catch (const std::exception &) {
        count = 0;
    }
    if (count > 0)
        return false;
    wage::prompt().warning(QStringLiteral("您没有“") + function + QStringLiteral("”的权限，请与系统管理员联系。"),
                           QStringLiteral("提示"));
    return true;
}

QString Getmodwhere(const QString &user, const QString &table, wage::Connection *connection)
{
    if (user == wage::administratorName() || !connection || !connection->isOpen())
        return QString();
    wage::QueryResult r;
    try {
        r = connection->query(QStringLiteral("select mod_func from usermod where mod_table='") + sqlQuote(table)
                              + QStringLiteral("' and mod_type='数据范围' and user_name='") + sqlQuote(user)
                              + QStringLiteral("'"));
    } catch (const std::exception &) {
        return QString();
    }
    QStringList parts;
    for (const QVariantList &row : r.rows) {
        const QString p = row.isEmpty() || row.first().isNull() ? QString() : TrimText(row.first().toString());
        if (!p.isEmpty())
            parts << p;
    }
    if (parts.isEmpty())
        return QString();
    if (parts.size() == 1)
        return QLatin1Char('(') + parts.first() + QLatin1Char(')');
    return QStringLiteral("((") + parts.join(QStringLiteral(") or (")) + QStringLiteral("))");
}

QString GetDataSQLStr(const QString &user, const QString &table, wage::Connection *connection)
{
    QString sql;
    try {
        sql = GetSqlStr(QStringLiteral("select opensql from f_moduinfo where mod_table='") + sqlQuote(table)
                            + QStringLiteral("'"),
                        connection);
    } catch (const std::exception &) {
        sql.clear();
    }
    if (sql.isEmpty())
        sql = QStringLiteral("select * from ") + table;
    const QString scope = Getmodwhere(user, table, connection);
    return scope.isEmpty() ? sql : wage::joinPredicate(sql, scope);
}

namespace {
QList<wage::Expansion> &expansions()
{
    static QList<wage::Expansion> list;
    return list;
}
} // namespace

void GetExpand(const QString &table, const QString &caption, int kind, wage::Connection *)
{
    for (const wage::Expansion &e : expansions())
        if (e.table.compare(table, Qt::CaseInsensitive) == 0 && e.caption == caption)
            return;
    expansions().append({table, caption, kind});
}

namespace wage {

QList<Expansion> announcedExpansions() { return expansions(); }

} // namespace wage
