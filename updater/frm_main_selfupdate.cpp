// Self-update of the updater at start-up, and the clean-up when the main window goes.
#include "frm_main.h"

#include "selfupdate.h"
#include "updaterfiles.h"
#include "zipextract.h"

#include "core/appdir.h"
#include "core/errlog.h"
#include "core/strutil.h"
#include "net/alert.h"
#include "net/fileversion.h"
#include "progress/tprogress.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

using updater::logLine;

// Waits while the window stays responsive.
void pause(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}

} // namespace

bool TFrm_Main::SelfUpdate()
{
    const QString ownVersion = GetBuildVersion(QString());
    QString newVersion;
    try {
        newVersion = ReadManifestValue(QStringLiteral("UpdateVer"));
    } catch (...) {
        return false;
    }
    // A version that is not four numbers (a damaged manifest, an unversioned program) means no
    // self-update; it must not keep the updater from starting.
    try {
        if (!IsNewerVersion(newVersion, ownVersion))
            return false;
    } catch (...) {
        logLine(QStringLiteral("升级程序版本无法比较：") + newVersion + QStringLiteral(" / ") + ownVersion);
        return false;
    }

    AlertMess(QString(), QStringLiteral("正在更新升级程序....."));
    QCoreApplication::processEvents();
    progress1->showpress(1, 5, QStringLiteral("正在更新升级程序....."));
    setStatusText(3, QStringLiteral("升级程序：") + GetBuildVersion(QStringLiteral("Update.exe")) + QStringLiteral("-->>")
                         + newVersion);
    m_currentFile = QStringLiteral("Update.zip");
    const QString archive =
        DownloadFile(BuildDownloadUrl(m_currentFile, ReadManifestValue(QStringLiteral("UpPath"))), m_currentFile);
    QString refused;
    if (!packageHashMatches(QStringLiteral("Update"), archive, &refused)) {
        QFile::remove(archive);
        logLine(QStringLiteral("升级程序更新失败，继续使用当前升级程序：") + refused);
        progress1->showpress(4, 5, QString());
        return false;
    }
    progress1->showpress(2, 5, QStringLiteral("升级程序下载完成....."));
    AlertMess(QString(), QStringLiteral("升级程序更新完成。....."));
    AlertMess(QString(), QStringLiteral(" 3秒后重新启动程序....."));
    setStatusText(2, QStringLiteral("正在进行文件更新,请稍候..."));
    // The new updater must be there and satisfy "UpdateVer": an older one would find the same
    // offer at its start and replace itself again and again.
    QString error;
    const bool installed = updater::ExtractPackage(archive, QDir::currentPath(), &error,
                                                   [&newVersion](const QString &staging, QString *reason) {
        const QString file = wage::resolveIn(staging, QStringLiteral("NewUpdate.exe"));
        if (!QFileInfo::exists(file)) {
            *reason = QStringLiteral("升级包中没有NewUpdate.exe");
            return false;
        }
        const QString version = wage::readFileVersion(file);
        bool tooOld = true;
        try {
            tooOld = version.isEmpty() || IsNewerVersion(newVersion, version);
        } catch (...) {
        }
        if (tooOld) {
            *reason = QStringLiteral("NewUpdate.exe 的版本（%1）低于升级配置文件的版本（%2）")
                          .arg(version.isEmpty() ? QStringLiteral("无") : version, newVersion);
            return false;
        }
        return true;
    });
    QFile::remove(archive);
    // The running updater stays when the package does not bring a fitting one.
    if (!installed) {
        logLine(QStringLiteral("升级程序更新失败，继续使用当前升级程序：") + error);
        progress1->showpress(4, 5, QString());
        setStatusText(2, QString());
        return false;
    }
    progress1->showpress(3, 5, QStringLiteral("升级程序已更新，3秒后将重新启动.....\n重新登陆完成升级"));
    AlertMess(QString(), QStringLiteral("升级程序更新,三秒后重启，请重新登陆完成更新....."));
    pause(3000);
    if (!updater::ReplaceUpdater(m_parameters.size() >= 2, m_parameters.mid(0, 1))) {
        logLine(QStringLiteral("升级程序更新失败，无法启动替换脚本"));
        return false;
    }
    endProcess(1);
    return true;
}

void TFrm_Main::FormDestroy()
{
    if (QFileInfo::exists(wage::resolveIn(QDir::currentPath(), QStringLiteral("update.exe.zip")))) {
        if (updater::RenameUpdaterOnExit())
            QCoreApplication::quit();
    }
    const QString netupdate = wage::resolveIn(QDir::currentPath(), QStringLiteral("netupdate.ini"));
    if (QFileInfo::exists(netupdate))
        QFile::remove(netupdate);
}
