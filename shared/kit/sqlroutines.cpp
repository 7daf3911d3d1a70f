#include "kit/sqlroutines.h"

#include "db/connection.h"

#include <QRandomGenerator>

namespace {

wage::Connection *need(wage::Connection *connection, const QString &sql)
{
    if (!connection || !connection->isOpen())
        throw wage::DbError(QStringLiteral("数据库未连接"), sql);
    return connection;
}

QString valueText(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return QString();
    if (v.typeId() == QMetaType::Double) {
        return QString::number(v.toDouble(), 'g', 15);
    }
    return v.toString();
}

} // namespace

QString TableNameRand(wage::Connection *connection)
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const QStringList taken = connection ? connection->tableNames() : QStringList();
    for (;;) {
        QString name = QStringLiteral("tmp");
        for (int i = 0; i < 8; ++i)
            name += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(36)]);
        if (!taken.contains(name, Qt::CaseInsensitive))
            return name;
    }
}

double GetSqlFloat(const QString &sql, wage::Connection *connection)
{
    const wage::QueryResult r = need(connection, sql)->query(sql);
    if (r.rows.isEmpty() || r.rows.first().isEmpty())
        return 0;
    const QVariant v = r.rows.first().first();
    if (v.isNull() || !v.isValid())
        return 0;
    bool ok = false;
    const double d = v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    return ok ? d : 0;
}

QStringList GetSqlList(const QString &sql, wage::Connection *connection)
{
    const wage::QueryResult r = need(connection, sql)->query(sql);
    QStringList list;
    for (const QVariantList &row : r.rows)
        list << (row.isEmpty() ? QString() : valueText(row.first()));
    return list;
}
