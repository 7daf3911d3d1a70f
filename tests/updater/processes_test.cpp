// Finding and ending programs of the installation by their executable's name.
#include "processes.h"

#include "testdir.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

TEST(KillTask, FindsByNameWithoutRegardToCaseAndEndsEveryMatch)
{
    wagetest::ProgramDirFixture dir;
    // A name of its own, so that tests running beside this one never touch these processes.
    const QString name = QStringLiteral("KillMe%1.exe").arg(QCoreApplication::applicationPid());
    const QString path = dir.file(name);
    ASSERT_TRUE(QFile::copy(wagetest::builtAppDir() + "/tools.exe", path));
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);

    EXPECT_EQ(updater::KillTask(name, false), 0);
    QProcess first, second;
    first.start(path);
    second.start(path);
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(second.waitForStarted());

    EXPECT_EQ(updater::KillTask(name.toUpper(), false), 1);
    EXPECT_EQ(updater::KillTask(path, false), 1);   // the full path matches as well
    EXPECT_EQ(updater::KillTask(name.toLower(), true), 1);
    EXPECT_TRUE(first.waitForFinished(5000));
    EXPECT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(updater::KillTask(name, false), 0);
}
