#include "net/http.h"

#include "httpserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using wagetest::HttpServer;

namespace {
QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}
} // namespace

TEST(HttpClient, GetsBodyWithUserAgentAndStatus)
{
    HttpServer server;
    server.add("/page.txt", "hello");
    wage::HttpClient http;
    http.options.userAgent = QStringLiteral("WageTest/1.0");
    const wage::HttpResult ok = http.get(server.url("page.txt"));
    EXPECT_TRUE(ok.ok) << ok.error.toStdString();
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ok.body, QByteArray("hello"));
    EXPECT_EQ(ok.announcedSize, 5);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().headers.value("user-agent"), QByteArray("WageTest/1.0"));

    const wage::HttpResult missing = http.get(server.url("nothing.txt"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.status, 404);
    EXPECT_TRUE(missing.body.isEmpty());
    EXPECT_FALSE(missing.error.isEmpty());
}

TEST(HttpClient, FollowsRedirectsOnlyWhenAsked)
{
    HttpServer server;
    server.add("/new.txt", "moved here");
    server.redirect("/old.txt", "/new.txt");
    wage::HttpClient http;
    EXPECT_EQ(http.get(server.url("old.txt")).body, QByteArray("moved here"));
    http.options.followRedirects = false;
    const wage::HttpResult stay = http.get(server.url("old.txt"));
    EXPECT_FALSE(stay.ok);
    EXPECT_EQ(stay.status, 302);
}

TEST(HttpClient, BackslashReachesServerAsPartOfTheName)
{
    HttpServer server;
    server.add("/custip\\8001.xml", "doc");
    wage::HttpClient http;
    EXPECT_EQ(http.get(server.url("custip\\8001.xml")).body, QByteArray("doc"));
    EXPECT_EQ(server.requests().first().target, QByteArray("/custip%5C8001.xml"));
}

TEST(HttpClient, DownloadStreamsToFileAndReportsEvents)
{
    const QByteArray big = pattern(3 * 1024 * 1024 + 17);
    HttpServer server;
    server.add("/pack.zip", big);
    server.add("/chunked.zip", big);
    server.setRule("/chunked.zip", {HttpServer::Chunked});
    server.add("/plain.zip", big);
    server.setRule("/plain.zip", {HttpServer::CloseDelimited});
    QTemporaryDir dir;
    const struct { const char *path; qint64 announced; } cases[] = {
        {"pack.zip", big.size()}, {"chunked.zip", -1}, {"plain.zip", -1}};
    for (const auto &c : cases) {
        const QString target = dir.filePath(QString::fromLatin1(c.path));
        qint64 begun = -2, last = 0;
        int begins = 0, ends = 0, works = 0;
        wage::HttpClient::Events events;
        events.begin = [&](qint64 total) { begun = total; ++begins; };
        events.work = [&](qint64 done) { EXPECT_GE(done, last); last = done; ++works; };
        events.end = [&] { ++ends; };
        wage::HttpClient http;
        const wage::HttpResult r = http.download(server.url(QString::fromLatin1(c.path)), target, events);
        ASSERT_TRUE(r.ok) << c.path << r.error.toStdString();
        EXPECT_TRUE(r.body.isEmpty()) << "a download never keeps the body in memory";
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), big) << c.path;
        EXPECT_EQ(begins, 1);
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(begun, c.announced) << c.path;
        EXPECT_EQ(last, big.size());
        EXPECT_GT(works, 1);
    }
}

