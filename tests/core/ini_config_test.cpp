#include "core/appdir.h"
#include "core/config.h"
#include "core/errlog.h"
#include "core/inifile.h"
#include "core/textcodec.h"

#include "testdir.h"

#include <QFile>
#include <gtest/gtest.h>

using wagetest::ProgramDirFixture;

TEST(Inistring, ReadWriteDeleteEraseAndUnknownMode)
{
    ProgramDirFixture dir;
    dir.write("Usertem.ini", "; keep me\r\n[main Position]\r\nconnectionstr=ACCESS\r\nVersion = 4.40 \r\n\r\n[public]\r\nr1=a\r\n[display]\r\nw=1\r\n");
    EXPECT_EQ(inistring("main Position", "Version", "", "USERTEM.INI", "read"), "4.40");
    EXPECT_EQ(inistring("main Position", "Missing", "  dflt  ", "Usertem.ini", "READ"), "dflt");
    EXPECT_EQ(inistring("MAIN POSITION", "CONNECTIONSTR", "", "usertem.ini", "Read"), "ACCESS");

    inistring("main Position", "KeyIP", "10.0.0.5", "Usertem.ini", "write");
    inistring("", "public", "", "Usertem.ini", "erase");
    inistring("main Position", "Version", "", "Usertem.ini", "delete");
    EXPECT_EQ(inistring("main Position", "x", "y", "Usertem.ini", "bogus"), "");

    const QByteArray text = dir.read("Usertem.ini");
    EXPECT_TRUE(text.startsWith("; keep me\r\n[main Position]\r\nconnectionstr=ACCESS\r\nKeyIP=10.0.0.5\r\n"));
    EXPECT_FALSE(text.contains("[public]"));
    EXPECT_FALSE(text.contains("r1=a"));
    EXPECT_FALSE(text.contains("Version"));
    EXPECT_TRUE(text.contains("[display]\r\nw=1\r\n"));
    // Only one file exists: the case-insensitive resolver found the existing one.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(Inistring, MissingFileReadsEmptyAndWriteCreatesIt)
{
    ProgramDirFixture dir;
    EXPECT_EQ(inistring("main Position", "AID", "", "Usertem.ini", "read"), "");
    inistring("main Position", "AID", "8001", "Usertem.ini", "write");
    EXPECT_EQ(dir.read("Usertem.ini"), "[main Position]\r\nAID=8001\r\n");
}

TEST(Inistring, GbkFileRoundTripsAndUtf8FileStaysUtf8)
{
    ProgramDirFixture dir;
    dir.write("Usertem.ini", wage::toGbk(QStringLiteral("[报表]\r\n名称=工资汇总\r\n")));
    EXPECT_EQ(inistring("报表", "名称", "", "Usertem.ini", "read"), QStringLiteral("工资汇总"));
    inistring("报表", "说明", "计件", "Usertem.ini", "write");
    EXPECT_EQ(dir.read("Usertem.ini"), wage::toGbk(QStringLiteral("[报表]\r\n名称=工资汇总\r\n说明=计件\r\n")));

    dir.write("Other.ini", QStringLiteral("[报表]\n名称=工资汇总\n").toUtf8());
    inistring("报表", "说明", "计件", "Other.ini", "write");
    EXPECT_EQ(dir.read("Other.ini"), QStringLiteral("[报表]\r\n名称=工资汇总\r\n说明=计件\r\n").toUtf8());
}

TEST(Inistring, WriteToUnwritableDirectoryFailsAndReadStaysEmpty)
{
    ProgramDirFixture dir;
    wage::setProgramDir(dir.file("no/such/dir"));
    EXPECT_EQ(inistring("a", "b", "", "Usertem.ini", "read"), "");
    EXPECT_THROW(inistring("a", "b", "c", "Usertem.ini", "write"), std::exception);
}

TEST(GetConType, DialectFromConnectionString)
{
    struct Case { QByteArray ini; const char *want; };
    const Case cases[] = {
        {"", "ACCESS"},
        {"[main Position]\r\nconnectionstr=\r\n", "ACCESS"},
        {"[main Position]\r\nconnectionstr=mssql#127.0.0.1,1433#wage\r\n", "MSSQL"},
        {"[main Position]\r\nconnectionstr=  Access  #x\r\n", "ACCESS"},
        {"[main Position]\r\nconnectionstr=#x\r\n", "ACCESS"},
        {"[main Position]\r\nconnectionstr=oracle#x\r\n", "ORACLE"},
    };
    for (const auto &c : cases) {
        ProgramDirFixture dir;
        if (!c.ini.isEmpty())
            dir.write("usertem.ini", c.ini);
        EXPECT_EQ(GetConType(), QString::fromLatin1(c.want)) << c.ini.constData();
    }
}

TEST(AccessConnectionString, NamesProviderPathAndPassword)
{
    EXPECT_EQ(wage::AccessConnectionString(),
              "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=f_data.mdb;"
              "Jet OLEDB:Database Password=\"PxLane!5@7#9qtr\"");
}

TEST(VendorConfig, DefaultsAndConfiguredValues)
{
    ProgramDirFixture dir;
    EXPECT_TRUE(wage::VendorConfig::baseUrl().endsWith('/'));
    dir.write("Usertem.ini", "[vendor]\r\nBaseURL=http://127.0.0.1:9/wage\r\nMailHost=mail.local\r\n");
    EXPECT_EQ(wage::VendorConfig::baseUrl(), "http://127.0.0.1:9/wage/");
    EXPECT_EQ(wage::VendorConfig::mailHost(), "mail.local");
    EXPECT_EQ(wage::VendorConfig::mailFrom(), wage::VendorConfig::defaultValue("MailFrom"));
}

TEST(WriteErrLog, AppendsGbkLinesWithCrLf)
{
    ProgramDirFixture dir;
    WriteErrLog(QStringLiteral("第一行"));
    WriteErrLog(QStringLiteral("msg\r0\rselect 1"));
    EXPECT_EQ(dir.read("Error.Log"), wage::toGbk(QStringLiteral("第一行\r\nmsg\r0\rselect 1\r\n")));
}

TEST(ProgramFile, ResolvesNamesWithoutRegardToCaseAndBackslashes)
{
    ProgramDirFixture dir;
    dir.write("Report/Report.ini", "x");
    EXPECT_EQ(wage::programFile("REPORT\\report.INI"), dir.file("Report/Report.ini"));
    EXPECT_EQ(wage::programFile("Report\\new.ini"), dir.file("Report/new.ini"));
    EXPECT_EQ(wage::programFile("升级备份/Usertem.ini"), dir.file("升级备份/Usertem.ini"));
}

TEST(TextCodec, DecodesUtf8OrGbk)
{
    const QString text = QStringLiteral("计件工资 ABC");
    EXPECT_EQ(wage::decodeLocalText(text.toUtf8()), text);
    EXPECT_EQ(wage::decodeLocalText(wage::toGbk(text)), text);
    EXPECT_EQ(wage::fromGbk(wage::toGbk(text)), text);
    EXPECT_EQ(wage::decodeLocalText("\xEF\xBB\xBFok"), "ok");
    EXPECT_FALSE(wage::isValidUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(wage::isValidUtf8("\xE4\xB8"));      // cut short
    EXPECT_TRUE(wage::isValidUtf8("\xF0\x9F\x98\x80"));
}
