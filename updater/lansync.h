#pragma once
// Update distribution through the database (SQL Server installations): the workstation that
// updates from the Internet registers the version in F_UpdateVer and stores its packages in
// F_UpdateFiles; every other workstation takes them from there at its start and records itself
// in F_UpdateUsers.
#include <QString>
#include <QStringList>

#include <functional>

class Tprogress;
namespace wage { class Connection; }

namespace updater {

// Registers `version` and returns its F_id: 1 without storing for "ACCESS"; 0 after the
// message "服务器已更新。" when the version is registered already. The new row is not enabled
// yet; a row of the same version left unfinished by an earlier run is replaced.
int RegisterVersion(wage::Connection *connection, const QString &dialect, const QString &version);
// Makes the registered version the one that workstations install, once its packages are all
// stored (nothing for "ACCESS").
void EnableVersion(wage::Connection *connection, const QString &dialect, int versionId);

// Stores one package file under the version id (nothing for "ACCESS").
void StorePackageFile(wage::Connection *connection, const QString &dialect, int versionId, const QString &filePath,
                      const QString &description);

// What the synchronisation needs of the window that runs it.
struct SyncContext {
    wage::Connection *connection = nullptr;
    Tprogress *progress = nullptr;
    QStringList parameters;                                 // the updater's command line
    QString unfinishedVersion;                              // an update of this workstation left unfinished
    std::function<void(const QString &)> status;            // status panel 2
    std::function<bool(const QString &)> startProgram;      // starts a program of the program directory
    std::function<void()> endProcess;                       // ends the updater
};

// Installs the enabled version from the database when it is newer (by number) than the local
// host program, or when it is the version of an unfinished update of this installation; records the workstation, starts the host program and ends the process. False
// when there was nothing to install or a package could not be installed (logged; nothing of
// that version installed, the workstation not recorded).
bool ClientSync(const SyncContext &context);

// The columns of F_UpdateUsers that the document-management window shows.
void PrepareDocumentManagement(wage::Connection *connection);

// Adds a column to F_UpdateUsers when it is missing (failures ignored; a missing table raises).
void addUpdateUsersColumn(wage::Connection *connection, const QString &column, const QString &statement);

// "<kilobytes>Kb" of a file size.
QString PackageSizeText(qint64 bytes);

} // namespace updater
