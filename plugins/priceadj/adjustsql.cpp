#include "priceadj/adjustsql.h"

#include "core/strutil.h"
#include "kit/rights.h"

#include <QRegularExpression>

namespace priceadj {

QString emptyPricePredicate()
{
    return QStringLiteral("(ip_djjw is null or ip_djjw=0 )");
}

QString processPredicate(const QString &processNo)
{
    return QStringLiteral("rtrim(gsxu_no)='") + wage::sqlQuote(processNo) + QLatin1Char('\'');
}

QString workTableSql(wage::Dialect dialect, const QString &name, const QString &cond, const QString &scope,
                     bool emptyPriceOnly)
{
    QString sql;
    if (dialect == wage::Dialect::Access) {
        sql = QStringLiteral("select  distinct ip_no as 产品编号,ip_name as 产品名称, gsxu_no as 工序编号,ip_gsxu as 工序名称 into ") + name;
        sql += cond.isEmpty() ? QStringLiteral(" from f_jijm ") : QStringLiteral("  from f_jijm where ") + cond;
    } else {
        sql = QStringLiteral("select  distinct ip_no as 产品编号,ip_name as 产品名称, gsxu_no as 工序编号,ip_gsxu as 工序名称,"
                             "ip_djjw as 计价单价 into ") + name;
        sql += cond.isEmpty() ? QStringLiteral(" from f_jijm ") : QStringLiteral(" from f_jijm where ") + cond;
    }
    if (!scope.isEmpty())
        sql = wage::joinPredicate(sql, scope);
    if (emptyPriceOnly)
        sql = wage::joinPredicate(sql, emptyPricePredicate());
    return sql;
}

QString auditFillSql(wage::Dialect dialect, const QString &name)
{
    if (dialect == wage::Dialect::Access)
        return QStringLiteral("update %1,f_ipgx set %1.审核=f_ipgx.Locked where %1.工序编号=f_ipgx.gsxu_no").arg(name);
    return QStringLiteral("update %1 set %1.审核=f_ipgx.Locked From f_ipgx where %1.工序编号=f_ipgx.gsxu_no").arg(name);
}

QString conditionRecordsSql(const QString &cond, const QString &scope)
{
    QString sql = cond.isEmpty() ? QStringLiteral("select * from f_jijm")
                                 : QStringLiteral("select * from f_jijm  where ") + cond;
    if (!scope.isEmpty())
        sql = wage::joinPredicate(sql, scope);
    return sql;
}

QString processRecordsSql(const QString &scope, const QString &cond, const QString &processNo, bool emptyPriceOnly)
{
    QString sql = scope.isEmpty() ? QStringLiteral("select * from f_jijm ")
                                  : QStringLiteral("select * from f_jijm where ") + scope;
    if (!cond.isEmpty())
        sql = wage::joinPredicate(sql, cond);
    sql = wage::joinPredicate(sql, processPredicate(processNo));
    if (emptyPriceOnly)
        sql = wage::joinPredicate(sql, emptyPricePredicate());
    return sql;
}

QString processListRecordsSql(const QString &hostSql, const QString &cond, const QString &processNo)
{
    QString sql = hostSql;
    if (!cond.isEmpty())
        sql = wage::joinPredicate(sql, cond);
    return wage::joinPredicate(sql, processPredicate(processNo));
}

QString singleFieldLookupSql(const QString &caption)
{
    return QStringLiteral("select  field_name from f_system where field_caption='") + wage::sqlQuote(caption)
           + QStringLiteral("' and table_name='f_jijm'");
}

QString globalFieldLookupSql(const QString &caption)
{
    return QStringLiteral("select field_name from f_system where table_name='f_jijm' and field_caption='")
           + wage::sqlQuote(caption) + QLatin1Char('\'');
}

bool parseDecimal(const QString &text, double *value)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString t = TrimText(text);
    if (!decimal.match(t).hasMatch())
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (ok && value)
        *value = v;
    return ok;
}

} // namespace priceadj
