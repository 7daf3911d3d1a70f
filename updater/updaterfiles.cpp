#include "updaterfiles.h"

#include "core/appdir.h"
#include "core/errlog.h"
#include "core/inifile.h"
#include "core/strutil.h"

#include <QFileInfo>

namespace updater {
namespace {

const QString kIni = QStringLiteral("USERTEM.INI");
const QString kSection = QStringLiteral("update");
const QString kKey = QStringLiteral("Unfinished");

} // namespace

bool programFileExists(const QString &name)
{
    return QFileInfo::exists(wage::programFile(name));
}

void logLine(const QString &message)
{
    try {
        wage::WriteTimedLog(message);
    } catch (...) {
    }
}

QString unfinishedUpdate()
{
    return TrimText(inistring(kSection, kKey, QString(), kIni, QStringLiteral("read")));
}

void markUpdateUnfinished(const QString &version)
{
    inistring(kSection, kKey, version.isEmpty() ? QStringLiteral("?") : version, kIni, QStringLiteral("write"));
}

void clearUnfinishedUpdate()
{
    if (unfinishedUpdate().isEmpty())
        return;
    try {
        inistring(kSection, kKey, QString(), kIni, QStringLiteral("delete"));
    } catch (const std::exception &) {
        // Left behind, the key only makes the next run check the update once more.
        logLine(QStringLiteral("无法从 Usertem.ini 删除未完成升级的标记"));
    }
}

} // namespace updater
