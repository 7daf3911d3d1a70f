// The built update.exe run unattended ("AUTO", no display) as a job would run it: it never
// waits for anybody, says everything on standard output and Error.Log, and ends with a status.
#include "lanfixture.h"
#include "updaterfixture.h"

#include "core/textcodec.h"
#include "db/connection.h"
#include "httpserver.h"
#include "net/fileversion.h"
#include "testdir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct UpdaterRun {
    int status = -1;
    QString output;
};

UpdaterRun runUpdater(const QString &dir)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // The host program started after the update ends by itself.
    env.insert("WAGE_HOST_EXIT_AFTER_MS", "500");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir);
    process.start(dir + "/update.exe", {"AUTO"});
    UpdaterRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

QByteArray zip(const QList<updatertest::ZipEntry> &entries)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath("p.zip");
    updatertest::makeZip(path, entries);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(UnattendedRun, EndsWithItsStatusAndNeverWaits)
{
    QTemporaryDir root;
    const QString dir = root.path();
    const QString app = wagetest::builtAppDir();
    ASSERT_TRUE(QFile::copy(app + "/update.exe", dir + "/update.exe"));
    const QString own = wage::readFileVersion(dir + "/update.exe");
    {
        QFile host(dir + "/wagemain.exe");
        ASSERT_TRUE(host.open(QIODevice::WriteOnly));
        host.write(lantest::hostProgramWithVersion("4.40.2.10"));
    }
    {
        wage::Connection c;
        c.openFile(dir + "/f_data.mdb", wage::Dialect::Access);
        c.execute("create table userinfo (user_id int, user_name nvarchar(50))");
    }
    wagetest::HttpServer server;
    server.add("/Access.xml", wage::toGbk("<?xml version=\"1.0\" encoding=\"gb2312\"?><update><MessStr>说明;一</MessStr>"
                                          "<Ver>4.40.2.11</Ver><UpdateVer>" + own + "</UpdateVer><UpPath></UpPath>"
                                          "<Upcount>1</Upcount><UpFile1>pkg1.zip</UpFile1><UpDataCount>0</UpDataCount>"
                                          "<ExpCount>0</ExpCount></update>"),
               "text/xml");
    QFile ini(dir + "/Usertem.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(wage::toGbk("[main Position]\r\nconnectionstr=ACCESS\r\n[vendor]\r\nBaseURL=" + server.url() + "\r\n"));
    ini.close();

    // A web page where the package should be: a failed update, said on standard output.
    server.add("/pkg1.zip", "<html>not here</html>", "text/html");
    UpdaterRun failed = runUpdater(dir);
    EXPECT_EQ(failed.status, 1) << failed.output.toStdString();
    EXPECT_TRUE(failed.output.contains(QStringLiteral("升级过程中出现了错误了"))) << failed.output.toStdString();
    QFile log(dir + "/Error.Log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(wage::fromGbk(log.readAll()).contains(QStringLiteral("升级过程中出现了错误了")));

    // The package served: updated, then up to date; both end with 0.
    server.add("/pkg1.zip", zip({{"readme.txt", "new"}, {"wagemain.exe", lantest::hostProgramWithVersion("4.40.2.11")}}));
    UpdaterRun updated = runUpdater(dir);
    EXPECT_EQ(updated.status, 0) << updated.output.toStdString();
    EXPECT_TRUE(updated.output.contains(QStringLiteral("升级完成！")));
    EXPECT_EQ(wage::readFileVersion(dir + "/wagemain.exe"), QStringLiteral("4.40.2.11"));

    UpdaterRun current = runUpdater(dir);
    EXPECT_EQ(current.status, 0) << current.output.toStdString();
    EXPECT_TRUE(current.output.contains(QStringLiteral("( 4.40.2.11 )已是最新版本")));
}
