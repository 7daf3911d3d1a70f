// SendMess's steps against a real SMTP server on loopback: what the server received and
// which progress steps the display was given.
#include "sendmess.h"
#include "smtpserver.h"

#include "core/wageerror.h"
#include "testdir.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace smtpnote;
using smtptest::SmtpServer;

namespace {

struct Step {
    int position;
    QString text;
    bool operator==(const Step &o) const { return position == o.position && text == o.text; }
};

std::ostream &operator<<(std::ostream &os, const Step &s)
{
    return os << s.position << ' ' << s.text.toStdString();
}

const QString kPrepare = QStringLiteral("准备信息....");
const QString kConnect = QStringLiteral("连接服务器....");
const QString kConnected = QStringLiteral("连接完成....");
const QString kLoading = QStringLiteral("正在加载信息...");
const QString kSending = QStringLiteral("正在发送信息....");
const QString kConnectFailed = QStringLiteral("连接SMTP服务器失败!");
const QString kLoginFailed = QStringLiteral("SMTP服务器验证失败!");

class SendMessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write(QStringLiteral("Usertem.ini"),
                  "[main Position]\r\nINTERNET_CONNECTION=OFFLINE\r\n"
                  "[vendor]\r\nMailHost=127.0.0.1\r\nMailUser=notice@factory.test\r\n"
                  "MailFrom=notice@factory.test\r\n");
        setProgressRecorder([this](int position, int maximum, const QString &text) {
            EXPECT_EQ(maximum, 10);
            steps.push_back({position, text});
        });
    }
    void TearDown() override { setProgressRecorder({}); }

    MailArgs argsFor(const SmtpServer &server) const
    {
        MailArgs a;
        a.host = QStringLiteral("127.0.0.1");
        a.port = server.portText();
        a.userName = QString::fromLatin1(SmtpServer::kUser);
        a.password = QString::fromLatin1(SmtpServer::kPassword);
        return a;
    }

    static SmtpTimeouts shortTimeouts()
    {
        SmtpTimeouts t;
        t.connectMs = 1500;
        t.responseMs = 2000;
        t.lowSpeedSeconds = 2;
        t.totalMs = 5000;
        return t;
    }

    wagetest::ProgramDirFixture dir;
    std::vector<Step> steps;
};

QStringList strings(const QJsonValue &v)
{
    QStringList out;
    for (const QJsonValue &x : v.toArray())
        out << x.toString();
    return out;
}

} // namespace

TEST_F(SendMessageTest, ChineseMessageToTwoRecipientsArrivesDecodedWithReplyTo)
{
    SmtpServer server;
    ASSERT_TRUE(server.running()) << server.failure().toStdString();
    MailArgs a = argsFor(server);
    a.subject = QStringLiteral("工资单已生成：十二月");
    a.body = QStringLiteral("各位好：\n本月计件工资已核算完毕。\r\n.\r\n请查收。");
    a.recipients = QStringLiteral("boss@factory.test, 会计 <acct@factory.test>");
    a.fromAddress = QStringLiteral("clerk@factory.test");

    EXPECT_TRUE(SendMessage(a));

    const auto messages = server.messages();
    ASSERT_EQ(messages.size(), 1);
    const QJsonObject m = messages.first();
    EXPECT_EQ(m[QStringLiteral("login")].toString(), QString::fromLatin1(SmtpServer::kUser));
    EXPECT_EQ(m[QStringLiteral("mail_from")].toString(), QStringLiteral("clerk@factory.test"));
    EXPECT_EQ(strings(m[QStringLiteral("rcpt_tos")]),
              QStringList({QStringLiteral("boss@factory.test"), QStringLiteral("acct@factory.test")}));
    EXPECT_EQ(m[QStringLiteral("subject")].toString(), a.subject);
    EXPECT_EQ(m[QStringLiteral("body")].toString(),
              QStringLiteral("各位好：\r\n本月计件工资已核算完毕。\r\n.\r\n请查收。"));
    EXPECT_EQ(m[QStringLiteral("charset")].toString(), QStringLiteral("utf-8"));
    const QJsonObject headers = m[QStringLiteral("headers")].toObject();
    EXPECT_EQ(headers[QStringLiteral("From")].toString(), QStringLiteral("clerk@factory.test"));
    EXPECT_EQ(headers[QStringLiteral("Reply-To")].toString(), QStringLiteral("clerk@factory.test"));
    EXPECT_EQ(headers[QStringLiteral("To")].toString(),
              QStringLiteral("boss@factory.test, 会计 <acct@factory.test>"));
    EXPECT_FALSE(headers[QStringLiteral("Date")].toString().isEmpty());
    EXPECT_TRUE(headers[QStringLiteral("Message-ID")].toString().endsWith(QStringLiteral("@factory.test>")));

    const std::vector<Step> expected = {{1, kPrepare}, {2, kConnect}, {2, kConnected},
                                        {9, kLoading}, {9, kSending}, {10, kSending}};
    EXPECT_EQ(steps, expected);
}

