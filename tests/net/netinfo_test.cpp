#include "net/netinfo.h"

#include "core/prompt.h"
#include "core/textcodec.h"
#include "httpserver.h"
#include "testdir.h"

#include <QGuiApplication>
#include <QHostAddress>
#include <gtest/gtest.h>

using wagetest::HttpServer;

namespace {

// A program directory whose Usertem.ini points the vendor's addresses at the loopback server.
struct VendorSite : wagetest::ProgramDirFixture {
    HttpServer server;
    void configure(const QString &internetConnection = QString())
    {
        QString ini = QStringLiteral("[main Position]\r\nconnectionstr=ACCESS\r\n");
        if (!internetConnection.isNull())
            ini += QStringLiteral("INTERNET_CONNECTION=") + internetConnection + QStringLiteral("\r\n");
        ini += QStringLiteral("[vendor]\r\nBaseURL=") + server.url() + QStringLiteral("\r\n");
        for (int n = 1; n <= 4; ++n)
            ini += QStringLiteral("IPEchoURL%1=%2\r\n").arg(n).arg(server.url(QStringLiteral("ip%1").arg(n)));
        write(QStringLiteral("Usertem.ini"), wage::toGbk(ini));
    }
};

const QByteArray kUtf8Doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<update><Ver>4.41.0.3</Ver><Notice>\xE5\x8D\x87\xE7\xBA\xA7\xE8\xAF\xB4\xE6\x98\x8E</Notice>"
                            "<Empty/></update>";

} // namespace

TEST(GetXmlvalue, ReadsChildOfRootInDeclaredEncoding)
{
    VendorSite site;
    site.configure();
    site.server.add("/Access.xml", kUtf8Doc);
    site.server.add("/SqlServer.xml",
                    "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root><Ver>4.40.2.10</Ver><Notice>"
                        + wage::toGbk(QStringLiteral("升级完成！请重启")) + "</Notice></root>");
    site.server.add("/custip\\8001.xml", "<?xml version=\"1.0\"?><cust><IP>10.0.0.5</IP></cust>");

    EXPECT_EQ(GetXmlvalue(QStringLiteral("Ver"), QStringLiteral("Access.xml")), QStringLiteral("4.41.0.3"));
    EXPECT_EQ(GetXmlvalue(QStringLiteral("Notice"), QStringLiteral("Access.xml")), QStringLiteral("升级说明"));
    EXPECT_EQ(GetXmlvalue(QStringLiteral("(Ver)"), QStringLiteral("Access.xml")), QStringLiteral("4.41.0.3"));
    EXPECT_EQ(GetXmlvalue(QStringLiteral("Notice"), QStringLiteral("SqlServer.xml")), QStringLiteral("升级完成！请重启"));
    EXPECT_EQ(GetXmlvalue(QStringLiteral("IP"), QStringLiteral("custip\\8001.xml")), QStringLiteral("10.0.0.5"));
    EXPECT_EQ(GetXmlvalue(QStringLiteral("Empty"), QStringLiteral("Access.xml")), QString());
}

TEST(GetXmlvalue, FailuresGiveEmpty)
{
    VendorSite site;
    site.configure();
    site.server.add("/broken.xml", "<?xml version=\"1.0\"?><update><Ver>4.41.0.3</Ver><Notice>open</update>");
    site.server.add("/nested.xml", "<?xml version=\"1.0\"?><update><group><Ver>1.0.0.0</Ver></group></update>");
    site.server.add("/error.xml", kUtf8Doc);
    site.server.setRule("/error.xml", {HttpServer::Normal, 500});
    site.server.add("/odd.xml", "<?xml version=\"1.0\" encoding=\"x-unknown-charset\"?><update><Ver>1</Ver></update>");

    const struct { const char *element, *path; } cases[] = {
        {"Missing", "Access.xml"},  // no such element (document absent too: 404)
        {"Ver", "nothing.xml"},     // 404
        {"Ver", "error.xml"},       // 500 with a valid document body
        {"Ver", "broken.xml"},      // not well-formed, even though Ver comes first
        {"Ver", "nested.xml"},      // only children of the root count
        {"Ver", "odd.xml"},         // undecodable
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetXmlvalue(QString::fromLatin1(c.element), QString::fromLatin1(c.path)), QString()) << c.path;
}

