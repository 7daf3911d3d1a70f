#pragma once
// The optional outside Alert.dll of the program directory, loaded by full path on every call.
#include <QString>

namespace wage { class Connection; }

void AlertMess(const QString &caption, const QString &message);
void AlertConn(wage::Connection *connection);
// Restarts (optionally) and ends the process at once with exit code 1.
[[noreturn]] void KillApplication(bool restart);
