// The update action from end to end: backup, data and regular packages, the update script,
// interrupted and cut transfers, the second server.
#include "updaterfixture.h"

#include "core/textcodec.h"
#include "db/connection.h"
#include "db/dbroutines.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>
#include <QTreeWidget>

namespace {

QMap<QString, QString> manifest(int upcount, int dataCount)
{
    QMap<QString, QString> m{{"MessStr", "更新说明;修正计件工资汇总;新增订单监控"},
                             {"Ver", "4.40.2.11"},
                             {"UpdateVer", "4.40.2.10"},
                             {"Upcount", QString::number(upcount)},
                             {"UpDataCount", QString::number(dataCount)},
                             {"UpPath", "files"},
                             {"ExpCount", "0"}};
    for (int i = 1; i <= upcount; ++i) {
        const QString n = QString::number(i);
        m["UpType" + n] = "基础";
        m["UpName" + n] = "模块" + n;
        m["UpTime" + n] = "2026-12-0" + n;
        m["UpNote" + n] = "说明" + n;
        m["UpFile" + n] = "pkg" + n + ".zip";
    }
    for (int i = 1; i <= dataCount; ++i)
        m["UpDataFile" + QString::number(i)] = "data" + QString::number(i) + ".zip";
    return m;
}

QByteArray noise(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(42);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(gen.bounded(256));
    return bytes;
}

// Presses the exit button once, while a transfer runs (its caption is then "暂停").
class PressDuringTransfer : public QObject {
public:
    PressDuringTransfer(TFrm_Main *window, std::function<void()> before = {})
        : m_window(window), m_before(std::move(before))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_pressed || m_window->Btn_Cancel->text() != QStringLiteral("暂停"))
                return;
            m_pressed = true;
            if (m_before)
                m_before();
            m_window->Btn_Cancel->click();
        });
        m_timer.start();
    }
    bool pressed() const { return m_pressed; }

private:
    TFrm_Main *m_window;
    std::function<void()> m_before;
    QTimer m_timer;
    bool m_pressed = false;
};

class UpdateAction : public UpdaterFixture {
protected:
    void SetUp() override
    {
        makeDatabase();
        installHost("4.40.2.10");
        dir.write("升级备份/.keep", "");
    }
    void serveStandardPackages()
    {
        servePackage("/files/data1.zip",
                     {{"Autoupdate.ini",
                       wage::toGbk("//正在增加用户\r\ninsert into userinfo (user_id, user_name) values (8, '李四') [新用户]\r\n")},
                      {wage::toGbk("报表/"), {}},
                      {wage::toGbk("报表/月报.txt"), "monthly"}});
        servePackage("/files/pkg1.zip", {{"wagemain.exe", "NEWHOST", false, 0755}});
        servePackage("/files/pkg2.zip", {{"Plugins/", {}}, {"Plugins/ordmon.dll", noise(50000)}});
    }
};

} // namespace

