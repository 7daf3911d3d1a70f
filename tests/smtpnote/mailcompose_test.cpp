// Settings resolution and the message's Internet form, without a server.
#include "mailmessage.h"
#include "mailsettings.h"

#include "core/wageerror.h"
#include "testdir.h"

#include <gtest/gtest.h>

using namespace smtpnote;

namespace {

const QByteArray kOfflineIni =
    "[main Position]\r\nINTERNET_CONNECTION=OFFLINE\r\n"
    "[vendor]\r\nMailHost=mail.factory.test\r\nMailUser=clerk@factory.test\r\nMailFrom=notice@factory.test\r\n";

} // namespace

TEST(SmtpSettings, EmptyArgumentsTakeTheInstallationDefaultsAndPort25)
{
    wagetest::ProgramDirFixture dir;
    dir.write(QStringLiteral("Usertem.ini"), kOfflineIni);
    const MailSettings s = ResolveSettings({});
    EXPECT_EQ(s.host, QStringLiteral("mail.factory.test"));
    EXPECT_EQ(s.userName, QStringLiteral("clerk@factory.test"));
    EXPECT_EQ(s.port, 25);
    EXPECT_TRUE(s.password.isEmpty());  // offline: nothing fetched

    MailArgs given;
    given.host = QStringLiteral("127.0.0.1");
    given.userName = QStringLiteral("u");
    given.password = QStringLiteral("p");
    given.port = QStringLiteral("2525");
    const MailSettings g = ResolveSettings(given);
    EXPECT_EQ(g.host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(g.userName, QStringLiteral("u"));
    EXPECT_EQ(g.password, QStringLiteral("p"));
    EXPECT_EQ(g.port, 2525);
}

TEST(SmtpSettings, PortMustBeADecimalPortNumber)
{
    EXPECT_EQ(ParsePort(QStringLiteral("25")), 25);
    EXPECT_EQ(ParsePort(QStringLiteral(" 2525 ")), 2525);
    EXPECT_EQ(ParsePort(QStringLiteral("65535")), 65535);
    for (const char *bad : {"abc", "25a", "0x19", "-25", "0", "65536", "99999999999", " ", "２５"})
        EXPECT_THROW(ParsePort(QString::fromUtf8(bad)), WageError) << bad;
}

TEST(SmtpMessage, AddressListsKeepNamesAndRefuseLineBreaks)
{
    const auto list = ParseAddressList(
        QStringLiteral(" a@x.test ,, \"Zhang, San\" <b@y.test>,王工 <c@z.test>, "));
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].address, QStringLiteral("a@x.test"));
    EXPECT_EQ(list[1].name, QStringLiteral("Zhang, San"));
    EXPECT_EQ(list[1].address, QStringLiteral("b@y.test"));
    EXPECT_EQ(list[2].name, QStringLiteral("王工"));
    EXPECT_EQ(list[2].address, QStringLiteral("c@z.test"));

    for (const char *bad : {"a@x.test\r\nRCPT TO:<evil@x.test>", "a b@x.test", "<>", "x <a@x.test>\r\nBcc: e@x.test"})
        EXPECT_THROW(ParseAddressList(QString::fromUtf8(bad)), WageError) << bad;
}

TEST(SmtpMessage, LongChineseSubjectIsFoldedIntoShortEncodedWords)
{
    const QString subject = QStringLiteral("工资").repeated(60) + QStringLiteral("😀");
    const QByteArray encoded = EncodeHeaderText(subject);
    QString decoded;
    for (const QByteArray &line : encoded.split('\n')) {
        const QByteArray word = line.trimmed();
        EXPECT_LE(word.size() + 9, 76) << "header line too long";  // "Subject: " + word
        ASSERT_TRUE(word.startsWith("=?UTF-8?B?") && word.endsWith("?="));
        decoded += QString::fromUtf8(QByteArray::fromBase64(word.mid(10, word.size() - 12)));
    }
    EXPECT_EQ(decoded, subject);  // no character split across two words
    EXPECT_EQ(EncodeHeaderText(QStringLiteral("Plain notice")), QByteArray("Plain notice"));
    EXPECT_TRUE(EncodeHeaderText(QStringLiteral("a=?b")).startsWith("=?UTF-8?B?"));
}
