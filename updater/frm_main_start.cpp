// Start-up of the main window and the two ways of connecting to the wage database.
#include "frm_main.h"

#include "dbstructure.h"
#include "linkcfg_api.h"
#include "processes.h"
#include "textroutines.h"
#include "updaterfiles.h"
#include "zipextract.h"

#include "core/appdir.h"
#include "core/config.h"
#include "core/errlog.h"
#include "core/inifile.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "core/textcodec.h"
#include "db/connection.h"
#include "db/dbroutines.h"
#include "net/alert.h"
#include "net/fileversion.h"
#include "net/netinfo.h"
#include "progress/tprogress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QPushButton>
#include <QTimer>

#include <sys/vfs.h>

namespace {

const QString kIni = QStringLiteral("USERTEM.INI");
const QString kMain = QStringLiteral("main Position");

QString readMain(const QString &key, const QString &fallback = QString())
{
    return inistring(kMain, key, fallback, kIni, QStringLiteral("read"));
}

// A program directory on another machine: a share path, or a network file system.
bool runsFromNetworkShare()
{
    const QString dir = wage::programDir();
    if (dir.contains(QLatin1String("\\\\")) || dir.startsWith(QLatin1String("//")))
        return true;
    struct statfs fs;
    if (::statfs(QFile::encodeName(dir).constData(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:       // NFS
    case 0x517BUL:       // SMB
    case 0xFF534D42UL:   // CIFS
    case 0xFE534D42UL:   // SMB2
        return true;
    default:
        return false;
    }
}

QString itemAt(const QStringList &list, int index)
{
    if (index < 0 || index >= list.size())
        throw WageError(QStringLiteral("列表索引越界 (%1)").arg(index));
    return list.at(index);
}

} // namespace

using updater::programFileExists;

void TFrm_Main::FormShow()
{
    guarded([this] { runStartSequence(); });
    // Unattended, a start that does not go on to the update lists has nothing left to do.
    if (m_unattended && !Timer1->isActive())
        endUnattendedRun();
}

void TFrm_Main::runStartSequence()
{
    // 1. A running tool would hold files open.
    killTask(QStringLiteral("tools.exe"), true);
    if (programFileExists(QStringLiteral("tools.exe")))
        QFile::remove(wage::programFile(QStringLiteral("tools.exe")));

    // 2.
    SelfUpdate();

    // 3.
    m_dialect = GetConType();
    const bool mssql = m_dialect == QLatin1String("MSSQL");
    RadioGroup1->setEnabled(mssql);
    if (!mssql)
        RadioGroup1->setItemIndex(1);

    if (!m_parameters.isEmpty()) {
        // 5. Unattended update on an Access database.
        if (parameter(0).toUpper() == QLatin1String("AUTO") && m_dialect == QLatin1String("ACCESS")) {
            Timer1->stop();
            progress1->showpress(1, 3, QStringLiteral("正在读取资料，稍后...."));
            FillUpdateLists();
            ConnectLocalAccess();
            guarded([this] { runUpdateAction(); });
            btn_Update->setEnabled(false);
            return;
        }
        // 6. Started by the host on SQL Server.
        if (ConnectDatabase() && m_dialect == QLatin1String("MSSQL")) {
            Timer1->stop();
            VisitNoticePage(QStringLiteral("Ver") + readMain(QStringLiteral("Version"), QStringLiteral("4.40")));
            ClientSync();
            if (programFileExists(QStringLiteral("APack.zip")))
                installOfflinePackage(3, QStringLiteral("正在更新离线升级包，稍后...."));
        }
    }

    // 7.
    setStatusText(3, QStringLiteral("升级程序：") + GetBuildVersion(QStringLiteral("Update.exe")));
    setStatusText(0, QStringLiteral("本地版本：") + GetBuildVersion(QStringLiteral("wagemain.exe")));

    // 8.
    if (!ConnectDatabase()) {
        wage::prompt().message(QStringLiteral("手动运行update.exe，完成升级。\n普通操作员可自动同步更新。"));
        endProcess(1);
    }

    // 9.
    if (!programFileExists(QStringLiteral("Linkcfg.dll"))) {
        wage::prompt().message(QStringLiteral("无法获取更新权限，无法获取数据库版本。\n请将此更新程序放到软件目录下。"));
        setBanner(QStringLiteral("无法获取数据库版本信息，请将此更新程序放到软件目录下。"));
        return;
    }

    // 10. The user, confirmed by the connection component.
    QLibrary linkcfg(wage::programFile(QStringLiteral("Linkcfg.dll")));
    if (linkcfg.load()) {
        struct Unload {
            QLibrary &lib;
            ~Unload() { lib.unload(); }
        } unload{linkcfg};
        const QString name = parameter(0);
        m_userName.clear();
        if (GetSqli(QStringLiteral("select * from userinfo where user_name='") + wage::sqlQuote(name)
                        + QLatin1Char('\''),
                    ADOConnection1)
            > 0)
            m_userName = TrimText(name);
        setWindowTitle(m_userName);
        if (m_userName.isEmpty())
            m_userName = QStringLiteral("系统管理员");
        auto passForm = reinterpret_cast<LinkcfgGetPassForm>(linkcfg.resolve(LINKCFG_GET_PASS_FORM));
        if (!passForm)
            throw WageError(linkcfg.errorString());
        progress1->showpress(2, 2, QStringLiteral("正在读取数据……"));
        const QByteArray description = wage::toGbk(readMain(QStringLiteral("connectionstr"), QStringLiteral("ACCESS")));
        const QByteArray user = wage::toGbk(m_userName);
        if (passForm(description.constData(), ADOConnection1, 1, user.constData(), "USERTEM.INI"))
            updater::RunAutoUpdateScript(ADOConnection1, progress1);
        else
            close();
    }

    // 11.
    Timer1->start();

    // 12.
    if (!programFileExists(QStringLiteral("wagemain.exe"))) {
        wage::prompt().message(
            QStringLiteral("请将此更新程序拷贝到Quorvin软件程序目录下执行，\n非Quorvin软件程序目录升级程序不能正常运行\n"
                           "Quorvin软件一般安装在D：盘下。 如不能解决可联系我们或代理商。\n技术支持微信：")
            + wage::VendorConfig::supportContact() + QStringLiteral("。\n加好友备注公司名称。"));
        close();
        return;
    }

    // 13.
    updater::CheckDatabaseStructure(ADOConnection1, m_dialect, progress1);
    if (programFileExists(QStringLiteral("APack.zip")))
        installOfflinePackage(2, QStringLiteral("正在更新，稍后...."));
}

void TFrm_Main::installOfflinePackage(int total, const QString &message)
{
    progress1->showpress(1, total, message);
    installPackage(wage::programFile(QStringLiteral("APack.zip")));
    runAutoUpdateScript();
    if (total == 3)
        progress1->showpress(2, 3, message);
    m_outcome = Outcome::Updated;
    startProgram(QStringLiteral("Wagemain.exe"));
    endProcess(0);
}

bool TFrm_Main::ConnectDatabase()
{
    QString description = readMain(QStringLiteral("connectionstr"), QStringLiteral("ACCESS"));
    if (runsFromNetworkShare() && GetConType() == QLatin1String("ACCESS"))
        return false;
    QStringList parts = updater::SplitText(QLatin1Char('#'), description, 0);
    const QString aid = readMain(QStringLiteral("AID"));
    if (aid.isEmpty()) {
        progress1->showpress(0, 5, QStringLiteral("程序启动，正在连接数据……"));
    } else {
        progress1->showpress(0, 5, QStringLiteral("正在读取(远程)数据……\n获取资源数据"));
        const QString document = QStringLiteral("custip\\") + aid + QStringLiteral(".xml");
        const QStringList params = updater::SplitText(
            QLatin1Char(','), updater::HexToText(GetXmlvalue(QStringLiteral("WebPara"), document)), 0);
        QString port = readMain(QStringLiteral("NetPort"));
        if (port.isEmpty())
            port = readMain(QStringLiteral("DataPort"));
        const QString host = updater::HostOfUrl(GetXmlvalue(QStringLiteral("WebIP"), document));
        itemAt(parts, 1);
        parts[1] = host + QLatin1Char(',') + (port.isEmpty() ? itemAt(params, 1) : port);
        const QString keyHost = getsub(parts.at(1), QStringLiteral(","), QStringLiteral("left"));
        inistring(kMain, QStringLiteral("KeyIP"), keyHost, kIni, QStringLiteral("write"));
        progress1->showpress(2, 5, QStringLiteral("程序启动，连接(远程)数据……\n") + keyHost);
        description = parts.join(QLatin1Char('#'));
    }
    bool result = false;
    if (programFileExists(QStringLiteral("Linkcfg.dll"))) {
        try {
            result = linkcfgConnectTest(description);
        } catch (...) {
            result = false;
        }
    } else {
        AlertMess(wage::systemCaption(), QStringLiteral("没发现配置程序"));
    }
    try {
        AlertConn(ADOConnection1);
    } catch (...) {
    }
    return result;
}

bool TFrm_Main::linkcfgConnectTest(const QString &description)
{
    QLibrary linkcfg(wage::programFile(QStringLiteral("Linkcfg.dll")));
    if (!linkcfg.load())
        return false;
    bool result = false;
    if (auto connectTest = reinterpret_cast<LinkcfgConnectTest>(linkcfg.resolve(LINKCFG_CONNECT_TEST))) {
        const QByteArray text = wage::toGbk(description);
        result = connectTest(text.constData(), ADOConnection1);
    }
    linkcfg.unload();
    return result;
}

bool TFrm_Main::ConnectLocalAccess()
{
    const QString dataPath = TrimText(readMain(QStringLiteral("datapath")));
    QString path;
    if (!dataPath.isEmpty() && QFileInfo::exists(dataPath)) {
        path = dataPath;
    } else if (!dataPath.isEmpty()) {
        wage::prompt().message(QStringLiteral("提示,在指定路径没有找到数据文件,只能启用本地数据。"));
        path = wage::programFile(QString::fromLatin1(wage::kDefaultAccessFile));
        inistring(kMain, QStringLiteral("datapath"), QString(), kIni, QStringLiteral("delete"));
        // Opening never creates a database: an empty new file would pass for the installation's.
        if (!QFileInfo::exists(path))
            return false;
    } else if (programFileExists(QString::fromLatin1(wage::kDefaultAccessFile))) {
        path = wage::programFile(QString::fromLatin1(wage::kDefaultAccessFile));
    } else {
        return false;
    }
    ADOConnection1->openFile(path, wage::Dialect::Access);
    try {
        AlertConn(ADOConnection1);
    } catch (...) {
    }
    return true;
}
