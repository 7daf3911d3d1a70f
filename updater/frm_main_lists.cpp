// The manifest, the three lists and the version decision.
#include "frm_main.h"

#include "manifest.h"
#include "textroutines.h"
#include "updaterfiles.h"

#include "core/appdir.h"
#include "core/config.h"
#include "core/inifile.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "core/wageerror.h"
#include "net/fileversion.h"
#include "net/signature.h"
#include "progress/tprogress.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

QString TFrm_Main::ReadManifestValue(const QString &key)
{
    if (m_dialect.isEmpty())
        m_dialect = GetConType();
    wage::HttpClient client;
    client.options.userAgent = IdHTTP1.options.userAgent;
    const QString name = updater::ManifestName(m_dialect);
    const wage::HttpResult answer = client.get(wage::VendorConfig::baseUrl() + name);
    if (!answer.ok)
        throw WageError(answer.error.isEmpty() ? QStringLiteral("无法读取升级配置文件") : answer.error);
    // With a vendor key, the exact bytes received must carry the vendor's signature before
    // anything of them is read.
    const QString vendorKey = wage::VendorConfig::updateKey();
    if (!vendorKey.isEmpty()) {
        const wage::HttpResult signature = client.get(wage::VendorConfig::baseUrl() + updater::SignatureName(name));
        QString reason;
        if (!signature.ok)
            reason = QStringLiteral("没有签名文件 %1（%2）").arg(updater::SignatureName(name), signature.error);
        else
            wage::verifyEd25519(vendorKey, answer.body, signature.body, &reason);
        if (!reason.isEmpty()) {
            const QString text = QStringLiteral("升级配置文件签名无效：") + reason;
            if (!m_signatureReported) {
                m_signatureReported = true;
                updater::logLine(text);
                if (m_unattended)
                    std::printf("%s\n", text.toUtf8().constData());
            }
            throw updater::ManifestSignatureError(text);
        }
    }
    return updater::ManifestValueOf(answer.body, key);
}

int TFrm_Main::manifestCount(const QString &key, bool emptyIsZero)
{
    const QString text = TrimText(ReadManifestValue(key));
    if (text.isEmpty() && emptyIsZero)
        return 0;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok)
        throw WageError(QStringLiteral("“%1”不是有效的整数（%2）").arg(text, key));
    return n;
}

void TFrm_Main::FillUpdateLists()
{
    const QString reading = QStringLiteral("正在读取升级信息,请稍后.....");
    progress1->showpress(1, 4, reading);

    ListView0->clear();
    const QStringList news = updater::SplitText(QLatin1Char(';'), ReadManifestValue(QStringLiteral("MessStr")), 1);
    ListView0->headerItem()->setText(1, news.value(0));
    for (int k = 1; k < news.size(); ++k)
        new QTreeWidgetItem(ListView0, {updater::NewsRowCaption(k), news.at(k)});

    progress1->showpress(2, 4, reading);
    ListView1->clear();
    const int packages = manifestCount(QStringLiteral("Upcount"));
    for (int i = 1; i <= packages; ++i) {
        const QString n = QString::number(i);
        auto *row = new QTreeWidgetItem(ListView1, {ReadManifestValue(QStringLiteral("UpType") + n),
                                                    ReadManifestValue(QStringLiteral("UpName") + n),
                                                    ReadManifestValue(QStringLiteral("UpTime") + n),
                                                    ReadManifestValue(QStringLiteral("UpNote") + n)});
        Q_UNUSED(row);
        setListStateImage(i - 1, 0);
    }

    progress1->showpress(3, 4, reading);
    ListView2->clear();
    const int extensions = manifestCount(QStringLiteral("ExpCount"));
    for (int i = 1; i <= extensions; ++i) {
        const QString n = QString::number(i);
        auto *row = new QTreeWidgetItem(ListView2, {ReadManifestValue(QStringLiteral("ExpType") + n),
                                                    ReadManifestValue(QStringLiteral("ExpName") + n),
                                                    ReadManifestValue(QStringLiteral("ExpVer") + n),
                                                    ReadManifestValue(QStringLiteral("ExpNote") + n)});
        row->setCheckState(0, Qt::Unchecked);
    }

    setBanner(QStringLiteral(" %1 ").arg(wage::VendorConfig::customerName()));
    setStatusText(1, QStringLiteral("官方服务器版本：") + ReadManifestValue(QStringLiteral("Ver")));
    if (updater::programFileExists(QStringLiteral("wagemain.exe"))) {
        setStatusText(3, QStringLiteral("升级程序：") + GetBuildVersion(QStringLiteral("Update.exe"))
                             + QStringLiteral("-->>") + ReadManifestValue(QStringLiteral("UpdateVer")));
        progress1->showpress(4, 4, QStringLiteral("读取升级信息....."));
    }
}

