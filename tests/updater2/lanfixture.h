#pragma once
// Two program directories of one installation sharing one database in the T-SQL dialect, the
// update tables as the structure checks create them, and versioned host programs.
#include "db/connection.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace lantest {

// A copy of the built host stand-in carrying `version` as its file version.
QByteArray hostProgramWithVersion(const QString &version);
// A ZIP archive of (name, bytes) entries.
QByteArray zipOf(const QList<QPair<QString, QByteArray>> &entries);

struct Workstation {
    QTemporaryDir dir;
    // Usertem.ini with the shared database, the installed version text and the what-is-my-IP
    // pages (never beyond loopback).
    void install(const QString &dbPath, const QString &hostVersion, const QString &ipEchoUrl);
    QString path() const { return dir.path(); }
    QString file(const QString &name) const { return dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) const;
};


// Creates the update tables, the operation log and the module table on a fresh database.
void createUpdateTables(wage::Connection *db);

} // namespace lantest
