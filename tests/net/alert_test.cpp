#include "net/alert.h"

#include "core/prompt.h"
#include "testdir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
void closeMessageBoxes()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox *>(w))
            w->close();
    QCoreApplication::processEvents();
}
} // namespace

TEST(AlertMess, WithoutTheDllShowsAPlainBox)
{
    wagetest::ProgramDirFixture dir;
    wage::ScopedScriptedPrompt prompt;
    AlertMess(QStringLiteral("系统提示"), QStringLiteral("升级完成！"));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown.first().kind, wage::PromptKind::Message);
    EXPECT_EQ(prompt.shown.first().text, QStringLiteral("升级完成！"));
    EXPECT_TRUE(prompt.shown.first().caption.isEmpty());
    // Without the DLL a connection hand-over does nothing.
    AlertConn(nullptr);
}

TEST(AlertMess, TheInstalledDllShowsTheMessage)
{
    wagetest::ProgramDirFixture dir;
    ASSERT_TRUE(QFile::copy(wagetest::builtAppDir() + QStringLiteral("/Alert.dll"), dir.file(QStringLiteral("alert.DLL"))));
    qputenv("WAGE_ALERT_LOG", "1");
    wage::ScopedScriptedPrompt prompt;
    AlertMess(QStringLiteral("系统提示"), QStringLiteral("升级完成！"));
    AlertMess(QStringLiteral("提示"), QStringLiteral("第二条"));
    int connection = 0;
    AlertConn(reinterpret_cast<wage::Connection *>(&connection));
    qunsetenv("WAGE_ALERT_LOG");
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(QString::fromUtf8(dir.read(QStringLiteral("AlertCalls.log"))),
              QStringLiteral("ShowModMess\t系统提示\t升级完成！\nShowModMess\t提示\t第二条\nSetConn\tset\n"));
    // The boxes do not block: they are open now.
    int boxes = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        boxes += qobject_cast<QMessageBox *>(w) && w->isVisible();
    EXPECT_EQ(boxes, 2);
    closeMessageBoxes();
}

TEST(AlertMess, AnUnattendedRunGetsTheMessageInsteadOfTheDll)
{
    // Nobody sees the DLL's window in an unattended run: the message goes to the run's output.
    struct Unattended : wage::ScopedScriptedPrompt {
        bool unattended() const override { return true; }
    };
    wagetest::ProgramDirFixture dir;
    ASSERT_TRUE(QFile::copy(wagetest::builtAppDir() + QStringLiteral("/Alert.dll"), dir.file(QStringLiteral("Alert.dll"))));
    qputenv("WAGE_ALERT_LOG", "1");
    Unattended prompt;
    AlertMess(QStringLiteral("系统提示"), QStringLiteral("服务器已更新。"));
    qunsetenv("WAGE_ALERT_LOG");
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown.first().caption, QStringLiteral("系统提示"));
    EXPECT_EQ(prompt.shown.first().text, QStringLiteral("服务器已更新。"));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("AlertCalls.log"))));
}

TEST(AlertMess, ADllWithoutShowModMessShowsNothing)
{
    wagetest::ProgramDirFixture dir;
    ASSERT_TRUE(QFile::copy(QStringLiteral(NOSHOW_ALERT), dir.file(QStringLiteral("Alert.dll"))));
    wage::ScopedScriptedPrompt prompt;
    AlertMess(QStringLiteral("系统提示"), QStringLiteral("升级完成！"));
    EXPECT_TRUE(prompt.shown.isEmpty());
    AlertConn(nullptr);
    EXPECT_EQ(dir.read(QStringLiteral("SetConn.mark")), QByteArray("null\n"));
}

TEST(AlertMess, AFileThatIsNoLibraryShowsNothing)
{
    wagetest::ProgramDirFixture dir;
    dir.write(QStringLiteral("Alert.dll"), "MZ not really a library");
    wage::ScopedScriptedPrompt prompt;
    AlertMess(QStringLiteral("系统提示"), QStringLiteral("升级完成！"));
    AlertConn(nullptr);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST(KillApplication, RestartsWithOwnCommandLineInProgramDirectory)
{
    QTemporaryDir work;
    const QString log = work.filePath(QStringLiteral("runs.log"));
    QProcess probe;
    probe.setWorkingDirectory(work.path());
    probe.start(QStringLiteral(KILLAPP_PROBE), {log, QStringLiteral("AUTO"), QStringLiteral("管理员")});
    ASSERT_TRUE(probe.waitForFinished(30000));
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 1);
    QStringList runs;
    for (int i = 0; i < 300 && runs.size() < 2; ++i) {
        QTest::qWait(50);
        QFile f(log);
        if (f.open(QIODevice::ReadOnly))
            runs = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    ASSERT_EQ(runs.size(), 2);
    const QString probeDir = QFileInfo(QStringLiteral(KILLAPP_PROBE)).absolutePath();
    EXPECT_EQ(runs.at(0), work.path() + QLatin1Char(' ') + log + QStringLiteral(" AUTO 管理员"));
    EXPECT_EQ(runs.at(1), probeDir + QLatin1Char(' ') + log + QStringLiteral(" AUTO 管理员"));
}