TEST(HttpClient, FailedOrCancelledDownloadLeavesNoFile)
{
    HttpServer server;
    const QByteArray big = pattern(2 * 1024 * 1024);
    server.add("/cut.zip", big);
    server.setRule("/cut.zip", {HttpServer::Cut, 200, 1000});
    server.add("/closed.zip", big);
    server.setRule("/closed.zip", {HttpServer::Close});
    server.add("/stalled.zip", big);
    server.setRule("/stalled.zip", {HttpServer::StallMidBody, 200, 5000});
    server.add("/silent.zip", big);
    server.setRule("/silent.zip", {HttpServer::Stall});
    server.add("/cancel.zip", big);
    server.setRule("/cancel.zip", {HttpServer::StallMidBody, 200, 100000});
    QTemporaryDir dir;

    for (const char *name : {"cut.zip", "closed.zip", "stalled.zip", "silent.zip", "missing.zip"}) {
        const QString target = dir.filePath(QString::fromLatin1(name));
        wage::HttpClient http;
        http.options.readTimeoutMs = 300;
        const wage::HttpResult r = http.download(server.url(QString::fromLatin1(name)), target);
        EXPECT_FALSE(r.ok) << name;
        EXPECT_FALSE(r.cancelled) << name;
        EXPECT_FALSE(r.error.isEmpty()) << name;
        EXPECT_FALSE(QFile::exists(target)) << name;
    }

    // Cancel from the work event, as a Cancel button handler would during event processing.
    const QString target = dir.filePath(QStringLiteral("cancel.zip"));
    wage::HttpClient http;
    wage::HttpClient::Events events;
    events.work = [&](qint64) { http.cancel(); };
    const wage::HttpResult r = http.download(server.url("cancel.zip"), target, events);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(QFile::exists(target));
    // The next transfer starts uncancelled.
    server.add("/small.txt", "ok");
    EXPECT_TRUE(http.get(server.url("small.txt")).ok);
}

TEST(HttpClient, ConnectionRefusedIsAnError)
{
    quint16 freePort;
    {
        HttpServer gone;
        freePort = gone.port();
    }
    wage::HttpClient http;
    const wage::HttpResult r = http.get(QStringLiteral("http://127.0.0.1:%1/x").arg(freePort));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(http.canConnect(QStringLiteral("http://127.0.0.1:%1/").arg(freePort)));
}

TEST(HttpClient, WindowMessagesAreProcessedWhileWaitingSoCancelWorks)
{
    HttpServer server;
    server.setRule("/stalled.zip", {HttpServer::StallMidBody, 200, 10});
    server.add("/stalled.zip", pattern(100000));
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("stalled.zip"));

    // A progress event on every block, and a Cancel button's handler run while data flows.
    {
        server.add("/slow.zip", pattern(400000));
        server.setRule("/slow.zip", {HttpServer::Trickle, 200, 2000});
        wage::HttpClient http;
        int works = 0;
        wage::HttpClient::Events events;
        events.work = [&](qint64) { ++works; };
        QTimer::singleShot(100, [&] { http.cancel(); });
        const wage::HttpResult r = http.download(server.url("slow.zip"), target, events);
        EXPECT_TRUE(r.cancelled);
        EXPECT_GT(works, 0);
        EXPECT_LT(r.received, 400000);
        EXPECT_FALSE(QFile::exists(target));
    }

    // A Cancel button's handler, queued in the event loop while the transfer waits.
    wage::HttpClient http;
    http.options.readTimeoutMs = 0;
    QTimer::singleShot(50, [&] { http.cancel(); });
    const wage::HttpResult cancelled = http.download(server.url("stalled.zip"), target);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(QFile::exists(target));

    // Without event processing the handler cannot run: the read time-out ends the transfer.
    wage::HttpClient quiet;
    quiet.options.processEvents = false;
    quiet.options.readTimeoutMs = 300;
    bool handlerRan = false;
    QTimer::singleShot(0, [&] { handlerRan = true; quiet.cancel(); });
    const wage::HttpResult timedOut = quiet.download(server.url("stalled.zip"), target);
    EXPECT_FALSE(timedOut.ok);
    EXPECT_FALSE(timedOut.cancelled);
    EXPECT_FALSE(handlerRan);
    QCoreApplication::processEvents();
    EXPECT_TRUE(handlerRan);
}

TEST(HttpClient, OnlyWebAddresses)
{
    QTemporaryDir dir;
    QFile secret(dir.filePath(QStringLiteral("secret.txt")));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("secret");
    secret.close();
    wage::HttpClient http;
    EXPECT_FALSE(http.get(QStringLiteral("file://") + secret.fileName()).ok);

    HttpServer server;
    server.redirect("/jump", QStringLiteral("file://") + secret.fileName());
    const wage::HttpResult r = http.get(server.url("jump"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.isEmpty());
}
