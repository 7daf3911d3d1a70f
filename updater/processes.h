#pragma once
// The running programs of the installation: finding and ending them, starting the host.
#include <QString>
#include <QStringList>

namespace updater {

// Looks through the current user's processes for one whose executable name (or full path)
// equals `programName` without regard to case. With `kill` every match is terminated and the
// result is that of the last termination (1 done, 0 failed); without it the result is 1 when a
// match exists. No match gives 0.
int KillTask(const QString &programName, bool kill);

// Starts a program of the program directory detached, with the program directory as its
// working directory; false when it could not be started.
bool StartProgram(const QString &fileName, const QStringList &arguments = {});

// Ends this process at once with `exitCode` (no windows closed), after flushing standard output.
[[noreturn]] void EndProcessNow(int exitCode);

} // namespace updater
