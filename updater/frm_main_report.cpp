// Report packages: imported by the update action and by the hidden button "更新报表".
#include "frm_main.h"

#include "dbstructure.h"
#include "reportimport.h"
#include "zipextract.h"

#include "core/appdir.h"
#include "core/wageerror.h"
#include "net/alert.h"
#include "progress/tprogress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// In the update action a definition without a table is logged and left out; the rest of the
// package, and of the update, goes on.
void TFrm_Main::ImportReportSection(const QString &section)
{
    updater::ImportReportSection(ADOConnection1, section, updater::InvalidDefinition::Skip, progress1);
}

void TFrm_Main::Button1Click()
{
    guarded([this] {
        const QString archive = wage::programFile(QStringLiteral("Report.zip"));
        if (!QFileInfo::exists(archive))
            return;
        const QString message = QStringLiteral("正在更新报表，稍后....");
        progress1->showpress(1, 3, message);
        installPackage(archive);
        runAutoUpdateScript();
        progress1->showpress(2, 3, message);
        try {
            for (const QString &section : updater::ReportSections())
                updater::ImportReportSection(ADOConnection1, section, updater::InvalidDefinition::Fail, progress1);
        } catch (const WageError &e) {
            AlertMess(QString(), QStringLiteral("更新失败") + e.message());
            return;
        } catch (const std::exception &e) {
            AlertMess(QString(), QStringLiteral("更新失败") + QString::fromLocal8Bit(e.what()));
            return;
        }
        progress1->showpress(3, 3, message);
    });
}
