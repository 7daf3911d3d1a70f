#pragma once
// What a plug-in borrows from the host: objects looked up by name, the parameter text, and
// the right check on usermod.
#include "kit/rights.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace wage {

class Connection;

// The first object below `root` (breadth first, so the nearest wins) whose objectName equals
// `name` without regard to case; nullptr when there is none.
QObject *findHostObject(QObject *root, const QString &name);
template <typename T>
T *findHostObjectAs(QObject *root, const QString &name)
{
    return qobject_cast<T *>(findHostObject(root, name));
}

// The window the host module lives in (the host's main window).
QWidget *hostMainWindow(QObject *hostWindow);

// The GBK parameter text split on "," with every item trimmed and empty items kept.
struct PluginParams {
    QStringList items;
    QString function() const { return items.value(0); }
    QString user() const { return items.value(1); }
};
PluginParams splitPluginParams(const char *gbkParams);

// Whether `user` holds the plug-in function `function` of module `table`. The administrator
// holds every right and causes no query; database errors pass on.
bool pluginRightGranted(Connection *connection, const QString &table, const QString &function,
                        const QString &user);

} // namespace wage
