#include "db/dbroutines.h"

#include "core/errlog.h"
#include "core/strutil.h"
#include "db/connection.h"

#include <QMetaType>
#include <cmath>

using wage::Connection;
using wage::DbError;

namespace {

Connection *need(Connection *connection, const QString &sql)
{
    if (!connection || !connection->isOpen())
        throw DbError(QStringLiteral("数据库未连接"), sql);
    return connection;
}

int toInteger(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return 0;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return int(std::llround(v.toDouble()));
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const int i = s.toInt(&ok);
        if (ok)
            return i;
        const double f = s.toDouble(&ok);
        return ok ? int(std::llround(f)) : 0;
    }
    default:
        return v.toInt();
    }
}

} // namespace

int GetSqli(const QString &sql, Connection *connection)
{
    const wage::QueryResult r = need(connection, sql)->queryRows(sql, 1);
    if (r.rows.isEmpty() || r.rows.first().isEmpty())
        return 0;
    return toInteger(r.rows.first().first());
}

QString GetSqlStr(const QString &sql, Connection *connection)
{
    wage::QueryResult r;
    try {
        r = need(connection, sql)->queryRows(sql, 2);
    } catch (const DbError &e) {
        // Error.Log: message, help-context number (none here: 0) and the statement.
        try {
            WriteErrLog(e.reason() + QLatin1Char('\r') + QLatin1Char('0') + QLatin1Char('\r') + sql);
        } catch (const std::exception &) {
        }
        throw;
    }
    if (r.rows.size() != 1 || r.rows.first().isEmpty())
        return QString();
    const QVariant v = r.rows.first().first();
    return v.isNull() ? QString() : TrimText(v.toString());
}

bool RunSqlCommand(const QString &sql, Connection *connection)
{
    try {
        need(connection, sql)->execute(sql, {}, 0);
        return true;
    } catch (...) {
        return false;
    }
}

bool TableExists(const QString &tableName, Connection *connection)
{
    const QStringList names = need(connection, QString())->tableNames();
    const QString wanted = tableName.trimmed();
    for (const QString &n : names)
        if (n.compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool GetFieldExistCon(const QString &tableName, const QString &columnName, Connection *connection)
{
    const QString sql = QStringLiteral("select top 1 * from ") + tableName;
    const QStringList names = need(connection, sql)->columns(sql);
    for (const QString &n : names)
        if (n.compare(columnName.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

namespace wage {

namespace {
QString keyCondition(const QString &key)
{
    return QStringLiteral(" where key_name='") + sqlQuote(key) + QLatin1Char('\'');
}
bool keyHasRow(Connection *connection, const QString &key)
{
    return GetSqli(QStringLiteral("select count(*) from tempconfig") + keyCondition(key), connection) > 0;
}
} // namespace

int readSwitch(Connection *connection, const QString &key)
{
    return GetSqli(QStringLiteral("select key_index from tempconfig") + keyCondition(key), connection);
}

QString readSettingText(Connection *connection, const QString &key)
{
    const QString sql = QStringLiteral("select gridwidth from tempconfig") + keyCondition(key);
    const QueryResult r = need(connection, sql)->queryRows(sql, 1);
    if (r.rows.isEmpty() || r.rows.first().value(0).isNull())
        return QString();
    return TrimText(r.rows.first().value(0).toString());
}

void writeSwitch(Connection *connection, const QString &key, int value)
{
    const QString v = QString::number(value);
    if (keyHasRow(connection, key))
        connection->execute(QStringLiteral("update tempconfig set key_index=") + v + keyCondition(key));
    else
        connection->execute(QStringLiteral("insert into tempconfig (key_name,key_index) values ('") + sqlQuote(key)
                            + QStringLiteral("',") + v + QStringLiteral(") "));
}

void writeSettingText(Connection *connection, const QString &key, const QString &value)
{
    if (keyHasRow(connection, key))
        connection->execute(QStringLiteral("update tempconfig set gridwidth='") + sqlQuote(value) + QLatin1Char('\'')
                            + keyCondition(key));
    else
        connection->execute(QStringLiteral("insert into tempconfig (key_name,gridwidth) values ('") + sqlQuote(key)
                            + QStringLiteral("','") + sqlQuote(value) + QStringLiteral("') "));
}

} // namespace wage
