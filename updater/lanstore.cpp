// The storing side of the distribution through the database: versions and their packages.
#include "lansync.h"

#include "core/errlog.h"
#include "core/strutil.h"
#include "core/wageerror.h"
#include "db/connection.h"
#include "db/dbroutines.h"
#include "net/alert.h"

#include <QFile>
#include <QFileInfo>

namespace updater {
namespace {

QString q(const QString &value)
{
    return wage::sqlQuote(value);
}

} // namespace

void addUpdateUsersColumn(wage::Connection *connection, const QString &column, const QString &statement)
{
    if (!GetFieldExistCon(QStringLiteral("F_UpdateUsers"), column, connection))
        RunSqlCommand(statement, connection);
}

int RegisterVersion(wage::Connection *connection, const QString &dialect, const QString &version)
{
    if (dialect == QLatin1String("ACCESS"))
        return 1;
    // A registration whose packages were never all stored (cut off, F_Enabled still empty) is
    // dropped with its files and made anew.
    const wage::QueryResult unfinished = connection->query(
        QStringLiteral("select F_id from F_UpdateVer where F_App_ver='") + q(version) + QStringLiteral("' and F_Enabled is null"));
    for (int row = 0; row < unfinished.rows.size(); ++row) {
        const QString id = QString::number(unfinished.value(row, QStringLiteral("F_id")).toInt());
        RunSqlCommand(QStringLiteral("Delete F_UpdateFiles where F_id=") + id, connection);
        RunSqlCommand(QStringLiteral("Delete F_UpdateVer where F_id=") + id, connection);
    }
    if (GetSqli(QStringLiteral("select count(*) from F_UpdateVer where F_App_ver='") + q(version) + QLatin1Char('\''),
                connection)
        >= 1) {
        AlertMess(QString(), QStringLiteral("服务器已更新。"));
        return 0;
    }
    // Not yet enabled: the other workstations take the version only once all its packages
    // are stored (EnableVersion).
    connection->execute(QStringLiteral("insert into F_UpdateVer (F_App_ver,F_Update,F_Enabled) values (:ver,:upd,NULL)"),
                        {{QStringLiteral("ver"), version}, {QStringLiteral("upd"), wage::nowText()}});
    bool ok = false;
    const int id = connection->lastInsertId().toInt(&ok);
    if (ok && id > 0)
        return id;
    return GetSqli(QStringLiteral("select max(F_id) from F_UpdateVer where F_App_ver='") + q(version) + QLatin1Char('\''),
                   connection);
}

void EnableVersion(wage::Connection *connection, const QString &dialect, int versionId)
{
    if (dialect == QLatin1String("ACCESS"))
        return;
    RunSqlCommand(QStringLiteral("update F_UpdateVer set F_Enabled=0"), connection);
    RunSqlCommand(QStringLiteral("update F_UpdateVer set F_Enabled=1 where F_id=") + QString::number(versionId), connection);
}

QString PackageSizeText(qint64 bytes)
{
    return QString::number(bytes / 1024) + QStringLiteral("Kb");
}

void StorePackageFile(wage::Connection *connection, const QString &dialect, int versionId, const QString &filePath,
                      const QString &description)
{
    if (dialect == QLatin1String("ACCESS"))
        return;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw WageError(QStringLiteral("无法读取升级文件：") + filePath);
    const QByteArray bytes = file.readAll();
    connection->execute(
        QStringLiteral("INSERT INTO F_UpdateFiles(F_id,F_name,F_size,F_Content,F_File) VALUES "
                       "(:F_ID,:F_name,:F_size,:F_Content,:F_File)"),
        {{QStringLiteral("F_ID"), versionId},
         {QStringLiteral("F_name"), QFileInfo(filePath).fileName()},
         {QStringLiteral("F_size"), PackageSizeText(bytes.size())},
         {QStringLiteral("F_Content"), description},
         {QStringLiteral("F_File"), bytes}});
}

void PrepareDocumentManagement(wage::Connection *connection)
{
    addUpdateUsersColumn(connection, QStringLiteral("F_id"), QStringLiteral("alter table F_UpdateUsers add F_id int "));
    addUpdateUsersColumn(connection, QStringLiteral("U_IP"), QStringLiteral("alter table F_UpdateUsers add U_IP varchar(20) "));
    addUpdateUsersColumn(connection, QStringLiteral("U_Computer"),
                         QStringLiteral("alter table F_UpdateUsers add U_Computer varchar(20) "));
}

} // namespace updater