void TFrm_Main::setListStateImage(int row, int state)
{
    QTreeWidgetItem *item = ListView1->topLevelItem(row);
    if (!item)
        return;
    static const QStyle::StandardPixmap icons[] = {QStyle::SP_FileIcon, QStyle::SP_BrowserReload,
                                                   QStyle::SP_DialogApplyButton};
    item->setData(0, Qt::UserRole, state);
    item->setIcon(0, style()->standardIcon(icons[qBound(0, state, 2)]));
}

bool TFrm_Main::DecideUpdate()
{
    Timer2->stop();
    if (!updater::programFileExists(QStringLiteral("wagemain.exe")))
        return false;
    m_localVersion = GetBuildVersion(QStringLiteral("wagemain.exe"));
    m_newVersion = ReadManifestValue(QStringLiteral("Ver"));
    // An update whose packages were not all installed is offered again, although the host
    // program may be the new one already.
    if (IsNewerVersion(m_newVersion, m_localVersion) || !updater::unfinishedUpdate().isEmpty()) {
        setStatusText(2, QStringLiteral("从旧版本( %1 )升级到新版本( %2 )").arg(m_localVersion, m_newVersion));
        m_versionId = RegisterVersion(m_newVersion);
        return m_versionId > 0;
    }
    setBanner(QStringLiteral("( %1 )已是最新版本").arg(m_localVersion));
    setStatusText(2, QString());
    Btn_Cancel->setEnabled(true);
    Btn_Cancel->setText(QStringLiteral("退出"));
    setBusyCursor(false);
    return false;
}

QString TFrm_Main::installedVersionText() const
{
    return inistring(QStringLiteral("main Position"), QStringLiteral("Version"), QStringLiteral("4.40"),
                     QStringLiteral("USERTEM.INI"), QStringLiteral("read"));
}

void TFrm_Main::VisitNoticePage(const QString &installedVersion)
{
    if (m_dialect.isEmpty())
        m_dialect = GetConType();
    WebBrowser1->navigate(wage::VendorConfig::baseUrl() + QStringLiteral("Admess.html?")
                          + updater::NoticePageQuery(installedVersion, m_dialect));
}

void TFrm_Main::Timer1Timer()
{
    guarded([this] {
        Timer1->stop();
        QString installed = installedVersionText();
        if (!installed.isEmpty())
            installed.prepend(QStringLiteral("Ver"));
        try {
            FillUpdateLists();
        } catch (const WageError &e) {
            wage::prompt().message(e.message());
        } catch (const std::exception &e) {
            wage::prompt().message(QString::fromUtf8(e.what()));
        }
        if (!QFileInfo(wage::programFile(QStringLiteral("Debug"))).isDir())
            VisitNoticePage(installed);
        Timer2->stop();
        BitBtn1->setEnabled(true);
        setStatusText(2, QStringLiteral("欢迎使用Quorvin软件在线升级程序。"));
        PB_Cur->setValue(0);
        // Unattended nobody could press the button: the update runs by itself.
        if (!m_unattended && (m_parameters.isEmpty() || parameter(0) != QLatin1String("auto"))) {
            btn_Update->setEnabled(true);
        } else {
            guarded([this] { runUpdateAction(); });
            btn_Update->setEnabled(false);
        }
        setBanner(QStringLiteral(" %1 ").arg(wage::VendorConfig::customerName()));
    });
    endUnattendedRun();
}
