// Navigator bar, notification popup and help.
#include "core/prompt.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/disgrid.h"
#include "kit/htmlhelp.h"
#include "kit/shellopen.h"
#include "kit/tmsnpopup.h"
#include "kit/tmynavigator.h"
#include "kitdb.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kittest;

TEST(TMyNavigator, ButtonsMoveEditAndReportTheirCaption)
{
    KitDb db;
    wage::Dataset ds(db.conn(), "select * from f_jijm order by dj_no");
    ds.open();
    wage::DataSource source(&ds);
    wage::DataGrid grid;
    DisGrid("f_jijm", "系统管理员", &source, db.conn(), &grid);
    const QStringList captions{"新增", "删除", "修改", "保存", "取消(&C)", "刷新", "首条", "上条", "下条", "末条", "关闭", "测算"};
    TMyNavigator nav(captions, &grid);
    nav.setEditorTarget("f_jijm", db.conn());
    QStringList clicks;
    QObject::connect(&nav, &TMyNavigator::Click, [&](const QString &c) { clicks << c; });
    ASSERT_EQ(nav.buttons().size(), captions.size());
    EXPECT_EQ(TMyNavigator::kindOf("取消(&C)"), TMyNavigator::Cancel);
    EXPECT_EQ(TMyNavigator::kindOf("测算"), TMyNavigator::Custom);

    nav.button("末条")->click();
    EXPECT_EQ(ds.recNo(), 4);
    nav.button("上条")->click();
    EXPECT_EQ(ds.recNo(), 3);
    EXPECT_EQ(nav.CurCaption, "上条");
    EXPECT_FALSE(nav.button("保存")->isEnabled());

    // Without an owner's handler the editor buttons edit through DatasetEditor: the locked
    // record on row 3 refuses, row 2 edits.
    {
        wage::ScopedScriptedPrompt prompt;
        nav.button("修改")->click();
        EXPECT_EQ(ds.state(), wage::Dataset::Browse);
        EXPECT_EQ(prompt.shown.size(), 1);
    }
    nav.button("首条")->click();
    nav.button("下条")->click();
    nav.button("修改")->click();
    EXPECT_EQ(ds.state(), wage::Dataset::Edit);
    EXPECT_TRUE(nav.button("保存")->isEnabled());
    ds.setValue("ry_name", "新名字");
    nav.button("保存")->click();
    EXPECT_EQ(GetSqlStr("select ry_name from f_jijm where dj_no=2", db.conn()), "新名字");

    // With a handler the owner decides (MyNavigator1DatasetEditor).
    QList<int> actions;
    QObject::connect(&nav, &TMyNavigator::DatasetEditorRequested, [&](int a) { actions << a; });
    for (const char *c : {"新增", "删除", "修改", "保存", "取消(&C)"})
        nav.press(c);
    EXPECT_EQ(actions, (QList<int>{1, 5, 2, 3, 4}));
    EXPECT_EQ(ds.state(), wage::Dataset::Browse);
    nav.press("测算");
    EXPECT_EQ(nav.CurCaption, "测算");
    EXPECT_EQ(clicks.last(), "测算");
    EXPECT_EQ(clicks.size(), 13);
}

TEST(TMSNPopUp, ShowsAtTheBottomRightAndGoesAway)
{
    TMSNPopUp popup;
    popup.TimeOut = 50;
    popup.ScrollSpeed = 20;
    QSignalSpy closed(&popup, &TMSNPopUp::closed);
    popup.ShowPopUp("提示：", " 批量更新完成。");
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.size(), QSize(200, 121));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_GT(popup.x(), area.center().x());
    EXPECT_GT(popup.y(), area.center().y());
    QDir().mkpath(WAGE_KIT_SHOTS_DIR);
    popup.setWindowOpacity(1.0);
    EXPECT_TRUE(popup.grab().save(QStringLiteral(WAGE_KIT_SHOTS_DIR) + "/msnpopup.png"));
    ASSERT_TRUE(closed.wait(3000));
    EXPECT_FALSE(popup.isVisible());
    EXPECT_FALSE(popup.isShowing());

    // A click opens the vendor's site.
    QList<QUrl> opened;
    wage::setShellOpener([&](const QUrl &u) { opened << u; return true; });
    popup.URL = "http://127.0.0.1/";
    popup.ShowPopUp();
    QTest::mouseClick(&popup, Qt::LeftButton);
    wage::setShellOpener(nullptr);
    EXPECT_EQ(opened, QList<QUrl>{QUrl("http://127.0.0.1/")});
}

TEST(HtmlHelp, OpensTheHelpFileOrSaysItIsMissing)
{
    wagetest::ProgramDirFixture dir;
    QList<QUrl> opened;
    wage::setShellOpener([&](const QUrl &u) { opened << u; return true; });
    QString file, topic;
    wage::splitHelpPath("C:\\wage\\\\help.chm::/计件选项设置.html", &file, &topic);
    EXPECT_EQ(file, "C:/wage/help.chm");
    EXPECT_EQ(topic, "计件选项设置.html");

    {
        wage::ScopedScriptedPrompt prompt;
        EXPECT_FALSE(HtmlHelp(nullptr, dir.path() + "\\help.chm::/订单监控.htm", HH_DISPLAY_TOPIC, 0));
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_TRUE(prompt.shown[0].text.contains("找不到帮助文件"));
        EXPECT_TRUE(prompt.shown[0].text.contains("订单监控.htm"));
        EXPECT_TRUE(opened.isEmpty());
    }
    dir.write("HELP.CHM", "ITSF");
    wage::ScopedScriptedPrompt prompt;
    EXPECT_TRUE(HtmlHelp(nullptr, dir.path() + "\\help.chm::/订单监控.htm", HH_DISPLAY_TOPIC, 0));
    EXPECT_TRUE(prompt.shown.isEmpty());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toLocalFile(), dir.file("HELP.CHM"));
    wage::setShellOpener(nullptr);
}
