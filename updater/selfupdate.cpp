#include "selfupdate.h"

#include "updaterfiles.h"

#include "core/appdir.h"
#include "core/inifile.h"
#include "core/strutil.h"
#include "core/textcodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#ifdef _WIN32
#include <windows.h>
#endif

namespace updater {
namespace {

QString withSlash(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

QString runningUpdaterPath()
{
    return QCoreApplication::applicationFilePath();
}

#ifdef _WIN32
QString shortPathOf(const QString &path)
{
    wchar_t buffer[260] = {};
    const std::wstring wide = QDir::toNativeSeparators(path).toStdWString();
    if (GetShortPathNameW(wide.c_str(), buffer, 259) == 0)
        return QString();
    return QString::fromWCharArray(buffer);
}

QString nativeProgramDir()
{
    return QDir::toNativeSeparators(withSlash(wage::programDir()));
}
#endif

} // namespace

QString ScriptFileName()
{
#ifdef _WIN32
    return QStringLiteral("$$a$$.bat");
#else
    return QStringLiteral("$$a$$.sh");
#endif
}

QStringList ReplaceBatchLines(const QString &shortSelf, const QString &programDir, bool hostStarted)
{
    const QString q = QStringLiteral("\"");
    const QString updater = q + programDir + QStringLiteral("update.exe") + q;
    return {
        QStringLiteral(":try"),
        QStringLiteral("del ") + q + shortSelf + q,
        QStringLiteral("if exist ") + q + shortSelf + q + QStringLiteral(" goto try"),
        QStringLiteral(":trydel"),
        QStringLiteral("del ") + updater,
        QStringLiteral("if exist ") + updater + QStringLiteral(" goto trydel"),
        QStringLiteral(":tryren"),
        QStringLiteral("ren NewUpdate.exe update.exe"),
        QStringLiteral("if exist ") + q + programDir + QStringLiteral("NewUpdate.exe") + q + QStringLiteral(" goto tryren"),
        QStringLiteral("cls"),
        hostStarted ? QStringLiteral("wagemain.exe") : QStringLiteral("update.exe"),
        QStringLiteral("del %0"),
        QStringLiteral("exit"),
    };
}

QStringList RenameBatchLines(const QString &shortSelf)
{
    const QString q = QStringLiteral("\"");
    return {
        QStringLiteral(":try"),
        QStringLiteral("del ") + q + shortSelf + q,
        QStringLiteral("if exist ") + q + shortSelf + q + QStringLiteral(" goto try"),
        QStringLiteral("ren update.exe.zip update.exe"),
        QStringLiteral("del %0"),
        QStringLiteral("cls"),
        QStringLiteral("exit"),
    };
}

QString ShellQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QStringList ReplacementShellLines(const ReplacementPlan &plan)
{
    const QString target = withSlash(plan.programDir) + QStringLiteral("update.exe");
    QStringList lines{
        QStringLiteral("#!/bin/sh"),
        QStringLiteral("# Written by update.exe: puts the new updater in place once the old one has ended."),
        QStringLiteral("old=%1").arg(plan.oldPid),
        // A process that has ended but is not yet reaped (state Z) counts as ended.
        QStringLiteral("while [ -d \"/proc/$old\" ] && ! grep -q '^State:[[:space:]]*Z' \"/proc/$old/status\" 2>/dev/null; do"),
        QStringLiteral("  sleep 0.2"),
        QStringLiteral("done"),
        QStringLiteral("cd ") + ShellQuote(plan.workDir) + QStringLiteral(" || exit 1"),
        QStringLiteral("new=") + ShellQuote(plan.newFile),
        QStringLiteral("target=") + ShellQuote(target),
        QStringLiteral("self=") + ShellQuote(plan.selfPath),
        // The rename replaces the old file in one step; without a new file the old one stays.
        QStringLiteral("if [ -f \"$new\" ]; then"),
        QStringLiteral("  chmod +x \"$new\""),
        QStringLiteral("  if mv -f \"$new\" \"$target\" && [ \"$self\" != \"$target\" ]; then"),
        QStringLiteral("    rm -f \"$self\""),
        QStringLiteral("  fi"),
        QStringLiteral("fi"),
    };
    if (!plan.startAfter.isEmpty()) {
        QString command = ShellQuote(QStringLiteral("./") + plan.startAfter);
        for (const QString &argument : plan.startArguments)
            command += QLatin1Char(' ') + ShellQuote(argument);
        lines << QStringLiteral("( cd ") + ShellQuote(plan.programDir) + QStringLiteral(" && exec ") + command
                     + QStringLiteral(" ) </dev/null >/dev/null 2>&1 &");
    }
    lines << QStringLiteral("rm -f \"$0\"") << QStringLiteral("exit 0");
    return lines;
}

bool WriteAndStartScript(const QString &scriptPath, const QStringList &lines, const QString &workDir)
{
    const bool batch = scriptPath.endsWith(QLatin1String(".bat"), Qt::CaseInsensitive);
    QByteArray bytes;
    if (batch) {
        for (const QString &line : lines)
            bytes += wage::toGbk(line) + "\r\n";
    } else {
        for (const QString &line : lines)
            bytes += line.toUtf8() + '\n';
    }
    QSaveFile file(scriptPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return false;
#ifdef _WIN32
    QProcess process;
    process.setProgram(QStringLiteral("cmd.exe"));
    process.setArguments({QStringLiteral("/c"), QDir::toNativeSeparators(scriptPath)});
    process.setWorkingDirectory(workDir);
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS;
    });
    return process.startDetached();
#else
    return QProcess::startDetached(QStringLiteral("/bin/sh"), {scriptPath}, workDir);
#endif
}

bool ReplaceUpdater(bool hostStarted, const QStringList &restartArguments)
{
    const QString script = wage::programFile(ScriptFileName());
    const QString workDir = QDir::currentPath();
#ifdef _WIN32
    Q_UNUSED(restartArguments);
    return WriteAndStartScript(script, ReplaceBatchLines(shortPathOf(runningUpdaterPath()), nativeProgramDir(), hostStarted),
                               workDir);
#else
    ReplacementPlan plan;
    plan.oldPid = QCoreApplication::applicationPid();
    plan.selfPath = runningUpdaterPath();
    plan.workDir = workDir;
    plan.programDir = wage::programDir();
    plan.newFile = wage::resolveIn(workDir, QStringLiteral("NewUpdate.exe"));
    plan.startAfter = hostStarted ? QStringLiteral("wagemain.exe") : QStringLiteral("update.exe");
    if (!hostStarted)
        plan.startArguments = restartArguments;
    return WriteAndStartScript(script, ReplacementShellLines(plan), workDir);
#endif
}

bool RenameUpdaterOnExit()
{
    const QString script = wage::programFile(ScriptFileName());
    const QString workDir = QDir::currentPath();
#ifdef _WIN32
    return WriteAndStartScript(script, RenameBatchLines(shortPathOf(runningUpdaterPath())), workDir);
#else
    ReplacementPlan plan;
    plan.oldPid = QCoreApplication::applicationPid();
    plan.selfPath = runningUpdaterPath();
    plan.workDir = workDir;
    // "ren update.exe.zip update.exe" renames within the working directory.
    plan.programDir = workDir;
    plan.newFile = wage::resolveIn(workDir, QStringLiteral("update.exe.zip"));
    return WriteAndStartScript(script, ReplacementShellLines(plan), workDir);
#endif
}

bool commdown(const QString &fileName)
{
    const QString wanted = TrimText(fileName);
    const wage::IniFile ini(wage::programFile(QStringLiteral("netupdate.ini")));
    for (const QString &key : ini.keys(QStringLiteral("commlist"))) {
        if (TrimText(key).compare(wanted, Qt::CaseInsensitive) == 0)
            return programFileExists(wanted);
    }
    return false;
}

} // namespace updater
