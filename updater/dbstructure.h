#pragma once
// The wage database's structure as the current programs expect it: the fixed checks run at
// every start, and the one-shot script "Autoupdate.ini" that packages carry.
#include <QString>
#include <QStringList>

class Tprogress;
namespace wage { class Connection; }

namespace updater {

// Adds what is missing; failing statements are ignored, a column test on a missing table
// raises the database error.
void CheckDatabaseStructure(wage::Connection *connection, const QString &dialect, Tprogress *progress);

// Executes "Autoupdate.ini" of the program directory line by line and deletes it. Without an
// open connection nothing can run: the file stays for a later run, the failure is logged and
// the result is false with the reason in `error`.
bool RunAutoUpdateScript(wage::Connection *connection, Tprogress *progress, QString *error = nullptr);

// The lines of a script file as the system reads them (GBK or UTF-8; a final line break ends
// the last line, it does not start another).
QStringList ReadScriptLines(const QByteArray &bytes);
// The statement of a script line: the text before its first "[", trimmed.
QString ScriptStatement(const QString &line);

} // namespace updater
