// The update action: backup, download, storing and extraction of the packages, and the exit
// button that interrupts a transfer or starts the host program.
#include "frm_main.h"

#include "dbstructure.h"
#include "manifest.h"
#include "lansync.h"
#include "processes.h"
#include "textroutines.h"
#include "updaterfiles.h"
#include "zipextract.h"

#include "core/appdir.h"
#include "core/config.h"
#include "core/errlog.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "core/textcodec.h"
#include "core/wageerror.h"
#include "net/signature.h"
#include "progress/tprogress.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeWidget>

#include <cstdio>
#include <limits>

namespace {

using updater::logLine;
using updater::programFileExists;

// A package is stored under its own name, never elsewhere.
QString localPackageName(const QString &fileName)
{
    QString name = fileName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(name).fileName();
}

qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

QString errorText(const std::exception &e)
{
    if (const auto *w = dynamic_cast<const WageError *>(&e))
        return w->message();
    return QString::fromLocal8Bit(e.what());
}

void printLine(const QString &text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

void TFrm_Main::btn_UpdateClick()
{
    guarded([this] { runUpdateAction(); });
}

void TFrm_Main::runUpdateAction()
{
    m_outcome = Outcome::Failed;
    m_stop = false;
    m_transferEnded = false;
    m_actionRunning = true;
    struct Running {
        bool &flag;
        ~Running() { flag = false; }
    } running{m_actionRunning};
    if (m_dialect.isEmpty())
        m_dialect = GetConType();
    // 1.
    VisitNoticePage(QStringLiteral("Ver") + installedVersionText());
    QCoreApplication::processEvents();
    // 2.
    setPanel3Drawn(true);
    PB_Cur->setVisible(true);
    btn_Update->setEnabled(false);
    // 3.
    killTask(QStringLiteral("wagemain.exe"), true);
    // 4.
    setBusyCursor(true);
    Btn_Cancel->setText(QStringLiteral("中断升级"));
    repaint();
    QCoreApplication::processEvents();
    // 5.
    if (m_dialect == QLatin1String("MSSQL")) {
        BitBtn2->setVisible(true);
        ClientSync();
    }
    // 6. and 7. Report definitions waiting to be imported.
    if (programFileExists(QStringLiteral("Report.zip")))
        installPackage(wage::programFile(QStringLiteral("Report.zip")));
    if (QFileInfo(wage::programFile(QStringLiteral("Report"))).isDir()) {
        for (const char *section : {"public", "private", "internal", "Other"})
            ImportReportSection(QLatin1String(section));
        QFile::remove(wage::programFile(QStringLiteral("Report\\Report.ini")));
        QDir().rmdir(wage::programFile(QStringLiteral("Report")));
    }
    // 8. Without a manifest there is nothing to do.
    try {
        ReadManifestValue(QStringLiteral("MessStr"));
    } catch (const updater::ManifestSignatureError &e) {
        // Logged where it was found; a manifest that is not the vendor's stops everything.
        if (!m_unattended)
            wage::prompt().error(e.message(), wage::systemCaption());
        return;
    } catch (const std::exception &e) {
        if (m_unattended) {
            logLine(QStringLiteral("获取升级配置文件失败，错误信息如下:") + errorText(e));
            printLine(QStringLiteral("获取升级配置文件失败：") + errorText(e));
        }
        return;
    }
    // 9.
    bool update = false;
    try {
        setStatusText(2, QStringLiteral("正在获取升级配置文件,请稍候......"));
        update = DecideUpdate();
    } catch (const std::exception &e) {
        const QString text = errorText(e);
        // The log first: a box may wait for a long time.
        logLine(QStringLiteral("获取升级配置文件失败，错误信息如下:") + text);
        if (m_unattended)
            printLine(QStringLiteral("获取升级配置文件失败：") + text);
        else
            wage::prompt().error(QStringLiteral("获取升级配置文件失败，请梢候重试\n\n") + text, wage::systemCaption());
        return;
    }
    if (!update) {
        m_outcome = Outcome::UpToDate;
        setStatusText(2, QString());
        setPanel3Drawn(false);
        setBusyCursor(false);
        Btn_Cancel->setText(QStringLiteral("退出"));
        return;
    }
    // 10.
    setStatusText(2, QStringLiteral("正在备份旧版本文件,请稍候......"));
    BackupBeforeUpdate();
    // Until the last package is in place the installation is between two versions: a later
    // run must offer the update again even when the host program is new already.
    try {
        updater::markUpdateUnfinished(m_newVersion);
    } catch (const std::exception &e) {
        reportDownloadFailure(errorText(e));
    }
    runPackages(ReadManifestValue(QStringLiteral("UpPath")));
    // Only a version whose packages are all stored is offered to the other workstations.
    if (m_versionId > 0)
        updater::EnableVersion(ADOConnection1, GetConType(), m_versionId);
    updater::clearUnfinishedUpdate();
    m_outcome = Outcome::Updated;
    // 13.
    setBanner(QStringLiteral("升级完成！"));
    setStatusText(2, QStringLiteral("恭喜，升级文件下载完毕，退出程序完成程序更新"));
    setBusyCursor(false);
    PB_Cur->setValue(0);
    // 14. The action is over: after a transfer the button is the exit button again.
    m_actionRunning = false;
    if (m_transferEnded)
        Btn_Cancel->setText(QStringLiteral("退出"));
    Btn_CancelClick();
    btn_Update->setEnabled(true);
    setPanel3Drawn(false);
}

void TFrm_Main::runPackages(const QString &serverDir)
{
    // 11. Data packages, then the database script they brought.
    const int dataPackages = manifestCount(QStringLiteral("UpDataCount"), true);
    for (int i = 1; i <= dataPackages; ++i) {
        const QString key = QStringLiteral("UpDataFile") + QString::number(i);
        m_currentFile = ReadManifestValue(key);
        const QString file = DownloadFile(BuildDownloadUrl(m_currentFile, serverDir), m_currentFile);
        QString refused;
        if (!packageHashMatches(key, file, &refused)) {
            QFile::remove(file);
            reportDownloadFailure(refused);
        }
        setStatusText(2, QStringLiteral("正在进行文件更新,请稍候..."));
        installPackage(file);
    }
    runAutoUpdateScript();
    // 12. Regular packages.
    const int packages = manifestCount(QStringLiteral("Upcount"));
    for (int i = 1; i <= packages; ++i) {
        const QString n = QString::number(i);
        ListView1->setFocus();
        if (QTreeWidgetItem *row = ListView1->topLevelItem(i - 1))
            ListView1->setCurrentItem(row);
        setListStateImage(i - 1, 1);
        m_currentFile = ReadManifestValue(QStringLiteral("UpFile") + n);
        const QString url = BuildDownloadUrl(m_currentFile, serverDir);
        setStatusText(2, QStringLiteral("正在下载文件,请稍候....."));
        const QString file = DownloadFile(url, m_currentFile);
        QString refused;
        if (!packageHashMatches(QStringLiteral("UpFile") + n, file, &refused)) {
            QFile::remove(file);
            reportDownloadFailure(refused);
        }
        // The package is unpacked and checked before it is stored: a broken one never reaches
        // the other workstations.
        const QString note = ReadManifestValue(QStringLiteral("UpNote") + n);
        const bool store = m_currentFile != QLatin1String("report.zip");
        installPackage(file, [&](const QString &, QString *error) {
            setStatusText(2, QStringLiteral("正在将文件存储到服务器,请稍候....."));
            if (store) {
                try {
                    StorePackageFile(m_versionId, file, note);
                } catch (const std::exception &e) {
                    *error = QStringLiteral("升级包 %1 无法存储到服务器：%2，未安装任何文件")
                                 .arg(QFileInfo(file).fileName(), errorText(e));
                    return false;
                }
            }
            setStatusText(2, QStringLiteral("正在进行文件更新,请稍候....."));
            return true;
        });
        setListStateImage(i - 1, 2);
    }
}

bool TFrm_Main::packageHashMatches(const QString &fileKey, const QString &path, QString *error)
{
    const QString name = QFileInfo(path).fileName();
    const QString expected = TrimText(ReadManifestValue(updater::HashKeyOf(fileKey))).toLower();
    if (expected.isEmpty()) {
        if (wage::VendorConfig::updateKey().isEmpty())
            return true;
        *error = QStringLiteral("升级包 %1 没有校验值（%2），已拒绝安装").arg(name, updater::HashKeyOf(fileKey));
        return false;
    }
    const QString actual = wage::sha256FileHex(path);
    if (actual != expected) {
        *error = QStringLiteral("升级包 %1 的校验值不符，文件已被改动或损坏，已拒绝安装").arg(name);
        return false;
    }
    return true;
}

void TFrm_Main::runAutoUpdateScript()
{
    QString error;
    if (!updater::RunAutoUpdateScript(ADOConnection1, progress1, &error))
        reportDownloadFailure(error);
}

void TFrm_Main::throwIfStopped()
{
    if (m_stop)
        reportDownloadFailure(QStringLiteral("已被用户中断"));
}

void TFrm_Main::installPackage(const QString &archive, const updater::BeforeInstall &beforeInstall)
{
    throwIfStopped();
    QString error;
    const bool installed = updater::ExtractPackage(archive, wage::programDir(), &error, beforeInstall);
    QFile::remove(archive);
    if (!installed)
        reportDownloadFailure(error);
}

void TFrm_Main::BackupBeforeUpdate()
{
    QStringList files{QStringLiteral("usertem.ini")};
    if (m_dialect == QLatin1String("ACCESS"))
        files << QString::fromLatin1(wage::kDefaultAccessFile);
    m_backupFolder = wage::programFile(QStringLiteral("升级备份")) + QLatin1Char('/')
        + updater::BackupFolderName(QDateTime::currentDateTime());
    setStatusText(2, QStringLiteral("备份文件存储于 ") + m_backupFolder);
    QDir().mkpath(m_backupFolder);
    for (const QString &name : files) {
        setStatusText(2, QStringLiteral("   备份文件 ") + name);
        const QString source = wage::programFile(name);
        const QString target = m_backupFolder + QLatin1Char('/') + QFileInfo(source).fileName();
        QFile::remove(target);
        QFile::copy(source, target);
    }
}

QString TFrm_Main::BuildDownloadUrl(const QString &fileName, const QString &serverDir)
{
    const QString base = wage::VendorConfig::baseUrl();
    const QString url = serverDir.isEmpty() ? base + fileName : base + serverDir + QLatin1Char('/') + fileName;
    if (RadioGroup2->itemIndex() != 1)
        return url;
    // The second server publishes a page whose paragraph link names the real address.
    wage::HttpClient client;
    client.options = IdHTTP1.options;
    client.options.readTimeoutMs = 30000;
    const wage::HttpResult page = client.get(url);
    if (!page.ok)
        reportDownloadFailure(page.error);
    Memo1->setPlainText(wage::decodeLocalText(page.body));
    return updater::Server2LinkFromPage(Memo1->toPlainText());
}

QString TFrm_Main::DownloadFile(const QString &url, const QString &fileName)
{
    const QString local = localPackageName(fileName);
    if (local.isEmpty())
        reportDownloadFailure(QStringLiteral("升级配置文件没有给出文件名（%1）").arg(url));
    throwIfStopped();
    // A transfer that is cut or stalls, or a process ended meanwhile, leaves nothing in the
    // program directory.
    if (!m_downloads || !m_downloads->isValid())
        m_downloads = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/wage-update-XXXXXX"));
    if (!m_downloads->isValid())
        reportDownloadFailure(QStringLiteral("无法建立临时目录：") + m_downloads->errorString());
    const QString path = m_downloads->filePath(local);
    m_abandonTransfer = false;
    wage::HttpClient::Events events;
    events.begin = [this](qint64 total) { IdHTTP1WorkBegin(total); };
    events.work = [this](qint64 done) { IdHTTP1Work(done); };
    events.end = [this] { IdHTTP1WorkEnd(); };
    m_transferRunning = true;
    const wage::HttpResult result = IdHTTP1.download(url, path, events);
    m_transferRunning = false;
    if (!result.ok || m_stop) {
        QFile::remove(path);
        reportDownloadFailure(m_abort || m_stop ? QStringLiteral("已被用户中断") : result.error);
    }
    if (m_abandonTransfer) {
        QFile::remove(path);
        throw ActionAbandoned{};
    }
    return path;
}

void TFrm_Main::reportDownloadFailure(const QString &text)
{
    m_outcome = Outcome::Failed;
    // The log first: a box may wait for a long time, and an unattended run shows none.
    logLine(QStringLiteral("升级过程中出现了错误了,错误信息如下：") + text);
    if (m_unattended)
        printLine(QStringLiteral("升级过程中出现了错误了,错误信息如下：") + text);
    else
        wage::prompt().error(QStringLiteral("升级过程中出现了错误了,错误信息如下：\n\n") + text, wage::systemCaption());
    throw ActionAbandoned{};
}

void TFrm_Main::IdHTTP1WorkBegin(qint64 expected)
{
    try {
        m_abort = false;
        Btn_Cancel->setText(QStringLiteral("暂停"));
        const qint64 maximum = expected > 0 ? expected : 0;
        // The bar counts in bytes, or in kilobytes for a package beyond its range.
        m_barScale = maximum > std::numeric_limits<int>::max() ? 1024 : 1;
        PB_Cur->setMaximum(static_cast<int>(maximum / m_barScale));
        m_sizeText = QStringLiteral("/") + QString::number(maximum / 1024) + QStringLiteral("KB");
        m_lastWorkUpdate = -1;
    } catch (...) {
        logLine(QStringLiteral("错误，出现在事件IdHTTP1WorkBegin中"));
    }
}
void TFrm_Main::IdHTTP1Work(qint64 done)
{
    try {
        if (m_abort || m_stop) {
            IdHTTP1.cancel();
            Btn_Cancel->setText(QStringLiteral("退出"));
        }
        // Redrawing for every received block would cost more than the transfer itself.
        const qint64 now = monotonicMs();
        const bool complete = PB_Cur->maximum() > 0 && done / m_barScale >= PB_Cur->maximum();
        if (m_lastWorkUpdate >= 0 && now - m_lastWorkUpdate < 40 && !complete)
            return;
        m_lastWorkUpdate = now;
        PB_Cur->setValue(static_cast<int>(qMin<qint64>(done / m_barScale, std::numeric_limits<int>::max())));
        const QString kb = QString::number(done / 1024);
        setStatusText(2, QStringLiteral("下载：") + m_currentFile + QStringLiteral("-->> ") + kb + QLatin1Char(' ') + m_sizeText);
        progress1->showpress(PB_Cur->value(), PB_Cur->maximum(),
                             QStringLiteral("下载：") + m_currentFile + QLatin1Char('\n') + QStringLiteral("          -->>")
                                 + kb + m_sizeText);
        QCoreApplication::processEvents();
    } catch (...) {
        logLine(QStringLiteral("错误，出现在事件IdHTTP1Work中"));
    }
}

void TFrm_Main::IdHTTP1WorkEnd()
{
    if (m_abort) {
        m_abandonTransfer = true;
        return;
    }
    PB_Cur->setValue(0);
    // Within the update action the button stays the interrupt button between transfers:
    // "退出" there would start the host program in the middle of the update.
    m_transferEnded = true;
    Btn_Cancel->setText(m_actionRunning ? QStringLiteral("中断升级") : QStringLiteral("退出"));
}

void TFrm_Main::Btn_CancelClick()
{
    if (Btn_Cancel->text() == QStringLiteral("退出")) {
        if (killTask(QStringLiteral("wagemain.exe"), false) == 0 && programFileExists(QStringLiteral("wagemain.exe")))
            startProgram(QStringLiteral("wagemain.exe"));
        close();
        return;
    }
    if (wage::prompt().question(QStringLiteral("文件还没有下载完毕，确认要中断吗？"), wage::systemCaption())) {
        m_abort = true;
        // Nothing more is fetched or installed in the running action.
        m_stop = m_actionRunning;
        // A server that has stopped sending brings no further block: stop the transfer now.
        IdHTTP1.cancel();
        close();
    }
}
