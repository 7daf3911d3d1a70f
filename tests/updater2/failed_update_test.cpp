// Updates that fail are reported as failures and leave nothing half-installed; an unfinished
// update is completed by the next run; unattended runs end with a status.
#include "lanfixture.h"
#include "updaterfixture.h"

#include "core/appdir.h"
#include "core/inifile.h"
#include "core/textcodec.h"
#include "db/dbroutines.h"
#include "net/fileversion.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace {

QMap<QString, QString> manifest(int upcount, int dataCount = 0, const QString &ver = "4.40.2.11")
{
    QMap<QString, QString> m{{"MessStr", "更新说明;修正"}, {"Ver", ver},          {"UpdateVer", "4.40.2.10"},
                             {"Upcount", QString::number(upcount)}, {"UpDataCount", QString::number(dataCount)},
                             {"UpPath", "files"}, {"ExpCount", "1"},  {"ExpType1", "拓展"},
                             {"ExpName1", "订单监控"}, {"ExpVer1", "1.0"}, {"ExpNote1", "说明"}};
    for (int i = 1; i <= upcount; ++i) {
        const QString n = QString::number(i);
        m["UpType" + n] = "基础";
        m["UpName" + n] = "模块" + n;
        m["UpTime" + n] = "2026-12-01";
        m["UpNote" + n] = "说明" + n;
        m["UpFile" + n] = "pkg" + n + ".zip";
    }
    for (int i = 1; i <= dataCount; ++i)
        m["UpDataFile" + QString::number(i)] = "data" + QString::number(i) + ".zip";
    return m;
}

// Runs `act` once, from the window's event processing, when `ready` holds.
class WhenReady : public QObject {
public:
    WhenReady(std::function<bool()> ready, std::function<void()> act) : m_ready(std::move(ready)), m_act(std::move(act))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_done || !m_ready())
                return;
            m_done = true;
            m_act();
        });
        m_timer.start();
    }
    bool done() const { return m_done; }

private:
    std::function<bool()> m_ready;
    std::function<void()> m_act;
    QTimer m_timer;
    bool m_done = false;
};

class FailedUpdate : public UpdaterFixture {
protected:
    void SetUp() override
    {
        makeDatabase();
        installHost("4.40.2.10");
        QDir::setCurrent(dir.path());
    }
    void TearDown() override { QDir::setCurrent(m_previousDir); }
    std::unique_ptr<TFrm_Main> runAuto(bool unattended = false)
    {
        auto w = makeWindow({"AUTO"});
        w->setUnattended(unattended);
        w->FormShow();
        return w;
    }
    QStringList programDirEntries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QString unfinishedKey() const
    {
        return inistring("update", "Unfinished", QString(), "USERTEM.INI", "read");
    }

private:
    QString m_previousDir = QDir::currentPath();
};

} // namespace

