#pragma once
// Small helpers that every step of the updater shares: files of the program directory, the
// error log that never throws, and the marker of an update that has not finished.
#include <QString>

namespace updater {

bool programFileExists(const QString &name);
// One line in Error.Log (date, time, ": ", text); a log that cannot be written is ignored.
void logLine(const QString &message);

// The version of an update whose packages are not all installed yet (section "update", key
// "Unfinished" of Usertem.ini); empty when none is pending. Marking raises WageError when the
// file cannot be written; clearing only logs.
QString unfinishedUpdate();
void markUpdateUnfinished(const QString &version);
void clearUnfinishedUpdate();

} // namespace updater
