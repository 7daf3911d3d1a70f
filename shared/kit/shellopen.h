#pragma once
// Opening a file or address with the desktop's associated program (exported tables, help). The
// opener is replaceable so that tests see what would have been opened without starting anything.
#include <QString>
#include <QUrl>
#include <functional>

namespace wage {

bool shellOpen(const QUrl &url);
bool shellOpenFile(const QString &path);
// nullptr restores the desktop opener.
void setShellOpener(std::function<bool(const QUrl &)> opener);

} // namespace wage
