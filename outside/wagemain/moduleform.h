#pragma once
// One module of the host: the records of one table (with the lines of the current record for
// orders and products) and the named objects that plug-ins look up: "datasource1",
// "DataSource2", "pagec", "ToolButton1", "ToolButton3", "ToolButton13", "DBGridEhD".
#include "pluginhost.h"

#include <QWidget>

class QTabWidget;
class QToolBar;
class QToolButton;

namespace wage { class DataGrid; class Dataset; class DataSource; }

namespace host {

class TDataModule1;

struct ModuleInfo {
    QString table;
    QString caption;
    QString detailTable;   // lines of the current record, empty when none
    QString linkField;     // the parameter that binds the lines to the record
};
const QList<ModuleInfo> &modules();
const ModuleInfo *moduleInfo(const QString &table);

class TModuleForm : public QWidget {
    Q_OBJECT
public:
    TModuleForm(const ModuleInfo &info, TDataModule1 *dataModule, const PluginHost &plugins,
                const QString &user, QWidget *parent = nullptr);

    QString table() const { return m_info.table; }
    // Opens the module's plug-in function of that caption; false when none is loaded.
    bool openFunction(const QString &caption);
    // Tells the module's plug-ins to free their windows.
    void closePlugins();

    wage::Dataset *master = nullptr;
    wage::DataSource *datasource1 = nullptr;
    wage::Dataset *detail = nullptr;
    wage::DataSource *DataSource2 = nullptr;
    QTabWidget *pagec = nullptr;
    wage::DataGrid *DBGridEh1 = nullptr;
    wage::DataGrid *DBGridEhD = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QToolButton *ToolButton3 = nullptr;
    QToolButton *ToolButton13 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void ToolButton1Click();
    void ToolButton3Click();
    void ToolButton13Click();
    QToolButton *addButton(QToolBar *bar, const QString &name, const QString &text);
    wage::DataGrid *addGrid(const QString &name, const QString &table, wage::DataSource *source, QWidget *parent);
    void openData();

    ModuleInfo m_info;
    TDataModule1 *m_dataModule;
    QList<LoadedPlugin> m_plugins;
    QString m_user;
};

} // namespace host