TEST_F(SendMessageTest, EmptyFromAddressUsesDefaultSenderAndNoReplyTo)
{
    SmtpServer server;
    ASSERT_TRUE(server.running()) << server.failure().toStdString();
    MailArgs a = argsFor(server);
    a.recipients = QStringLiteral("boss@factory.test");

    EXPECT_TRUE(SendMessage(a));

    const auto messages = server.messages();
    ASSERT_EQ(messages.size(), 1);
    const QJsonObject m = messages.first();
    EXPECT_EQ(m[QStringLiteral("mail_from")].toString(), QStringLiteral("notice@factory.test"));
    const QJsonObject headers = m[QStringLiteral("headers")].toObject();
    EXPECT_EQ(headers[QStringLiteral("From")].toString(), QStringLiteral("notice@factory.test"));
    EXPECT_FALSE(headers.contains(QStringLiteral("Reply-To")));
}

// Each case gives false with its failure text as step 9 of 10, and nothing is delivered.
TEST_F(SendMessageTest, ConnectionAndLoginFailuresGiveFalseAfterTheirText)
{
    struct Case {
        const char *name;
        SmtpServer::Mode mode;
        bool listening;
        const char *password;
        std::vector<Step> expected;
    };
    const std::vector<Case> cases = {
        {"wrong password", SmtpServer::Smtp, true, "wrong",
         {{1, kPrepare}, {2, kConnect}, {2, kConnected}, {9, kLoginFailed}}},
        {"server offers no login", SmtpServer::NoAuth, true, SmtpServer::kPassword,
         {{1, kPrepare}, {2, kConnect}, {2, kConnected}, {9, kLoginFailed}}},
        {"nothing listening", SmtpServer::Smtp, false, SmtpServer::kPassword,
         {{1, kPrepare}, {2, kConnect}, {9, kConnectFailed}}},
        {"accepts and never answers", SmtpServer::Silent, true, SmtpServer::kPassword,
         {{1, kPrepare}, {2, kConnect}, {9, kConnectFailed}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        steps.clear();
        SmtpServer server(c.mode);
        ASSERT_TRUE(server.running()) << server.failure().toStdString();
        MailArgs a = argsFor(server);
        a.password = QString::fromLatin1(c.password);
        a.recipients = QStringLiteral("boss@factory.test");
        if (!c.listening)
            a.port = QString::number(smtptest::closedPort());

        EXPECT_FALSE(SendMessage(a, shortTimeouts()));
        EXPECT_EQ(steps, c.expected);
        EXPECT_TRUE(server.messages().isEmpty());
    }
}

TEST_F(SendMessageTest, NonNumericPortFailsBeforeAnyConnection)
{
    MailArgs a;
    a.port = QStringLiteral("25x");
    EXPECT_THROW(SendMessage(a, shortTimeouts()), WageError);
    EXPECT_EQ(steps, std::vector<Step>({{1, kPrepare}}));  // never reached "连接服务器...."
}

TEST_F(SendMessageTest, RefusedRecipientIsASendingError)
{
    SmtpServer server;
    ASSERT_TRUE(server.running()) << server.failure().toStdString();
    MailArgs a = argsFor(server);
    a.recipients = QStringLiteral("boss@factory.test,refuse@factory.test");
    try {
        SendMessage(a, shortTimeouts());
        ADD_FAILURE() << "no error";
    } catch (const WageError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("邮件发送失败"))) << e.message().toStdString();
    }
    EXPECT_EQ(steps.back(), (Step{9, kSending}));
    EXPECT_TRUE(server.messages().isEmpty());
}