TEST(GetXmlvalue, OfflineExactCaseMeansNoNetworkAccess)
{
    VendorSite site;
    site.server.add("/Access.xml", kUtf8Doc);

    site.configure(QStringLiteral("OFFLINE"));
    EXPECT_EQ(GetXmlvalue(QStringLiteral("Ver"), QStringLiteral("Access.xml")), QString());
    EXPECT_EQ(site.server.connectionCount(), 0);

    for (const QString &other : {QStringLiteral("offline"), QStringLiteral("Offline"), QStringLiteral("ONLINE")}) {
        site.configure(other);
        EXPECT_EQ(GetXmlvalue(QStringLiteral("Ver"), QStringLiteral("Access.xml")), QStringLiteral("4.41.0.3"))
            << other.toStdString();
    }
    EXPECT_EQ(site.server.requestedPaths().count(QStringLiteral("/Access.xml")), 3);
}

TEST(GetXmlvalue, UnreachableVendorFetchesNothing)
{
    wagetest::ProgramDirFixture dir;
    quint16 freePort;
    {
        HttpServer gone;
        freePort = gone.port();
    }
    dir.write(QStringLiteral("Usertem.ini"),
              QStringLiteral("[vendor]\r\nBaseURL=http://127.0.0.1:%1/\r\n").arg(freePort).toLatin1());
    EXPECT_FALSE(InternetReachable());
    EXPECT_EQ(GetXmlvalue(QStringLiteral("Ver"), QStringLiteral("Access.xml")), QString());

    VendorSite site;
    site.configure();
    EXPECT_TRUE(InternetReachable());
}

TEST(GetPublicIP, TriesPagesInOrderUntilOneAnswers)
{
    VendorSite site;
    site.configure();
    site.server.setRule("/ip1", {HttpServer::Close});
    site.server.add("/ip2", "  <html><body>Your address: 203.0.113.7</body></html>\r\n");
    site.server.add("/ip3", "198.51.100.1");
    EXPECT_EQ(GetPublicIP(), QStringLiteral("203.0.113.7"));
    EXPECT_EQ(site.server.requestedPaths(), QStringList({QStringLiteral("/ip1"), QStringLiteral("/ip2")}));
    for (const auto &request : site.server.requests())
        EXPECT_EQ(request.headers.value("user-agent"), QByteArray("Mozilla/5.0"));

    // Pages without an address, or with one too long to be an address, are passed over.
    site.server.clearLog();
    site.server.add("/ip2", "no address here");
    site.server.add("/ip3", "0000.0001.0002.0003");
    site.server.add("/ip4", "192.0.2.44");
    EXPECT_EQ(GetPublicIP(), QStringLiteral("192.0.2.44"));

    site.server.setRule("/ip4", {HttpServer::Normal, 404});
    EXPECT_EQ(GetPublicIP(), QString());
}

TEST(GetPublicIP, FollowsRedirects)
{
    VendorSite site;
    site.configure();
    site.server.redirect("/ip1", "/real");
    site.server.add("/real", "203.0.113.9");
    EXPECT_EQ(GetPublicIP(), QStringLiteral("203.0.113.9"));
}

TEST(GetLocalIP, GivesADottedAddressAndRestoresTheCursor)
{
    wage::ScopedScriptedPrompt prompt;
    const QString first = GetLocalIP(false);
    const QString last = GetLocalIP(true);
    EXPECT_FALSE(QHostAddress(first).isNull());
    EXPECT_FALSE(QHostAddress(last).isNull());
    EXPECT_EQ(QHostAddress(first).protocol(), QAbstractSocket::IPv4Protocol);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    if (first == QLatin1String("0.0.0.0"))
        EXPECT_TRUE(prompt.saw(QStringLiteral("0.0.0.0")));
    else
        EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_FALSE(GetPcName().isEmpty());
}
