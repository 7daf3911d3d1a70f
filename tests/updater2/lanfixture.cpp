#include "lanfixture.h"

#include "core/textcodec.h"
#include "testdir.h"
#include "updaterfixture.h"
#include "ziptools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>


namespace lantest {

QByteArray hostProgramWithVersion(const QString &version)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("wagemain.exe"));
    QFile::copy(wagetest::builtAppDir() + QStringLiteral("/wagemain.exe"), path);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    setFileVersion(path, version);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray zipOf(const QList<QPair<QString, QByteArray>> &entries)
{
    QList<updatertest::ZipEntry> list;
    for (const auto &entry : entries)
        list.append({entry.first.toUtf8(), entry.second, true, 0});
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("p.zip"));
    updatertest::makeZip(path, list);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Workstation::write(const QString &name, const QByteArray &bytes) const
{
    const QString path = file(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

void Workstation::install(const QString &dbPath, const QString &hostVersion, const QString &ipEchoUrl)
{
    QString ini = QStringLiteral("[main Position]\r\nconnectionstr=MSSQL#file:") + dbPath
        + QStringLiteral("\r\nVersion=4.40\r\n[vendor]\r\n");
    for (int n = 1; n <= 4; ++n)
        ini += QStringLiteral("IPEchoURL%1=").arg(n) + ipEchoUrl + QStringLiteral("\r\n");
    write(QStringLiteral("Usertem.ini"), wage::toGbk(ini));
    write(QStringLiteral("wagemain.exe"), hostProgramWithVersion(hostVersion));
    QFile::setPermissions(file(QStringLiteral("wagemain.exe")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void createUpdateTables(wage::Connection *db)
{
    db->execute("Create table F_UpdateVer (F_id int IDENTITY(1,1),F_App_ver varchar(20),F_Update datetime,F_Content varchar(100))");
    db->execute("Create table F_UpdateFiles (F_id int,F_name varchar(120),F_size varchar(20),F_Content varchar(100),F_File image)");
    db->execute("Create table F_UpdateUsers (U_id int IDENTITY(1,1),U_name varchar(120),U_state varchar(20),U_date datetime,U_IFRun bit)");
    db->execute("alter table F_UpdateVer add F_Enabled bit");
    db->execute("alter table F_UpdateUsers add U_OldVer nvarchar(20)");
    db->execute("alter table F_UpdateUsers add U_PubIP nvarchar(20)");
    db->execute("create table F_OperationLog (op_time varchar(30),operation varchar(100),mod_name varchar(100),"
                "user_name varchar(50),InternetIp varchar(20),IntranetIp varchar(20),ComputerName varchar(50))");
    db->execute("create table f_moduinfo (mod_name varchar(50),mod_table varchar(50),mod_parent varchar(50),mod_show varchar(4),opensql varchar(255))");
}

} // namespace lantest
