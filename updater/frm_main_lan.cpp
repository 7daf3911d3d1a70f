// Distribution of updates through the database: registering and storing on this workstation,
// taking a stored version over, and the document-management window.
#include "frm_main.h"

#include "lansync.h"
#include "updaterfiles.h"
#include "updatefile_form.h"

#include "core/config.h"

#include <QPushButton>
#include <QToolBar>

bool TFrm_Main::ClientSync()
{
    updater::SyncContext context;
    context.connection = ADOConnection1;
    context.progress = progress1;
    context.parameters = m_parameters;
    context.unfinishedVersion = updater::unfinishedUpdate();
    context.status = [this](const QString &text) { setStatusText(2, text); };
    context.startProgram = [this](const QString &fileName) { return startProgram(fileName); };
    context.endProcess = [this] {
        m_outcome = Outcome::Updated;
        endProcess(0);
    };
    return updater::ClientSync(context);
}

int TFrm_Main::RegisterVersion(const QString &version)
{
    return updater::RegisterVersion(ADOConnection1, GetConType(), version);
}

void TFrm_Main::StorePackageFile(int versionId, const QString &filePath, const QString &description)
{
    updater::StorePackageFile(ADOConnection1, GetConType(), versionId, filePath, description);
}

void TFrm_Main::BitBtn2Click()
{
    guarded([this] {
        if (GetConType() != QLatin1String("MSSQL")) {
            BitBtn2->setEnabled(false);
            return;
        }
        updater::PrepareDocumentManagement(ADOConnection1);
        TUpdateFile form(ADOConnection1, this);
        form.ToolBar1->setVisible(true);
        form.openQueries();
        showModal(&form);
    });
}
