// Start-up of the updater: command line, connection, the update lists and the version decision.
#include "updaterfixture.h"

#include "core/appdir.h"
#include "core/inifile.h"
#include "core/textcodec.h"
#include "db/connection.h"
#include "db/dbroutines.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

QMap<QString, QString> smallManifest(const QString &ver = "4.40.2.10")
{
    return {{"MessStr", "新闻"}, {"Ver", ver}, {"UpdateVer", "4.40.2.10"}, {"Upcount", "1"}, {"UpType1", "基础"},
            {"UpName1", "主程序"}, {"UpTime1", "2026-12-01"}, {"UpNote1", "修正"}, {"UpFile1", "pkg1.zip"},
            {"UpDataCount", "0"}, {"UpPath", ""}, {"ExpCount", "1"}, {"ExpType1", "拓展"}, {"ExpName1", "订单监控"},
            {"ExpVer1", "1.0.0.3"}, {"ExpNote1", "按订单监控生产进度"}};
}

QStringList rowTexts(QTreeWidget *view, int column)
{
    QStringList out;
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        out << view->topLevelItem(i)->text(column);
    return out;
}

QString mainKey(const QString &key)
{
    return inistring("main Position", key, QString(), "USERTEM.INI", "read");
}

} // namespace

class StartUp : public UpdaterFixture {};

TEST_F(StartUp, NewsListHeadingAndRowCaptions)
{
    installHost("4.40.2.10");
    struct Case {
        QString messStr;
        QString heading;
        QStringList captions;
    } cases[] = {
        {"只有标题", "只有标题", {}},
        {"标题;;第一条;第二条", "标题", {"01", "02"}},
        {"标题;1;2;3;4;5;6;7;8;9;10;11", "标题", {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11"}},
    };
    for (const Case &c : cases) {
        auto m = smallManifest();
        m["MessStr"] = c.messStr;
        serveManifest(m);
        auto w = makeWindow({});
        w->FillUpdateLists();
        EXPECT_EQ(w->ListView0->headerItem()->text(1), c.heading);
        EXPECT_EQ(rowTexts(w->ListView0, 0), c.captions) << c.messStr.toStdString();
    }
    auto w = makeWindow({});
    w->FillUpdateLists();
    EXPECT_EQ(rowTexts(w->ListView1, 1), QStringList{"主程序"});
    EXPECT_EQ(rowTexts(w->ListView2, 2), QStringList{"1.0.0.3"});
    EXPECT_EQ(w->StatusBar1->panelText(1), QStringLiteral("官方服务器版本：4.40.2.10"));
    EXPECT_TRUE(w->StatusBar1->panelText(3).endsWith("-->>4.40.2.10"));
    EXPECT_EQ(w->Panel3->text(), QStringLiteral(" 测试工厂 "));
}

TEST_F(StartUp, ABrokenManifestShowsItsErrorAndLeavesTheWindowUsable)
{
    installHost("4.40.2.10");
    auto countNotNumber = smallManifest();
    countNotNumber["Upcount"] = "abc";
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        prompt.shown.clear();
        if (variant == 0)
            server.setRule("/Access.xml", {wagetest::HttpServer::Normal, 404, 0});
        else if (variant == 1) {
            server.setRule("/Access.xml", {});
            server.add("/Access.xml", "<html><body>Service Unavailable", "text/html");
        } else
            serveManifest(countNotNumber);
        auto w = makeWindow({});
        w->Timer1Timer();
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_EQ(prompt.shown[0].kind, wage::PromptKind::Message);
        EXPECT_FALSE(prompt.shown[0].text.isEmpty());
        EXPECT_TRUE(w->btn_Update->isEnabled());
        EXPECT_TRUE(w->BitBtn1->isEnabled());
        EXPECT_FALSE(w->Timer2->isActive());
        EXPECT_EQ(w->StatusBar1->panelText(2), QStringLiteral("欢迎使用Quorvin软件在线升级程序。"));
    }
}

TEST_F(StartUp, VersionDecisionIsNumeric)
{
    struct Case {
        QString local, offered;
        bool update;
    } cases[] = {{"4.40.2.9", "4.40.2.10", true}, {"4.40.2.10", "4.40.2.10", false}, {"4.40.2.10", "4.5.0.1", false}};
    for (const Case &c : cases) {
        installHost(c.local);
        serveManifest(smallManifest(c.offered));
        auto w = makeWindow({});
        EXPECT_EQ(w->DecideUpdate(), c.update) << c.local.toStdString() << " vs " << c.offered.toStdString();
        if (c.update)
            EXPECT_EQ(w->StatusBar1->panelText(2), QStringLiteral("从旧版本( %1 )升级到新版本( %2 )").arg(c.local, c.offered));
        else
            EXPECT_EQ(w->Panel3->text(), QStringLiteral("( %1 )已是最新版本").arg(c.local));
    }
}

TEST_F(StartUp, UserLookupConfirmationAndStructureChecksOnAccess)
{
    makeDatabase();
    installHost("4.40.2.10");
    installLinkcfg();
    for (const QString &user : {QStringLiteral("张三"), QStringLiteral("")}) {
        prompt.shown.clear();
        auto w = makeWindow(user.isEmpty() ? QStringList{} : QStringList{user});
        w->FormShow();
        EXPECT_EQ(w->windowTitle(), user);
        EXPECT_EQ(w->userName(), user.isEmpty() ? QStringLiteral("系统管理员") : user);
        // The connection component asked the user; the structure checks ran.
        ASSERT_EQ(prompt.shown.size(), 1) << prompt.texts().join('|').toStdString();
        EXPECT_EQ(prompt.shown[0].kind, wage::PromptKind::Question);
        EXPECT_TRUE(TableExists("Languages", w->connection()));
        EXPECT_TRUE(w->Timer1->isActive());
        EXPECT_FALSE(w->RadioGroup1->isEnabled());
        EXPECT_EQ(w->RadioGroup1->itemIndex(), 1);
        EXPECT_FALSE(ended);
    }
}

TEST_F(StartUp, AutoAndLowerCaseAutoOnSqlServer)
{
    const QString db = dir.file("wage.db");
    makeDatabase(db, true);
    writeIni({{"connectionstr", "MSSQL#file:" + db}});
    installHost("4.40.2.10");
    installLinkcfg();
    serveManifest(smallManifest("4.40.2.11"), "SqlServer.xml");
    servePackage("/pkg1.zip", {{"wagemain.exe", "NEWHOST"}});
    for (const QString &param : {QStringLiteral("AUTO"), QStringLiteral("auto")}) {
        SCOPED_TRACE(param.toStdString());
        server.clearLog();
        auto w = makeWindow({param});
        w->FormShow();
        EXPECT_TRUE(w->RadioGroup1->isEnabled());
        EXPECT_TRUE(TableExists("F_UpdateVer", w->connection()));
        EXPECT_FALSE(server.requestedPaths().contains("/pkg1.zip"));
        w->Timer1Timer();
        const bool updates = param == QLatin1String("auto");
        EXPECT_EQ(w->btn_Update->isEnabled(), !updates);
        EXPECT_EQ(server.requestedPaths().contains("/pkg1.zip"), updates);
        EXPECT_FALSE(ended);
    }
    EXPECT_EQ(dir.read("wagemain.exe"), "NEWHOST");
}

TEST_F(StartUp, AnAccessDatabaseOnANetworkShareIsRefused)
{
    const QString share = dir.file("\\\\server\\wage");
    QDir().mkpath(share);
    wage::setProgramDir(share);
    writeIni();
    auto w = makeWindow({});
    w->FormShow();
    EXPECT_TRUE(ended);
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("手动运行update.exe，完成升级。\n普通操作员可自动同步更新。")});
}

