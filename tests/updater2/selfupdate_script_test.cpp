// The replacement script: the batch lines of the Windows edition, and the shell script run for
// real in directories whose paths hold blanks and Chinese characters.
#include "selfupdate.h"

#include "core/appdir.h"
#include "core/textcodec.h"
#include "testdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace updater;

TEST(SelfUpdateBatch, LinesOfBothBatchFiles)
{
    const QString s = QStringLiteral("C:\\PROGRA~1\\Wage\\UPDATE~1.EXE");
    const QString dir = QStringLiteral("C:\\Program Files\\Wage\\");
    const QStringList expected{
        ":try",
        "del \"C:\\PROGRA~1\\Wage\\UPDATE~1.EXE\"",
        "if exist \"C:\\PROGRA~1\\Wage\\UPDATE~1.EXE\" goto try",
        ":trydel",
        "del \"C:\\Program Files\\Wage\\update.exe\"",
        "if exist \"C:\\Program Files\\Wage\\update.exe\" goto trydel",
        ":tryren",
        "ren NewUpdate.exe update.exe",
        "if exist \"C:\\Program Files\\Wage\\NewUpdate.exe\" goto tryren",
        "cls",
        "update.exe",
        "del %0",
        "exit",
    };
    EXPECT_EQ(ReplaceBatchLines(s, dir, false), expected);
    QStringList host = expected;
    host[10] = "wagemain.exe";
    EXPECT_EQ(ReplaceBatchLines(s, dir, true), host);
    EXPECT_EQ(RenameBatchLines(s), (QStringList{":try", "del \"C:\\PROGRA~1\\Wage\\UPDATE~1.EXE\"",
                                                "if exist \"C:\\PROGRA~1\\Wage\\UPDATE~1.EXE\" goto try",
                                                "ren update.exe.zip update.exe", "del %0", "cls", "exit"}));
}

TEST(SelfUpdateBatch, BatchIsWrittenInGbkWithCrLf)
{
    QTemporaryDir dir;
    // Started with cmd.exe on Windows only: here the start fails, the file is written all the same.
    WriteAndStartScript(dir.filePath("$$a$$.bat"), {":try", "del \"D:\\计件\\update.exe\""}, dir.path());
    QFile f(dir.filePath("$$a$$.bat"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(":try\r\n") + wage::toGbk(QStringLiteral("del \"D:\\计件\\update.exe\"")) + "\r\n");
}

namespace {

// A stand-in program: a shell script that records its name and working directory, then ends.
void writeProgram(const QString &path, const QString &marker, const QString &name)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // One write of the whole line, so that a reader never sees half of it.
    f.write("#!/bin/sh\nline=\"" + name.toUtf8() + " $(pwd)${1:+ $*}\"\necho \"$line\" >> " + ShellQuote(marker).toUtf8() + "\n");
    f.close();
    // Deliberately not executable: an archive does not keep the mode, the script sets it.
}

bool waitFor(const std::function<bool()> &condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 15000)
            return false;
        QThread::msleep(20);
    }
    return true;
}

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

struct ScriptCase {
    const char *label;
    bool newFilePresent;
    bool hostStarted;
    bool selfNamedUpdate;   // the running updater is "Update.exe" rather than "update.exe"
    QStringList arguments = {};
};

} // namespace

void runScriptCase(const ScriptCase &c)
{
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/升级 目录 it's-XXXXXX"));
    ASSERT_TRUE(root.isValid());
    const QString dir = root.path() + QStringLiteral("/计件 工资");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString marker = dir + QStringLiteral("/started.txt");
    const QString self = dir + (c.selfNamedUpdate ? QStringLiteral("/Update.exe") : QStringLiteral("/update.exe"));
    writeProgram(self, marker, QStringLiteral("old"));
    QFile::setPermissions(self, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (c.newFilePresent)
        writeProgram(dir + QStringLiteral("/NewUpdate.exe"), marker, QStringLiteral("new"));
    writeProgram(dir + QStringLiteral("/wagemain.exe"), marker, QStringLiteral("host"));
    QFile::setPermissions(dir + QStringLiteral("/wagemain.exe"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    // The "old updater": a process that is still running when the script starts.
    QProcess old;
    old.start(QStringLiteral("/bin/sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(old.waitForStarted());

    ReplacementPlan plan;
    plan.oldPid = old.processId();
    plan.selfPath = self;
    plan.workDir = dir;
    plan.programDir = dir;
    plan.newFile = dir + QStringLiteral("/NewUpdate.exe");
    plan.startAfter = c.hostStarted ? QStringLiteral("wagemain.exe") : QStringLiteral("update.exe");
    plan.startArguments = c.arguments;
    const QString script = dir + QStringLiteral("/") + ScriptFileName();
    ASSERT_TRUE(WriteAndStartScript(script, ReplacementShellLines(plan), dir));

    QThread::msleep(400);
    // Nothing is touched while the old process lives.
    EXPECT_TRUE(QFileInfo::exists(script));
    EXPECT_FALSE(QFileInfo::exists(marker));
    old.kill();
    old.waitForFinished();

    ASSERT_TRUE(waitFor([&] { return !QFileInfo::exists(script); })) << c.label;
    // The marker exists as soon as the program opens it: wait for the finished line.
    ASSERT_TRUE(waitFor([&] { return readText(marker).endsWith(QLatin1Char('\n')); })) << c.label;

    const QString updater = dir + QStringLiteral("/update.exe");
    const QString who = c.hostStarted ? QStringLiteral("host") : (c.newFilePresent ? QStringLiteral("new") : QStringLiteral("old"));
    EXPECT_EQ(readText(marker).trimmed(), QStringList({who, dir}).join(QLatin1Char(' ')) + (c.arguments.isEmpty() ? QString() : QLatin1Char(' ') + c.arguments.join(QLatin1Char(' ')))) << c.label;
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/NewUpdate.exe")));
    EXPECT_TRUE(QFileInfo::exists(updater)) << "never without an updater";
    EXPECT_EQ(readText(updater).contains(QStringLiteral("line=\"new")), c.newFilePresent) << c.label;
    if (c.selfNamedUpdate && c.newFilePresent)
        EXPECT_FALSE(QFileInfo::exists(self));
}

TEST(ReplacementScriptRun, WaitsSwapsStartsAndDeletesItself)
{
    const ScriptCase cases[] = {
        {"new updater started", true, false, false},
        {"host started after a host-started update", true, true, false},
        {"old file named Update.exe", true, false, true},
        {"no NewUpdate.exe: old updater stays and starts", false, false, false},
        {"an unattended run goes on as one", true, false, false, {QStringLiteral("AUTO")}},
    };
    for (const ScriptCase &c : cases) {
        SCOPED_TRACE(c.label);
        runScriptCase(c);
    }
}

TEST(SelfUpdateCommdown, KeysOfCommlist)
{
    wagetest::ProgramDirFixture dir;
    dir.write("netupdate.ini", wage::toGbk(QStringLiteral("[commlist]\n 报表.dll =1\nOther.exe=1\n[x]\nmissing.dll=1\n")));
    dir.write("报表.dll", "x");
    dir.write("missing.dll", "x");
    EXPECT_TRUE(commdown(QStringLiteral(" 报表.DLL ")));
    EXPECT_FALSE(commdown(QStringLiteral("Other.exe"))) << "listed but not on disk";
    EXPECT_FALSE(commdown(QStringLiteral("missing.dll"))) << "on disk but in another section";
}
