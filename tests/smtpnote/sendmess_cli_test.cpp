// smtpnote.dll as an outside program uses it: a C program loads it with the platform loader
// and calls SendMess with GBK texts. The program runs from a program directory of its own,
// whose Usertem.ini points the defaults at loopback servers.
#include "smtpserver.h"

#include "core/textcodec.h"
#include "httpserver.h"
#include "testdir.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>

#include <gtest/gtest.h>

using smtptest::SmtpServer;

namespace {

struct CliRun {
    int exitCode = -1;
    QString output;
};

class SendMessCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString cli = dir.file(QStringLiteral("sendmess_cli"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(SENDMESS_CLI), cli));
        QFile::setPermissions(cli, QFile::permissions(cli) | QFile::ExeOwner);
        vendor.add(QStringLiteral("/"), "<html>ok</html>", "text/html");
        vendor.add(QStringLiteral("/custip/custinfo.xml"),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?><custinfo><Em>" + QByteArray(SmtpServer::kPassword)
                       + "</Em></custinfo>",
                   "text/xml");
    }

    void writeIni(const SmtpServer &server)
    {
        dir.write(QStringLiteral("Usertem.ini"),
                  "[vendor]\r\nBaseURL=" + vendor.url().toLatin1() + "\r\nMailHost=127.0.0.1\r\nMailPort="
                      + server.portText().toLatin1() + "\r\nMailUser=" + SmtpServer::kUser
                      + "\r\nMailFrom=notice@factory.test\r\n");
    }

    // The ten arguments as GBK lines on the program's input.
    CliRun run(const QStringList &args)
    {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(dir.file(QStringLiteral("sendmess_cli")), {QStringLiteral(SMTPNOTE_DLL)});
        EXPECT_TRUE(p.waitForStarted(10000));
        QByteArray input;
        for (int i = 0; i < 10; ++i)
            input += wage::toGbk(args.value(i)) + '\n';
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
    }

    QString errorLog() const { return wage::fromGbk(dir.read(QStringLiteral("Error.Log"))); }

    wagetest::ProgramDirFixture dir;
    wagetest::HttpServer vendor;
};

} // namespace

TEST_F(SendMessCliTest, AllTenEmptySendsFromDefaultsWithFetchedPassword)
{
    SmtpServer server;
    ASSERT_TRUE(server.running()) << server.failure().toStdString();
    writeIni(server);

    const CliRun r = run({});
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();

    const auto messages = server.messages();
    ASSERT_EQ(messages.size(), 1);
    const QJsonObject m = messages.first();
    EXPECT_EQ(m[QStringLiteral("login")].toString(), QString::fromLatin1(SmtpServer::kUser));
    EXPECT_EQ(m[QStringLiteral("mail_from")].toString(), QStringLiteral("notice@factory.test"));
    EXPECT_EQ(m[QStringLiteral("rcpt_tos")].toArray(), QJsonArray({QStringLiteral("notice@factory.test")}));
    EXPECT_EQ(m[QStringLiteral("subject")].toString(), QString());
    EXPECT_EQ(m[QStringLiteral("body")].toString(), QString());
    EXPECT_FALSE(m[QStringLiteral("headers")].toObject().contains(QStringLiteral("Reply-To")));
    EXPECT_TRUE(vendor.requestedPaths().contains(QStringLiteral("/custip/custinfo.xml")));
}

TEST_F(SendMessCliTest, GbkArgumentsArriveAsChineseText)
{
    SmtpServer server;
    ASSERT_TRUE(server.running()) << server.failure().toStdString();
    writeIni(server);

    const CliRun r = run({QStringLiteral("计件工资通知"), QStringLiteral("张三本月工资：3200元"),
                          QStringLiteral("a@factory.test,b@factory.test"), QStringLiteral("忽略"),
                          QStringLiteral("忽略"), QStringLiteral("clerk@factory.test"),
                          QStringLiteral("127.0.0.1"), QString::fromLatin1(SmtpServer::kUser),
                          QString::fromLatin1(SmtpServer::kPassword), server.portText()});
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    const auto messages = server.messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0][QStringLiteral("subject")].toString(), QStringLiteral("计件工资通知"));
    EXPECT_EQ(messages[0][QStringLiteral("body")].toString(), QStringLiteral("张三本月工资：3200元"));
    EXPECT_EQ(messages[0][QStringLiteral("rcpt_tos")].toArray().size(), 2);
}

// Failures that would otherwise escape the library as errors give 0 and a line in Error.Log.
TEST_F(SendMessCliTest, ErrorsBecomeFalseAndAnErrorLogLine)
{
    SmtpServer server;
    ASSERT_TRUE(server.running()) << server.failure().toStdString();
    writeIni(server);
    struct Case {
        QStringList args;
        QString logged;
    };
    const std::vector<Case> cases = {
        {{QString(), QString(), QString(), QString(), QString(), QString(), QString(), QString(), QString(),
          QStringLiteral("abc")},
         QStringLiteral("SendMess: SMTP端口“abc”不是有效的端口号")},
        {{QString(), QString(), QStringLiteral("refuse@factory.test")},
         QStringLiteral("SendMess: 邮件发送失败")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.logged.toStdString());
        QFile::remove(dir.file(QStringLiteral("Error.Log")));
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
        EXPECT_TRUE(errorLog().startsWith(c.logged)) << errorLog().toStdString();
        EXPECT_TRUE(errorLog().endsWith(QStringLiteral("\r\n")));
    }
    EXPECT_TRUE(server.messages().isEmpty());
}
