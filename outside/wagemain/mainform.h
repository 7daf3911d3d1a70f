#pragma once
// The host's main window: the module menu and the work area holding the module windows.
#include "pluginhost.h"

#include <QMainWindow>

class QMdiArea;

namespace host {

class TDataModule1;
class TModuleForm;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(TDataModule1 *dataModule, const PluginHost &plugins, const QString &user, QWidget *parent = nullptr);

    // The module window of that table, opened when needed; nullptr for an unknown table.
    TModuleForm *openModule(const QString &table);
    TModuleForm *module(const QString &table) const;
    // Closes every module (their plug-ins free their windows).
    void closeModules();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    TDataModule1 *m_dataModule;
    const PluginHost &m_plugins;
    QString m_user;
    QMdiArea *m_area;
};

} // namespace host
