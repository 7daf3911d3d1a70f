// The updater's text routines and the manifest reader.
#include "manifest.h"
#include "textroutines.h"

#include "core/textcodec.h"
#include "core/wageerror.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace updater;

TEST(UpdaterText, RemoteConnectionParameters)
{
    // "1.2.3.4,1433" as hex pairs; a pair that is no hex number drops what came before it.
    EXPECT_EQ(HexToText("312E322E332E342C31343333"), "1.2.3.4,1433");
    EXPECT_EQ(HexToText("4142zz4344"), "CD");
    EXPECT_EQ(HexToText(""), "");
    EXPECT_EQ(HostOfUrl("http://192.0.2.10:8080/x"), "192.0.2.10");
    EXPECT_EQ(HostOfUrl("http://db.example/"), "db.example/");
    EXPECT_EQ(SplitText(',', " a ", 0), QStringList{" a "});
    EXPECT_EQ(SplitText(';', "h; a;;b ", 1), (QStringList{"h", "a", "b"}));
    EXPECT_EQ(SplitText(';', "h;;b", 0), (QStringList{"h", "", "b"}));
}

TEST(UpdaterText, CaptionsFolderNamesAndServer2Link)
{
    EXPECT_EQ(NewsRowCaption(1), "01");
    EXPECT_EQ(NewsRowCaption(9), "09");
    EXPECT_EQ(NewsRowCaption(10), "10");
    EXPECT_EQ(NewsRowCaption(11), "11");
    const QString folder = BackupFolderName(QDateTime(QDate(2026, 12, 9), QTime(23, 5, 7)));
    EXPECT_EQ(folder, "2026-12-09 23-05-07");
    EXPECT_FALSE(folder.contains(':') || folder.contains('/'));
    const QString page = QStringLiteral(
        "<html><p>下载</p><p><a href=\"http://127.0.0.1:8080/real/pkg1.zip\">http://127.0.0.1:8080/real/pkg1.zip</a></p></html>");
    EXPECT_EQ(Server2LinkFromPage(page), "http://127.0.0.1:8080/real/pkg1.zip");
    EXPECT_EQ(Server2LinkFromPage("plain text"), "plain text");
}

TEST(Manifest, ReadsKeysByDeclaredEncoding)
{
    const QByteArray utf8 = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                           "<update><Ver>4.40.2.10</Ver><MessStr>新闻;一;二</MessStr>"
                                           "<UpName1>工资模块</UpName1><Nested><a>1</a></Nested><Empty/></update>")
                                .toUtf8();
    EXPECT_EQ(ManifestValueOf(utf8, "Ver"), "4.40.2.10");
    EXPECT_EQ(ManifestValueOf(utf8, "MessStr"), QStringLiteral("新闻;一;二"));
    EXPECT_EQ(ManifestValueOf(utf8, "Missing"), "");
    EXPECT_EQ(ManifestValueOf(utf8, "Nested"), "");
    EXPECT_EQ(ManifestValueOf(utf8, "Empty"), "");

    const QByteArray gbk = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<root><UpName1>"
        + wage::toGbk(QStringLiteral("计件工资")) + "</UpName1></root>";
    EXPECT_EQ(ManifestValueOf(gbk, "UpName1"), QStringLiteral("计件工资"));
    EXPECT_EQ(ManifestName("MSSQL"), "SqlServer.xml");
    EXPECT_EQ(ManifestName("ACCESS"), "Access.xml");
    EXPECT_EQ(ManifestName("ORACLE"), "Access.xml");
}

TEST(Manifest, ADocumentThatIsNoXmlRaises)
{
    for (const QByteArray &bad : {QByteArray("<html><body>404 Not Found"), QByteArray(""), QByteArray("Ver=1")})
        EXPECT_THROW(ManifestValueOf(bad, "Ver"), WageError) << bad.constData();
}
