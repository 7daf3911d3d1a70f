// The main window's self-update, report button, document management, extension pictures, the
// clean-up at close, and an online update on one workstation taken over by another.
#include "lanfixture.h"
#include "updatefile_form.h"
#include "updaterfixture.h"

#include "core/appdir.h"
#include "core/textcodec.h"
#include "db/dataset.h"
#include "db/dbroutines.h"
#include "net/fileversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>

#include "jpegfixture.h"

namespace {

QByteArray smallJpeg()
{
    return makeJpeg(16, 16, false, [](int) { return qRgb(120, 120, 120); });
}

QMap<QString, QString> manifest(const QString &ver, const QString &updateVer)
{
    return {{"MessStr", "新闻"}, {"Ver", ver}, {"UpdateVer", updateVer}, {"Upcount", "1"}, {"UpType1", "基础"},
            {"UpName1", "主程序"}, {"UpTime1", "2026-12-01"}, {"UpNote1", "修正"}, {"UpFile1", "pkg1.zip"},
            {"UpDataCount", "0"}, {"UpPath", ""}, {"ExpCount", "2"}, {"ExpType1", "拓展"}, {"ExpName1", "订单监控"},
            {"ExpVer1", "1.0.0.3"}, {"ExpNote1", "按订单监控生产进度"}, {"ExpImage1", "images/e1.jpg"},
            {"ExpType2", "拓展"}, {"ExpName2", "批量计件"}, {"ExpVer2", "1.0.0.1"}, {"ExpNote2", "多人同时计件"}};
}

using Window2 = UpdaterFixture;

} // namespace

TEST_F(Window2, SelfUpdateSkipsAnEqualVersionAndKeepsTheUpdaterWhenThePackageLacksIt)
{
    const QString own = GetBuildVersion(QString());
    ASSERT_FALSE(own.isEmpty());
    serveManifest(manifest("4.40.2.10", own));
    auto w = makeWindow({});
    EXPECT_FALSE(w->SelfUpdate());
    EXPECT_FALSE(server.requestedPaths().contains("/Update.zip"));

    serveManifest(manifest("4.40.2.10", "99.0.0.0"));
    servePackage("/Update.zip", {{"readme.txt", "no updater inside"}});
    EXPECT_FALSE(w->SelfUpdate());
    EXPECT_TRUE(server.requestedPaths().contains("/Update.zip"));
    EXPECT_FALSE(ended);
    EXPECT_FALSE(QFileInfo::exists(dir.file("Update.zip")));
    EXPECT_FALSE(QFileInfo::exists(dir.file("$$a$$.sh")));
    EXPECT_TRUE(errorLog().contains("NewUpdate.exe")) << errorLog().toStdString() << "|" << prompt.texts().join('|').toStdString();
}

TEST_F(Window2, ClosingWithANewUpdaterLeftByAPackageStartsTheRenameScript)
{
    dir.write("update.exe.zip", "new updater");
    dir.write("netupdate.ini", "[commlist]\r\n");
    QDir::setCurrent(dir.path());
    {
        auto w = makeWindow({});
    }
    EXPECT_FALSE(QFileInfo::exists(dir.file("netupdate.ini")));
    const QString script = wage::decodeLocalText(dir.read("$$a$$.sh"));
    EXPECT_TRUE(script.contains("old=" + QString::number(QCoreApplication::applicationPid())));
    EXPECT_TRUE(script.contains("new='" + dir.file("update.exe.zip") + "'"));
    EXPECT_TRUE(script.contains("target='" + dir.file("update.exe") + "'"));
    // The script waits for this test process; it is not left to act on the temporary folder.
    QFile::remove(dir.file("$$a$$.sh"));
}

TEST_F(Window2, ReportButtonShowsTheFailureOfADefinitionWithoutTable)
{
    makeDatabase();
    QList<updatertest::ZipEntry> entries{{"Report/Report.ini", wage::toGbk(QStringLiteral("[public]\r\n甲=甲表,f_a,0\r\n坏=只有标题\r\n"))}};
    ASSERT_TRUE(updatertest::makeZip(dir.file("Report.zip"), entries));
    QDir::setCurrent(dir.path());
    auto w = makeWindow({});
    ASSERT_TRUE(w->ConnectLocalAccess());
    RunSqlCommand("drop table f_sqlcase", w->connection());
    w->connection()->execute("create table f_sqlcase (script_type nvarchar(20), script_table nvarchar(40), table_caption nvarchar(40),"
                             " script_name nvarchar(60), Script_index int, Script image, report image)");
    w->Button1Click();
    EXPECT_FALSE(QFileInfo::exists(dir.file("Report.zip")));
    ASSERT_FALSE(prompt.texts().isEmpty());
    EXPECT_TRUE(prompt.texts().last().startsWith(QStringLiteral("更新失败"))) << prompt.texts().last().toStdString();
    EXPECT_EQ(GetSqli("select count(*) from f_sqlcase where script_name='甲'", w->connection()), 1);
    EXPECT_TRUE(QFileInfo::exists(dir.file("Report/Report.ini"))) << "the folder stays after the button";
}