TEST_F(FailedUpdate, APackageThatCannotBeInstalledIsAFailedUpdate)
{
    struct Case {
        const char *label;
        int dataCount;
        std::function<void()> serve;
        QString reason;
    } cases[] = {
        {"a web page served as the package", 0,
         [this] { server.add("/files/pkg1.zip", "<html><body>404 页面不存在</body></html>", "text/html"); },
         QStringLiteral("无法打开")},
        {"an entry outside the program folder", 0,
         [this] { servePackage("/files/pkg1.zip", {{"wagemain.exe", "NEWHOST"}, {"../evil.txt", "evil"}}); },
         QStringLiteral("拒绝")},
        {"a corrupt data package", 1,
         [this] {
             server.add("/files/data1.zip", QByteArray("PK\x03\x04 broken archive", 21));
             servePackage("/files/pkg1.zip", {{"wagemain.exe", "NEWHOST"}});
         },
         QStringLiteral("data1.zip")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        prompt.shown.clear();
        started.clear();
        QFile::remove(dir.file("Error.Log"));
        QFile::remove(dir.file("Usertem.ini"));
        writeIni();
        serveManifest(manifest(1, c.dataCount));
        c.serve();
        auto w = runAuto();

        ASSERT_EQ(prompt.shown.size(), 1) << prompt.texts().join('|').toStdString();
        EXPECT_EQ(prompt.shown[0].kind, wage::PromptKind::Error);
        EXPECT_TRUE(prompt.shown[0].text.startsWith(QStringLiteral("升级过程中出现了错误了,错误信息如下：\n\n")));
        EXPECT_TRUE(prompt.shown[0].text.contains(c.reason)) << prompt.shown[0].text.toStdString();
        EXPECT_TRUE(errorLog().contains(QStringLiteral("升级过程中出现了错误了"))) << errorLog().toStdString();
        EXPECT_NE(w->Panel3->text(), QStringLiteral("升级完成！"));
        EXPECT_NE(w->ListView1->topLevelItem(0)->data(0, Qt::UserRole).toInt(), 2) << "row marked done";
        EXPECT_TRUE(started.isEmpty()) << "host started as if updated";
        EXPECT_EQ(w->outcome(), TFrm_Main::Outcome::Failed);
        EXPECT_NE(dir.read("wagemain.exe"), "NEWHOST");
        EXPECT_FALSE(QFileInfo::exists(dir.file("evil.txt")));
        EXPECT_FALSE(QFileInfo::exists(dir.path() + "/../evil.txt"));
        for (const QString &name : programDirEntries())
            EXPECT_FALSE(name.endsWith(".zip") || name.startsWith(".wage")) << name.toStdString();
    }
}

TEST_F(FailedUpdate, ABrokenPackageIsNeverStoredForTheOtherWorkstations)
{
    const QString db = dir.file("wage.db");
    makeDatabase(db, true);
    {
        wage::Connection c;
        c.openDescription("MSSQL#file:" + db, QString());
        lantest::createUpdateTables(&c);
    }
    writeIni({{"connectionstr", "MSSQL#file:" + db}});
    installLinkcfg();
    serveManifest(manifest(2), "SqlServer.xml");
    servePackage("/files/pkg1.zip", {{"wagemain.exe", lantest::hostProgramWithVersion("4.40.2.11")}});
    server.add("/files/pkg2.zip", "<html>not a package</html>", "text/html");
    auto w = makeWindow({});
    w->FormShow();
    w->Timer1->stop();
    w->btn_UpdateClick();

    EXPECT_EQ(w->outcome(), TFrm_Main::Outcome::Failed);
    EXPECT_EQ(GetSqli("select count(*) from F_UpdateFiles where F_name='pkg2.zip'", w->connection()), 0);
    // The version is not offered to the other workstations: its packages are not all stored.
    EXPECT_EQ(GetSqli("select count(*) from F_UpdateVer where F_Enabled=1", w->connection()), 0);
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(FailedUpdate, ACutSecondPackageIsInstalledByTheNextRun)
{
    serveManifest(manifest(2));
    servePackage("/files/pkg1.zip", {{"wagemain.exe", lantest::hostProgramWithVersion("4.40.2.11")}});
    QByteArray plugin(300000, Qt::Uninitialized);
    for (int i = 0; i < plugin.size(); ++i)
        plugin[i] = char((i * 7919 + i / 13) % 251);
    servePackage("/files/pkg2.zip", {{"Plugins/ordmon.dll", plugin}});
    server.setRule("/files/pkg2.zip", {wagetest::HttpServer::Cut, 200, 1000});
    {
        auto w = runAuto();
        EXPECT_EQ(w->outcome(), TFrm_Main::Outcome::Failed);
    }
    EXPECT_EQ(GetBuildVersion("wagemain.exe"), QStringLiteral("4.40.2.11"));
    EXPECT_FALSE(QFileInfo::exists(dir.file("Plugins/ordmon.dll")));
    EXPECT_EQ(unfinishedKey(), QStringLiteral("4.40.2.11"));

    // The host is the new one already; the next run still installs what is missing.
    server.setRule("/files/pkg2.zip", {});
    prompt.shown.clear();
    auto again = runAuto();
    EXPECT_EQ(again->outcome(), TFrm_Main::Outcome::Updated) << prompt.texts().join('|').toStdString();
    EXPECT_EQ(again->Panel3->text(), QStringLiteral("升级完成！"));
    EXPECT_EQ(dir.read("Plugins/ordmon.dll").size(), 300000);
    EXPECT_TRUE(unfinishedKey().isEmpty());

    // Complete now: the third run finds nothing to do.
    auto third = runAuto();
    EXPECT_EQ(third->outcome(), TFrm_Main::Outcome::UpToDate);
    EXPECT_EQ(third->Panel3->text(), QStringLiteral("( 4.40.2.11 )已是最新版本"));
}

TEST_F(FailedUpdate, ConfirmedInterruptBeforeTheSecondPackageInstallsNothingMore)
{
    serveManifest(manifest(2));
    servePackage("/files/pkg1.zip", {{"wagemain.exe", "NEWHOST"}});
    servePackage("/files/pkg2.zip", {{"second.txt", "second"}});
    server.setRule("/files/pkg2.zip", {wagetest::HttpServer::Stall, 200, 0});
    prompt.answers = {true};
    auto w = makeWindow({"AUTO"});
    // Between the packages the button reads "中断升级" again, never "退出".
    QStringList captionsAfterFirst;
    WhenReady press([&] { return dir.read("wagemain.exe") == "NEWHOST"; },
                    [&] {
                        captionsAfterFirst << w->Btn_Cancel->text();
                        w->Btn_Cancel->click();
                    });
    w->FormShow();
    ASSERT_TRUE(press.done());
    EXPECT_EQ(captionsAfterFirst, QStringList{QStringLiteral("中断升级")});
    ASSERT_EQ(prompt.shown.size(), 2) << prompt.texts().join('|').toStdString();
    EXPECT_EQ(prompt.shown[0].text, QStringLiteral("文件还没有下载完毕，确认要中断吗？"));
    EXPECT_TRUE(prompt.shown[1].text.endsWith(QStringLiteral("已被用户中断")));
    EXPECT_FALSE(QFileInfo::exists(dir.file("second.txt")));
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(w->outcome(), TFrm_Main::Outcome::Failed);
}

TEST_F(FailedUpdate, TheExtensionPageDuringADownloadLeavesTheButtonItsRole)
{
    serveManifest(manifest(1));
    servePackage("/files/pkg1.zip", {{"big.bin", QByteArray(400000, 'b')}});
    server.setRule("/files/pkg1.zip", {wagetest::HttpServer::Trickle, 200, 20000});
    server.add("/images/weixin.jpg", "not a picture", "image/jpeg");
    QString captionAfterSwitch;
    auto w = makeWindow({"AUTO"});
    WhenReady switchPage([&] { return w->Btn_Cancel->text() == QStringLiteral("暂停"); },
                         [&] {
                             w->PageControl1->setCurrentIndex(1);
                             captionAfterSwitch = w->Btn_Cancel->text();
                         });
    w->FormShow();
    ASSERT_TRUE(switchPage.done());
    EXPECT_EQ(captionAfterSwitch, QStringLiteral("暂停"));
    EXPECT_TRUE(server.requestedPaths().contains("/images/weixin.jpg"));
    EXPECT_EQ(w->outcome(), TFrm_Main::Outcome::Updated);
    EXPECT_EQ(started, QStringList{"wagemain.exe"}) << "started once, at the end";
}

TEST_F(FailedUpdate, UnattendedRunAgainstAStalledServerEndsWithAFailureStatus)
{
    serveManifest(manifest(1));
    servePackage("/files/pkg1.zip", {{"wagemain.exe", "NEWHOST"}});
    server.setRule("/files/pkg1.zip", {wagetest::HttpServer::StallMidBody, 200, 10});
    auto w = makeWindow({"AUTO"});
    w->setUnattended(true);
    w->IdHTTP1.options.readTimeoutMs = 1500;
    w->FormShow();
    EXPECT_TRUE(ended);
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(prompt.shown.isEmpty()) << "no box waits in an unattended run";
    EXPECT_TRUE(errorLog().contains(QStringLiteral("读取数据超时"))) << errorLog().toStdString();
    for (const QString &name : programDirEntries())
        EXPECT_FALSE(name.contains("pkg1")) << "partial download left: " << name.toStdString();
    EXPECT_NE(dir.read("wagemain.exe"), "NEWHOST");

    // Up to date: status 0 (a fresh configuration, without the unfinished update).
    ended = false;
    writeIni();
    serveManifest(manifest(1, 0, "4.40.2.10"));
    auto current = makeWindow({"AUTO"});
    current->setUnattended(true);
    current->FormShow();
    EXPECT_TRUE(ended);
    EXPECT_EQ(exitCode, 0);
}

TEST_F(FailedUpdate, AMissingDatabaseStaysMissingAndTheScriptWaitsForIt)
{
    QFile::remove(dir.file("f_data.mdb"));
    installLinkcfg();
    // A normal start: the connection fails with its message and the process ends.
    {
        auto w = makeWindow({});
        w->FormShow();
        EXPECT_TRUE(ended);
        EXPECT_EQ(exitCode, 1);
        EXPECT_TRUE(prompt.saw(QStringLiteral("手动运行update.exe，完成升级。\n普通操作员可自动同步更新。")));
        EXPECT_FALSE(QFileInfo::exists(dir.file("f_data.mdb")));
        // "datapath" naming a missing file, and no local database either.
        writeIni({{"datapath", dir.file("gone/wage.mdb")}});
        EXPECT_FALSE(w->ConnectLocalAccess());
        EXPECT_FALSE(QFileInfo::exists(dir.file("f_data.mdb")));
    }
    // An automatic update brings a database script: without a database it is kept.
    writeIni();
    serveManifest(manifest(0, 1));
    servePackage("/files/data1.zip", {{"Autoupdate.ini", "insert into userinfo (user_id, user_name) values (9, 'w')\r\n"}});
    prompt.shown.clear();
    auto w = runAuto();
    EXPECT_EQ(w->outcome(), TFrm_Main::Outcome::Failed);
    EXPECT_TRUE(QFileInfo::exists(dir.file("Autoupdate.ini")));
    EXPECT_FALSE(QFileInfo::exists(dir.file("f_data.mdb")));
    EXPECT_TRUE(errorLog().contains("Autoupdate.ini")) << errorLog().toStdString();
}

TEST_F(FailedUpdate, ASelfUpdatePackageWithAnOlderUpdaterKeepsTheRunningOne)
{
    auto m = manifest(0);
    m["UpdateVer"] = "99.0.0.0";
    m["UpPath"] = "";
    serveManifest(m);
    servePackage("/Update.zip", {{"NewUpdate.exe", lantest::hostProgramWithVersion("1.0.0.0")}});
    auto w = makeWindow({"AUTO"});
    EXPECT_FALSE(w->SelfUpdate());
    EXPECT_FALSE(ended);
    EXPECT_FALSE(QFileInfo::exists(dir.file("NewUpdate.exe")));
    EXPECT_FALSE(QFileInfo::exists(dir.file("$$a$$.sh")));
    EXPECT_TRUE(errorLog().contains(QStringLiteral("1.0.0.0"))) << errorLog().toStdString();
    EXPECT_EQ(server.requestedPaths().filter("/Update.zip").size(), 1) << "downloaded once, no loop";
}
