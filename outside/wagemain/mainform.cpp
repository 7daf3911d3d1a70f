#include "mainform.h"

#include "datamodule.h"
#include "moduleform.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

namespace host {

TMainForm::TMainForm(TDataModule1 *dataModule, const PluginHost &plugins, const QString &user, QWidget *parent)
    : QMainWindow(parent), m_dataModule(dataModule), m_plugins(plugins), m_user(user), m_area(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("计件工资管理系统"));
    m_area->setObjectName(QStringLiteral("MdiArea"));
    m_area->setViewMode(QMdiArea::TabbedView);
    m_area->setTabsClosable(true);
    setCentralWidget(m_area);
    QMenu *menu = menuBar()->addMenu(QStringLiteral("模块"));
    for (const ModuleInfo &info : modules()) {
        const QString table = info.table;
        menu->addAction(info.caption, this, [this, table] { openModule(table); });
    }
    statusBar()->addWidget(new QLabel(QStringLiteral("操作员：") + user));
    statusBar()->addWidget(new QLabel(QStringLiteral("插件：%1 个").arg(plugins.plugins().size())));
    statusBar()->addWidget(new QLabel(dataModule->ADOConnection1->databasePath()), 1);
    resize(1024, 700);
}

TModuleForm *TMainForm::module(const QString &table) const
{
    for (QMdiSubWindow *sub : m_area->subWindowList()) {
        auto *form = qobject_cast<TModuleForm *>(sub->widget());
        if (form && form->table().compare(table, Qt::CaseInsensitive) == 0)
            return form;
    }
    return nullptr;
}

TModuleForm *TMainForm::openModule(const QString &table)
{
    if (TModuleForm *open = module(table)) {
        m_area->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(open->parentWidget()));
        return open;
    }
    const ModuleInfo *info = moduleInfo(table);
    if (!info)
        return nullptr;
    auto *form = new TModuleForm(*info, m_dataModule, m_plugins, m_user);
    QMdiSubWindow *sub = m_area->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->showMaximized();
    return form;
}

void TMainForm::closeModules()
{
    m_area->closeAllSubWindows();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    closeModules();
    event->accept();
}

} // namespace host
