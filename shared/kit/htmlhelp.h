#pragma once
// Compiled help. The system addresses topics as "<dir>\help.chm::/<topic>.html". On this
// platform the help file is handed to the desktop's viewer for .chm files (the topic cannot be
// passed through it, so the viewer opens at the file's start); a missing file is reported in a
// message that names the file and the topic.
#include <QString>

class QWidget;

inline constexpr int HH_DISPLAY_TOPIC = 0;

// True when the help file was handed to the viewer.
bool HtmlHelp(QWidget *window, const QString &helpPath, int command, int data);

namespace wage {
// "C:\x\help.chm::/a.html" -> file "C:/x/help.chm", topic "a.html".
void splitHelpPath(const QString &helpPath, QString *file, QString *topic);
} // namespace wage
