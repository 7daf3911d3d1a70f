#pragma once
// The plug-ins of Plugins/: each library loaded once, its identity read with GetCaption and
// kept for the life of the program. A library that cannot serve is skipped with a line in
// Error.Log; the others keep working.
#include <QList>
#include <QString>

class QObject;

namespace host {

struct LoadedPlugin {
    QString file;       // the library's path
    QString caption;    // the function the user picks
    QString table;      // the module it extends
    bool (*show)(void *, const char *, QObject *, QObject *) = nullptr;
    void (*close)() = nullptr;
};

class PluginHost {
public:
    // Loads every file of `dir` (normally program directory + "Plugins").
    void loadAll(const QString &dir);
    const QList<LoadedPlugin> &plugins() const { return m_plugins; }
    QList<LoadedPlugin> forTable(const QString &table) const;
    const LoadedPlugin *find(const QString &table, const QString &caption) const;

private:
    QList<LoadedPlugin> m_plugins;
};

// Opens the plug-in with "function,user" (GBK).
void openPlugin(const LoadedPlugin &plugin, const QString &user, QObject *moduleWindow, QObject *dataModule);

} // namespace host
