#include "lanfixture.h"

#include "core/textcodec.h"
#include "testdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

namespace lantest {

QByteArray hostProgramWithVersion(const QString &version)
{
    QFile f(wagetest::builtAppDir() + QStringLiteral("/wagemain.exe"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = f.readAll();
    const int at = bytes.indexOf("WFVR");
    const QStringList parts = version.split(QLatin1Char('.'));
    for (int i = 0; i < 4 && at >= 0; ++i) {
        const quint32 v = parts.value(i).toUInt();
        for (int b = 0; b < 4; ++b)
            bytes[at + 4 + i * 4 + b] = char((v >> (8 * b)) & 0xff);
    }
    return bytes;
}

QByteArray zipOf(const QList<QPair<QString, QByteArray>> &entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_source_keep(buffer);
    for (const auto &entry : entries) {
        const QByteArray copy = entry.second;
        void *data = malloc(size_t(copy.size()) + 1);
        memcpy(data, copy.constData(), size_t(copy.size()));
        zip_source_t *source = zip_source_buffer(archive, data, zip_uint64_t(copy.size()), 1);
        zip_file_add(archive, entry.first.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    }
    zip_close(archive);
    QByteArray out;
    if (zip_source_open(buffer) == 0) {
        char chunk[65536];
        zip_int64_t n;
        while ((n = zip_source_read(buffer, chunk, sizeof chunk)) > 0)
            out.append(chunk, int(n));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return out;
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

bool engineRunsTSql()
{
    static int known = -1;
    if (known < 0) {
        QTemporaryDir dir;
        wage::Connection db;
        try {
            db.openDescription(QStringLiteral("MSSQL#file:") + dir.filePath(QStringLiteral("probe.db")), QString());
            db.execute(QStringLiteral("create table t (id int IDENTITY(1,1), v varchar(10))"));
            db.execute(QStringLiteral("insert into t (v) values ('a')"));
            const auto r = db.query(QStringLiteral("select top 1 * from t"));
            known = r.rows.size() == 1 && r.rows[0][0].toInt() == 1 ? 1 : 0;
        } catch (...) {
            known = 0;
        }
    }
    return known == 1;
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
