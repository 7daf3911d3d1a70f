#pragma once
// Replacing the running updater. A running program cannot safely overwrite itself, so the
// updater writes a small script next to itself, starts it and ends: the script waits until the
// old process is gone, puts the new executable in place, starts the new program and deletes
// itself. On Windows this is the batch file "$$a$$.bat"; here it is a /bin/sh script
// "$$a$$.sh" that polls the old process id.
#include <QString>
#include <QStringList>

namespace updater {

// What a replacement script needs to know; paths are absolute.
struct ReplacementPlan {
    qint64 oldPid = 0;          // the updater process to wait for
    QString selfPath;           // the running updater's executable
    QString workDir;            // where the new file lies (the updater's working directory)
    QString programDir;         // where "update.exe" (and "wagemain.exe") live
    QString newFile;            // the file that becomes update.exe ("NewUpdate.exe", "update.exe.zip")
    QString startAfter;         // "update.exe", "wagemain.exe", or empty for nothing
    QStringList startArguments; // passed to the program started afterwards
};

// The name of the script in the program directory: "$$a$$.sh" (or "$$a$$.bat" on Windows).
QString ScriptFileName();

// The batch lines of the Windows edition. `shortSelf` is the 8.3 form of the running updater's
// path, `programDir` ends with a backslash.
QStringList ReplaceBatchLines(const QString &shortSelf, const QString &programDir, bool hostStarted);
QStringList RenameBatchLines(const QString &shortSelf);

// The shell script for a plan; every path is quoted, so blanks and Chinese names are safe. The
// old executable is only removed once the new one has taken its place.
QStringList ReplacementShellLines(const ReplacementPlan &plan);
// A text as one single-quoted shell word.
QString ShellQuote(const QString &text);

// Writes the script (GBK with CR LF for a batch, UTF-8 with LF for a shell script) and starts it
// detached in `workDir`; false when it could not be written or started.
bool WriteAndStartScript(const QString &scriptPath, const QStringList &lines, const QString &workDir);

// Writes and starts the replacement script for NewUpdate.exe (extracted into the working
// directory). `hostStarted`: the updater had two or more parameters, so the host program is
// started afterwards instead of the updater; otherwise the new updater gets `restartArguments`
// (an unattended "AUTO" run goes on as one). The caller ends the process when this is true.
bool ReplaceUpdater(bool hostStarted, const QStringList &restartArguments = {});
// Writes and starts the script that turns "update.exe.zip" of the working directory into
// update.exe once this process has ended. The caller lets the application end normally.
bool RenameUpdaterOnExit();

// True when `fileName` is one of the key names of section "commlist" in netupdate.ini (both
// trimmed, without regard to case) and the file exists in the program directory.
bool commdown(const QString &fileName);

} // namespace updater
