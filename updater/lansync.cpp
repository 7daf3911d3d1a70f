// The fetching side: a workstation installs the enabled version from the database.
#include "lansync.h"

#include "updaterfiles.h"
#include "zipextract.h"

#include "core/appdir.h"
#include "core/errlog.h"
#include "core/inifile.h"
#include "core/strutil.h"
#include "core/wageerror.h"
#include "db/connection.h"
#include "db/dbroutines.h"
#include "net/alert.h"
#include "net/fileversion.h"
#include "net/netinfo.h"
#include "progress/tprogress.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace updater {
namespace {

void log(const QString &message)
{
    logLine(message);
}

void show(Tprogress *progress, int position, int maximum, const QString &message)
{
    if (progress)
        progress->showpress(position, maximum, message);
}

// A stored name is used as a file name of the working directory, never as a path.
QString packageFileName(const QString &storedName)
{
    QString name = TrimText(storedName);
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = QFileInfo(name).fileName();
    if (name == QLatin1String("..") || name == QLatin1String("."))
        return QString();
    return name;
}

QString programDirWithSlash()
{
    return QDir::toNativeSeparators(wage::programDir() + QLatin1Char('/'));
}

QString q(const QString &value)
{
    return wage::sqlQuote(value);
}

} // namespace

bool ClientSync(const SyncContext &context)
{
    wage::Connection *connection = context.connection;
    // 1. A database that has not had the structure checks yet holds no version to take over;
    // failing here would stop every start of the updater before those checks could run.
    if (!TableExists(QStringLiteral("F_UpdateVer"), connection) || !TableExists(QStringLiteral("F_UpdateUsers"), connection))
        return false;
    addUpdateUsersColumn(connection, QStringLiteral("U_IP"), QStringLiteral("alter table F_UpdateUsers add U_IP varchar(20) "));
    addUpdateUsersColumn(connection, QStringLiteral("U_Computer"),
                         QStringLiteral("alter table F_UpdateUsers add U_Computer varchar(20) "));
    addUpdateUsersColumn(connection, QStringLiteral("U_Path"), QStringLiteral("alter table F_UpdateUsers add U_Path varchar(120) "));
    // The workstation row names its version; a database where nobody has opened the document
    // management yet lacks that column.
    addUpdateUsersColumn(connection, QStringLiteral("F_id"), QStringLiteral("alter table F_UpdateUsers add F_id int "));
    // 2.
    const QString oldVersion = programFileExists(QStringLiteral("WAGEMAIN.exe"))
        ? GetBuildVersion(QStringLiteral("WAGEMAIN.exe"))
        : QString();
    const QString localVersion = GetBuildVersion(QStringLiteral("wagemain.exe"));
    // 3. Exactly one enabled version, newer by number ("4.40.2.11" is newer than "4.40.2.9").
    const wage::QueryResult enabled =
        connection->query(QStringLiteral("select f_id,F_App_ver from F_UpdateVer where F_Enabled=1"));
    if (enabled.rows.size() != 1)
        return false;
    bool isNumber = false;
    const int id = enabled.value(0, QStringLiteral("f_id")).toInt(&isNumber);
    if (!isNumber)
        return false;
    const QString offered = TrimText(enabled.value(0, QStringLiteral("F_App_ver")).toString());
    bool newer = localVersion.isEmpty();
    if (!newer) {
        try {
            newer = IsNewerVersion(offered, localVersion);
        } catch (...) {
            newer = false;
        }
    }
    if (!newer && (context.unfinishedVersion.isEmpty() || context.unfinishedVersion != offered))
        return false;
    const QString versionId = QString::number(id);
    // 4.
    show(context.progress, 1, 7, QStringLiteral("正在升级，请稍后....."));
    // 5. Every package is written and unpacked into a staging folder first: one that is not a
    // valid archive stops the installation before any file of this version is replaced.
    const wage::QueryResult packages =
        connection->query(QStringLiteral("select F_name,F_File from F_UpdateFiles where F_id =") + versionId);
    const QString workDir = QDir::currentPath();
    QTemporaryDir staging(workDir + QStringLiteral("/.dbupdate-XXXXXX"));
    if (!staging.isValid()) {
        log(QStringLiteral("从数据库升级失败：无法建立临时目录 ") + workDir);
        return false;
    }
    QStringList archives;
    for (int row = 0; row < packages.rows.size(); ++row) {
        QCoreApplication::processEvents();
        show(context.progress, row + 1, packages.rows.size(), QStringLiteral("正在更新，请稍后..."));
        const QString stored = packages.value(row, QStringLiteral("F_name")).toString();
        if (context.status)
            context.status(QStringLiteral("正在更新") + TrimText(stored) + QStringLiteral(",请稍候....."));
        const QString name = packageFileName(stored);
        const QString archive = staging.filePath(QStringLiteral("%1-").arg(row) + (name.isEmpty() ? QStringLiteral("package") : name));
        QFile file(archive);
        const QByteArray bytes = packages.value(row, QStringLiteral("F_File")).toByteArray();
        QString error;
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            error = file.errorString();
        file.close();
        const QString check = staging.filePath(QStringLiteral("check%1").arg(row));
        if (error.isEmpty() && (!QDir().mkpath(check) || !ExtractPackage(archive, check, &error)) && error.isEmpty())
            error = QStringLiteral("无效的压缩包");
        if (!error.isEmpty()) {
            log(QStringLiteral("从数据库升级失败，升级包") + TrimText(stored) + QStringLiteral("无法安装：") + error);
            return false;
        }
        archives << archive;
    }
    for (const QString &archive : archives) {
        QString error;
        if (!ExtractPackage(archive, workDir, &error)) {
            log(QStringLiteral("从数据库升级失败，升级包") + QFileInfo(archive).fileName() + QStringLiteral("无法安装：") + error);
            return false;
        }
    }
    staging.remove();
    clearUnfinishedUpdate();
    // 6. - 8.
    show(context.progress, 4, 7, QStringLiteral("升级即将完成，请稍后....."));
    const QString publicIp = TrimText(GetPublicIP());
    const QString lanIp = GetLocalIP(false);
    const QString computer = GetPcName();
    const QString directory = programDirWithSlash();
    const bool hostStarted = context.parameters.size() >= 2;
    const QString user = hostStarted ? context.parameters.at(0) : QString();
    WriteOperationLog(QStringLiteral("新版本")
                          + GetSqlStr(QStringLiteral("select  F_App_ver from F_UpdateVer where F_Enabled=1 "), connection),
                      QStringLiteral("老版本：")
                          + inistring(QStringLiteral("main Position"), QStringLiteral("Version"), QString(),
                                      QStringLiteral("Usertem.ini"), QStringLiteral("read")),
                      user, connection);
    // 9. One row per version, computer and program directory.
    if (GetSqli(QStringLiteral("Select count(*) From F_UpdateUsers where F_ID=") + versionId + QStringLiteral(" and U_Computer='")
                    + q(computer) + QStringLiteral("' and U_Path='") + q(directory) + QLatin1Char('\''),
                connection)
        == 0) {
        QStringList columns{QStringLiteral("U_IP"), QStringLiteral("U_Computer")};
        QStringList before{q(lanIp), q(computer)};
        if (hostStarted) {
            columns << QStringLiteral("U_name");
            before << q(user);
        }
        if (!publicIp.isEmpty()) {
            columns << QStringLiteral("U_PubIP");
            before << q(publicIp);
        } else {
            columns << QStringLiteral("U_state");
            before << QStringLiteral("已更新");
        }
        columns << QStringLiteral("U_date") << QStringLiteral("F_ID") << QStringLiteral("U_path") << QStringLiteral("U_OldVer");
        before << q(wage::nowText());
        RunSqlCommand(QStringLiteral("Insert into F_UpdateUsers (") + columns.join(QLatin1Char(',')) + QStringLiteral(") values ('")
                          + before.join(QStringLiteral("','")) + QStringLiteral("',") + versionId + QStringLiteral(",'")
                          + q(directory) + QStringLiteral("','") + q(oldVersion) + QStringLiteral("')"),
                      connection);
    }
    // 10. - 11.
    show(context.progress, 5, 7, QStringLiteral("即将完成，正在启动新版本....."));
    if (QFileInfo::exists(wage::resolveIn(workDir, QStringLiteral("wagemain.exe"))) && context.startProgram)
        context.startProgram(QStringLiteral("wagemain.exe"));
    show(context.progress, 6, 7, QStringLiteral("正在退出升级程序，请稍后....."));
    if (context.endProcess)
        context.endProcess();
    return true;
}

} // namespace updater