TEST_F(UpdateAction, AutomaticModeInstallsEverythingAndStartsTheHost)
{
    serveManifest(manifest(2, 1));
    serveStandardPackages();
    const QByteArray iniBefore = dir.read("Usertem.ini");
    auto w = makeWindow({"AUTO"});
    w->FormShow();

    EXPECT_EQ(dir.read("wagemain.exe"), "NEWHOST");
    EXPECT_TRUE(QFileInfo(dir.file("wagemain.exe")).isExecutable());
    EXPECT_EQ(dir.read("Plugins/ordmon.dll").size(), 50000);
    EXPECT_EQ(dir.read(QStringLiteral("报表/月报.txt")), "monthly");
    for (const char *gone : {"Autoupdate.ini", "data1.zip", "pkg1.zip", "pkg2.zip"})
        EXPECT_FALSE(QFileInfo::exists(dir.file(gone))) << gone;
    EXPECT_EQ(GetSqli("select count(*) from userinfo where user_name='李四'", w->connection()), 1);

    const QString backup = w->lastBackupFolder();
    EXPECT_TRUE(backup.startsWith(dir.file(QStringLiteral("升级备份/")))) << backup.toStdString();
    EXPECT_FALSE(QFileInfo(backup).fileName().contains(':'));
    EXPECT_EQ(dir.read(backup.mid(dir.path().size() + 1) + "/Usertem.ini"), iniBefore);
    EXPECT_TRUE(QFileInfo::exists(backup + "/f_data.mdb"));

    EXPECT_EQ(w->Panel3->text(), QStringLiteral("升级完成！"));
    ASSERT_EQ(w->ListView1->topLevelItemCount(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(w->ListView1->topLevelItem(i)->data(0, Qt::UserRole).toInt(), 2);
    EXPECT_EQ(w->ListView0->topLevelItem(1)->text(0), "02");
    EXPECT_EQ(killed, (QStringList{"tools.exe", "wagemain.exe"}));
    EXPECT_EQ(started, QStringList{"wagemain.exe"});
    EXPECT_TRUE(w->WebBrowser1->visited().value(0).contains("Admess.html?update=Ver4.40A_"));
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.texts().join('|').toStdString();
    shot(w.get(), "updater-after-update.png");

    // A second run finds the host up to date and touches nothing.
    installHost("4.40.2.11");
    started.clear();
    auto again = makeWindow({"AUTO"});
    again->FormShow();
    EXPECT_EQ(again->Panel3->text(), QStringLiteral("( 4.40.2.11 )已是最新版本"));
    EXPECT_EQ(again->Btn_Cancel->text(), QStringLiteral("退出"));
    EXPECT_TRUE(again->lastBackupFolder().isEmpty());
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(UpdateAction, ACutTransferKeepsWhatWasInstalledAndTheBackup)
{
    serveManifest(manifest(2, 0));
    serveStandardPackages();
    server.setRule("/files/pkg2.zip", {wagetest::HttpServer::Cut, 200, 1000});
    auto w = makeWindow({"AUTO"});
    w->FormShow();

    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].kind, wage::PromptKind::Error);
    EXPECT_EQ(prompt.shown[0].caption, QStringLiteral("系统提示"));
    EXPECT_TRUE(prompt.shown[0].text.startsWith(QStringLiteral("升级过程中出现了错误了,错误信息如下：\n\n")));
    EXPECT_TRUE(errorLog().contains(QStringLiteral(": 升级过程中出现了错误了,错误信息如下："))) << errorLog().toStdString();
    EXPECT_EQ(dir.read("wagemain.exe"), "NEWHOST");            // package 1 stays installed
    EXPECT_FALSE(QFileInfo::exists(dir.file("pkg2.zip")));     // the partial file is gone
    EXPECT_FALSE(QFileInfo::exists(dir.file("Plugins")));
    EXPECT_TRUE(QFileInfo::exists(w->lastBackupFolder() + "/Usertem.ini"));
    EXPECT_TRUE(QFileInfo::exists(w->lastBackupFolder() + "/f_data.mdb"));
    EXPECT_FALSE(w->btn_Update->isEnabled());
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(UpdateAction, TheExitButtonInterruptsOnlyWhenConfirmed)
{
    for (const bool confirm : {false, true}) {
        SCOPED_TRACE(confirm ? "Yes" : "No");
        prompt.shown.clear();
        prompt.answers = {confirm};
        QFile::remove(dir.file("Plugins/ordmon.dll"));
        serveManifest(manifest(2, 0));
        servePackage("/files/pkg1.zip", {{"wagemain.exe", "NEWHOST"}});
        servePackage("/files/pkg2.zip", {{"Plugins/ordmon.dll", noise(4 << 20)}});
        server.setRule("/files/pkg2.zip", confirm ? wagetest::HttpServer::Rule{wagetest::HttpServer::StallMidBody, 200, 300000}
                                                  : wagetest::HttpServer::Rule{});
        installHost("4.40.2.10");
        auto w = makeWindow({"AUTO"});
        PressDuringTransfer press(w.get(), [&] { shot(w.get(), "updater-during-download.png"); });
        w->FormShow();
        ASSERT_TRUE(press.pressed());
        ASSERT_GE(prompt.shown.size(), 1);
        EXPECT_EQ(prompt.shown[0].kind, wage::PromptKind::Question);
        EXPECT_EQ(prompt.shown[0].text, QStringLiteral("文件还没有下载完毕，确认要中断吗？"));
        EXPECT_EQ(w->abortFlag(), confirm);
        EXPECT_EQ(QFileInfo::exists(dir.file("Plugins/ordmon.dll")), !confirm);
        if (confirm) {
            ASSERT_EQ(prompt.shown.size(), 2);
            EXPECT_TRUE(prompt.shown[1].text.endsWith(QStringLiteral("已被用户中断")));
            EXPECT_NE(w->Panel3->text(), QStringLiteral("升级完成！"));
            EXPECT_FALSE(QFileInfo::exists(dir.file("pkg2.zip")));
        } else {
            EXPECT_EQ(w->Panel3->text(), QStringLiteral("升级完成！"));
        }
    }
}

TEST_F(UpdateAction, ZeroPackagesOnlyBackUpRunTheScriptAndAskAtTheEnd)
{
    serveManifest(manifest(0, 0));
    dir.write("Autoupdate.ini", "insert into userinfo (user_id, user_name) values (9, 'w')\r\n");
    prompt.answers = {false};
    auto w = makeWindow({"AUTO"});
    w->FormShow();
    EXPECT_TRUE(QFileInfo::exists(w->lastBackupFolder() + "/Usertem.ini"));
    EXPECT_FALSE(QFileInfo::exists(dir.file("Autoupdate.ini")));
    EXPECT_EQ(GetSqli("select count(*) from userinfo where user_name='w'", w->connection()), 1);
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("文件还没有下载完毕，确认要中断吗？")});
    EXPECT_TRUE(started.isEmpty());
    EXPECT_FALSE(w->abortFlag());
}

TEST_F(UpdateAction, SecondServerLinkPageAndAnUnannouncedSize)
{
    serveManifest(manifest(1, 0));
    const QString real = server.url("real/pkg1.zip");
    server.add("/files/pkg1.zip", QStringLiteral("<html><body><p>下载地址</p><p><a href=\"%1\">%1</a></p></body></html>")
                                      .arg(real).toUtf8(), "text/html");
    servePackage("/real/pkg1.zip", {{"wagemain.exe", "FROM-SERVER-2"}});
    server.setRule("/real/pkg1.zip", {wagetest::HttpServer::CloseDelimited, 200, 0});
    auto w = makeWindow({});
    w->RadioGroup2->setItemIndex(1);
    w->ConnectLocalAccess();
    w->FillUpdateLists();
    w->btn_UpdateClick();
    EXPECT_EQ(dir.read("wagemain.exe"), "FROM-SERVER-2");
    EXPECT_TRUE(server.requestedPaths().contains("/real/pkg1.zip"));
    EXPECT_EQ(w->PB_Cur->maximum(), 0);
    EXPECT_EQ(w->sizeText(), "/0KB");
}
