#pragma once
// Error.Log in the program directory: one GBK line per entry, CR LF terminated, the file opened
// for appending and closed again for every entry.
#include <QString>

// Writes the text exactly; raises WageError when the log cannot be written.
void WriteErrLog(const QString &message);

namespace wage {
// The updater's form: current date and time, ": ", the message.
void WriteTimedLog(const QString &message);
// Short date and long time as the system formats them for log lines and the operation log.
QString nowText();
} // namespace wage
