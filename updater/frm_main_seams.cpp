// Calls into self-update, report import and LAN distribution. Each does what an installation
// without those steps needs; the steps themselves fill these in.
#include "frm_main.h"

#include "core/config.h"

// Self-update: the next step fills this in; until then the running updater is kept.
bool TFrm_Main::SelfUpdate() { return false; }

// LAN synchronisation from the database: the next step fills this in.
bool TFrm_Main::ClientSync() { return false; }

// Report import into f_sqlcase: the next step fills this in.
void TFrm_Main::ImportReportSection(const QString &section) { Q_UNUSED(section); }

// Version registration in F_UpdateVer: the next step fills this in (the Access dialect keeps 1).
int TFrm_Main::RegisterVersion(const QString &version)
{
    Q_UNUSED(version);
    return 1;
}

// Package storage in F_UpdateFiles: the next step fills this in.
void TFrm_Main::StorePackageFile(int versionId, const QString &filePath, const QString &description)
{
    Q_UNUSED(versionId);
    Q_UNUSED(filePath);
    Q_UNUSED(description);
}

// Pending replacement of the updater and removal of netupdate.ini: the next step fills this in.
void TFrm_Main::FormDestroy() {}
