#include "db/dbroutines.h"

#include "core/errlog.h"
#include "core/strutil.h"
#include "db/connection.h"
#include "net/netinfo.h"

void WriteOperationLog(const QString &operation, const QString &tableName, const QString &userName,
                       wage::Connection *connection)
{
    QString moduleName;
    try {
        moduleName = GetSqlStr(QStringLiteral("select mod_name from f_moduinfo where mod_table='") + wage::sqlQuote(tableName)
                                   + QLatin1Char('\''),
                               connection);
    } catch (const std::exception &) {
        // the row is still written, under the table's name
    }
    if (moduleName.isEmpty())
        moduleName = tableName;
    const QStringList values{wage::nowText(), operation, moduleName, userName, GetPublicIP(), GetLocalIP(true), GetPcName()};
    QStringList quoted;
    for (const QString &v : values)
        quoted.append(wage::sqlQuote(v));
    RunSqlCommand(QStringLiteral("insert into  F_OperationLog (op_time,operation,mod_name,user_name,InternetIp,IntranetIp,ComputerName) values ('")
                      + quoted.join(QStringLiteral("','")) + QStringLiteral("')"),
                  connection);
}