TEST_F(StartUp, RemoteConnectionDocumentGivesHostAndPort)
{
    // "x,1499" in hex: item 1 is the port when none is configured.
    server.add("/custip\\8001.xml",
               "<?xml version=\"1.0\"?><c><WebPara>782C31343939</WebPara><WebIP>http://127.0.0.1:9/db</WebIP></c>");
    server.add("/", "home");
    for (const QString &dataPort : {QStringLiteral("1444"), QStringLiteral("")}) {
        writeIni({{"connectionstr", "MSSQL#oldhost,1433#wage"}, {"AID", "8001"}, {"DataPort", dataPort}});
        auto w = makeWindow({});
        EXPECT_FALSE(w->ConnectDatabase());   // no connection component here
        EXPECT_EQ(mainKey("KeyIP"), "127.0.0.1");
        EXPECT_TRUE(prompt.saw(QStringLiteral("没发现配置程序")));
    }
}

TEST_F(StartUp, AMissingDataPathFallsBackToTheLocalDatabase)
{
    makeDatabase();
    writeIni({{"datapath", dir.file("nowhere/f_data.mdb")}});
    auto w = makeWindow({});
    EXPECT_TRUE(w->ConnectLocalAccess());
    EXPECT_TRUE(prompt.saw(QStringLiteral("提示,在指定路径没有找到数据文件,只能启用本地数据。")));
    EXPECT_EQ(QFileInfo(w->connection()->databasePath()).fileName(), "f_data.mdb");
    EXPECT_FALSE(wage::IniFile(dir.file("Usertem.ini")).contains("main Position", "datapath"));
    EXPECT_EQ(GetSqli("select count(*) from userinfo", w->connection()), 1);
}
