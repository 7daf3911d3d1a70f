// The news window on the vendor's product page, its pictures and status texts.
#include "news_form.h"

#include "core/textcodec.h"
#include "httpserver.h"
#include "net/netinfo.h"
#include "testdir.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTextDocument>

#include <gtest/gtest.h>

#include "jpegfixture.h"

namespace {

QByteArray blueJpeg(int w, int h)
{
    return makeJpeg(w, h, false, [w](int x) { return qRgb(40, 90 + (x * 100 / w), 200); });
}

} // namespace

TEST(NewsWindow, ShowsTheProductPageWithItsPicturesAndProgress)
{
    wagetest::ProgramDirFixture dir;
    wagetest::HttpServer server;
    dir.write("Usertem.ini", wage::toGbk("[vendor]\r\nBaseURL=" + server.url() + "\r\n"));
    const QByteArray page = wage::toGbk(QStringLiteral(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"></head><body>"
        "<h2>Quorvin计件工资 新品推荐</h2><p>订单监控、工价调整、批量计件，一套软件全部搞定。</p>"
        "<img src=\"images/p1.jpg\" width=\"240\" height=\"120\"><p><a href=\"more.htm\">更多产品</a></p></body></html>"));
    server.add("/products.htm", page, "text/html");
    server.add("/images/p1.jpg", blueJpeg(240, 120), "image/jpeg");
    server.add("/more.htm", "<p>second page</p>", "text/html");

    TForm_RL form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvin计件工资软件您的睿智之选。"));
    EXPECT_EQ(form.size(), QSize(1007, 649));
    form.show();
    ASSERT_TRUE(form.WebBrowser1->navigate(QUrl(wage::vendorUrl("products.htm"))));
    EXPECT_TRUE(form.WebBrowser1->toPlainText().contains(QStringLiteral("一套软件全部搞定")));
    EXPECT_EQ(form.panelText(1), QStringLiteral("页面加载完毕!"));
    EXPECT_EQ(form.ProgressBar1->maximum(), page.size());
    EXPECT_EQ(form.ProgressBar1->value(), page.size());
    EXPECT_TRUE(form.ProgressBar1->isVisible()) << "the bar sits in the owner-drawn panel";
    EXPECT_EQ(form.ProgressBar1->parentWidget(), form.StatusBar1);

    QDir().mkpath(WAGE_UPDATER2_SHOTS_DIR);
    const QImage shot = form.grab().toImage();
    shot.save(QStringLiteral(WAGE_UPDATER2_SHOTS_DIR "/news.png"));
    EXPECT_EQ(form.WebBrowser1->loadedImageCount(), 1) << "the picture was fetched and decoded";

    // A link leads to the next page of the same server.
    emit form.WebBrowser1->anchorClicked(QUrl("more.htm"));
    EXPECT_TRUE(form.WebBrowser1->toPlainText().contains("second page"));

    // A page that cannot be fetched: an empty page, loading ends all the same.
    EXPECT_FALSE(form.WebBrowser1->navigate(QUrl(server.url("missing.htm"))));
    EXPECT_EQ(form.panelText(1), QStringLiteral("页面加载完毕!"));
}