TEST_F(Window2, ExtensionRowsShowTheirNoteAndPicture)
{
    serveManifest(manifest("4.40.2.10", "4.40.2.10"));
    server.add("/images/e1.jpg", smallJpeg(), "image/jpeg");
    auto w = makeWindow({});
    w->FillUpdateLists();
    ASSERT_EQ(w->ListView2->topLevelItemCount(), 2);

    w->ListView2->setCurrentItem(w->ListView2->topLevelItem(0));
    w->ListView2Click();
    EXPECT_EQ(w->Memo3->toPlainText(), QStringLiteral("按订单监控生产进度"));
    EXPECT_FALSE(w->Image2->isHidden());
    ASSERT_FALSE(w->Image2->pixmap().isNull());
    const qint64 picture = w->Image2->pixmap().cacheKey();

    // No picture key: hidden, note shown.
    w->ListView2->setCurrentItem(w->ListView2->topLevelItem(1));
    w->ListView2Click();
    EXPECT_EQ(w->Memo3->toPlainText(), QStringLiteral("多人同时计件"));
    EXPECT_TRUE(w->Image2->isHidden());

    // The page's own picture missing or broken: the picture stays as it was, no message.
    w->PageControl1Change(1);
    server.add("/images/weixin.jpg", QByteArray("\xff\xd8\xff\xe0 broken"), "image/jpeg");
    w->PageControl1Change(1);
    EXPECT_EQ(w->Image2->pixmap().cacheKey(), picture);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(Window2, OnlineUpdateOnOneWorkstationIsTakenOverByAnotherAtItsStart)
{
    // Workstation A updates from the Internet and stores the version in the shared database.
    const QString db = dir.file("wage.db");
    makeDatabase(db, true);
    writeIni({{"connectionstr", "MSSQL#file:" + db}});
    installHost("4.40.2.10");
    installLinkcfg();
    const QByteArray newHost = lantest::hostProgramWithVersion("4.40.3.0");
    serveManifest(manifest("4.40.3.0", "4.40.2.10"), "SqlServer.xml");
    servePackage("/pkg1.zip", {{"wagemain.exe", newHost}});
    QDir::setCurrent(dir.path());
    {
        auto a = makeWindow({"auto"});
        a->FormShow();
        a->Timer1Timer();
        ASSERT_EQ(GetBuildVersion("wagemain.exe"), QStringLiteral("4.40.3.0"))
            << prompt.texts().join("|").toStdString() << errorLog().toStdString();
        EXPECT_EQ(GetSqlStr("select F_App_ver from F_UpdateVer where F_Enabled=1", a->connection()), QStringLiteral("4.40.3.0"));
        EXPECT_EQ(GetSqlStr("select F_name from F_UpdateFiles", a->connection()), QStringLiteral("pkg1.zip"));
        EXPECT_EQ(GetSqlStr("select F_Content from F_UpdateFiles", a->connection()), QStringLiteral("修正"));

        // 文档管理 shows the version in the document-management window.
        TUpdateFile *shown = nullptr;
        int versions = 0;
        a->showModal = [&](QDialog *window) {
            shown = qobject_cast<TUpdateFile *>(window);
            versions = shown ? shown->ADOQuery1->recordCount() : -1;
            QDir().mkpath(WAGE_UPDATER2_SHOTS_DIR);
            window->grab().save(QStringLiteral(WAGE_UPDATER2_SHOTS_DIR "/updatefile_from_main.png"));
        };
        a->BitBtn2Click();
        EXPECT_NE(shown, nullptr);
        EXPECT_EQ(versions, 1);
    }

    // Workstation B, another program directory on the same database, started by the host.
    lantest::Workstation b;
    b.install(db, "4.40.2.10", "http://127.0.0.1:1/ip");
    QFile::copy(dir.file("Linkcfg.dll"), b.file("Linkcfg.dll"));
    wage::setProgramDir(b.path());
    QDir::setCurrent(b.path());
    started.clear();
    ended = false;
    auto w = makeWindow({"张三", "1"});
    w->FormShow();
    EXPECT_TRUE(ended);
    EXPECT_EQ(started, QStringList{"wagemain.exe"});
    EXPECT_EQ(wage::readFileVersion(b.file("wagemain.exe")), QStringLiteral("4.40.3.0"));
    EXPECT_EQ(GetSqlStr("select U_name from F_UpdateUsers", w->connection()), QStringLiteral("张三"));
    EXPECT_EQ(GetSqlStr("select U_OldVer from F_UpdateUsers", w->connection()), QStringLiteral("4.40.2.10"));
}
