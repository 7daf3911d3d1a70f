// A running update.exe finds a newer updater on the vendor server, replaces itself through the
// script and the new one starts: real processes in a program directory whose path holds blanks
// and Chinese characters.
#include "updaterfixture.h"

#include "core/textcodec.h"
#include "httpserver.h"
#include "net/fileversion.h"
#include "testdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/types.h>

#include <gtest/gtest.h>

namespace {

bool waitFor(const std::function<bool()> &condition, int ms = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QThread::msleep(50);
    }
    return true;
}

// Processes whose executable lies in `dir` (the updaters this test started, directly or
// through the script).
QList<qint64> processesIn(const QString &dir)
{
    QList<qint64> pids;
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        const QString exe = QFile::symLinkTarget("/proc/" + entry + "/exe");
        if (!exe.isEmpty() && QFileInfo(exe).absolutePath() == dir)
            pids << pid;
    }
    return pids;
}

QString text(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

TEST(SelfReplacement, RunningUpdaterReplacesItselfAndTheNewOneStarts)
{
    QTemporaryDir root(QDir::tempPath() + "/自更新 测试-XXXXXX");
    const QString dir = root.path() + "/计件 工资";
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString app = wagetest::builtAppDir();
    ASSERT_TRUE(QFile::copy(app + "/update.exe", dir + "/update.exe"));
    ASSERT_TRUE(QFile::copy(app + "/Alert.dll", dir + "/Alert.dll"));
    const QString oldVersion = wage::readFileVersion(dir + "/update.exe");
    ASSERT_FALSE(oldVersion.isEmpty());

    // The new updater: the same program carrying a higher version.
    const QString staged = root.path() + "/NewUpdate.exe";
    ASSERT_TRUE(QFile::copy(app + "/update.exe", staged));
    QFile::setPermissions(staged, QFile::permissions(staged) | QFile::WriteOwner);
    ASSERT_TRUE(setFileVersion(staged, "9.9.9.9"));
    QFile f(staged);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray newUpdater = f.readAll();
    f.close();
    const QString package = root.path() + "/Update.zip";
    ASSERT_TRUE(updatertest::makeZip(package, {{"NewUpdate.exe", newUpdater}}));
    QFile zip(package);
    ASSERT_TRUE(zip.open(QIODevice::ReadOnly));

    wagetest::HttpServer server;
    server.add("/Update.zip", zip.readAll());
    server.add("/Access.xml", "<?xml version=\"1.0\"?><update><UpdateVer>9.9.9.9</UpdateVer><UpPath></UpPath>"
                              "<Ver>4.40.2.10</Ver></update>", "text/xml");
    QFile ini(dir + "/Usertem.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(wage::toGbk("[main Position]\r\nconnectionstr=ACCESS\r\n[vendor]\r\nBaseURL=" + server.url() + "\r\n"));
    ini.close();

    QProcess old;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("WAGE_ALERT_LOG", "1");
    old.setProcessEnvironment(env);
    old.setWorkingDirectory(dir);
    old.start(dir + "/update.exe", {});
    ASSERT_TRUE(old.waitForStarted());
    struct Cleanup {
        QString dir;
        ~Cleanup()
        {
            for (qint64 pid : processesIn(dir))
                ::kill(pid_t(pid), SIGKILL);
        }
    } cleanup{dir};

    // The old updater ends itself (exit code 1) once the script is running.
    ASSERT_TRUE(old.waitForFinished(30000)) << text(dir + "/AlertCalls.log").toStdString();
    EXPECT_EQ(old.exitCode(), 1);
    EXPECT_TRUE(server.requestedPaths().contains("/Update.zip"));

    // The script swaps the files, starts the new updater and deletes itself.
    ASSERT_TRUE(waitFor([&] { return !QFileInfo::exists(dir + "/$$a$$.sh"); }));
    EXPECT_EQ(wage::readFileVersion(dir + "/update.exe"), QStringLiteral("9.9.9.9"));
    EXPECT_FALSE(QFileInfo::exists(dir + "/NewUpdate.exe"));
    EXPECT_FALSE(QFileInfo::exists(dir + "/Update.zip"));
    // The new updater runs: it reaches the connection step, which only it can (the old one
    // replaced itself before), and it is the program of the directory.
    ASSERT_TRUE(waitFor([&] { return text(dir + "/AlertCalls.log").contains(QStringLiteral("没发现配置程序")); }))
        << text(dir + "/AlertCalls.log").toStdString();
    const QList<qint64> running = processesIn(dir);
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(QFile::symLinkTarget("/proc/" + QString::number(running.first()) + "/exe"), dir + "/update.exe");
    EXPECT_TRUE(text(dir + "/AlertCalls.log").contains(QStringLiteral("正在更新升级程序.....")));
}
