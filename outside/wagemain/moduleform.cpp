#include "moduleform.h"

#include "datamodule.h"

#include "core/errlog.h"
#include "core/prompt.h"
#include "db/datasource.h"
#include "kit/datagrid.h"
#include "kit/disgrid.h"
#include "db/dbroutines.h"
#include "kit/rights.h"

#include <QCloseEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace host {

const QList<ModuleInfo> &modules()
{
    static const QList<ModuleInfo> list = {
        {QStringLiteral("f_jijm"), QStringLiteral("计件工资"), {}, {}},
        {QStringLiteral("f_pici"), QStringLiteral("订单信息"), QStringLiteral("f_pcmx"), QStringLiteral("pc_id")},
        {QStringLiteral("f_ijpn"), QStringLiteral("产品信息"), QStringLiteral("f_ipgx"), QStringLiteral("ip_id")},
        {QStringLiteral("f_juar"), QStringLiteral("批量计件"), {}, {}},
    };
    return list;
}

const ModuleInfo *moduleInfo(const QString &table)
{
    for (const ModuleInfo &info : modules()) {
        if (info.table.compare(table, Qt::CaseInsensitive) == 0)
            return &info;
    }
    return nullptr;
}

TModuleForm::TModuleForm(const ModuleInfo &info, TDataModule1 *dataModule, const PluginHost &plugins,
                         const QString &user, QWidget *parent)
    : QWidget(parent), m_info(info), m_dataModule(dataModule), m_plugins(plugins.forTable(info.table)), m_user(user)
{
    setObjectName(QStringLiteral("Frm_") + info.table);
    setWindowTitle(info.caption);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    ToolButton1 = addButton(bar, QStringLiteral("ToolButton1"), QStringLiteral("新增"));
    ToolButton3 = addButton(bar, QStringLiteral("ToolButton3"), QStringLiteral("保存"));
    ToolButton13 = addButton(bar, QStringLiteral("ToolButton13"), QStringLiteral("刷新"));
    connect(ToolButton1, &QToolButton::clicked, this, &TModuleForm::ToolButton1Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TModuleForm::ToolButton3Click);
    connect(ToolButton13, &QToolButton::clicked, this, &TModuleForm::ToolButton13Click);
    bar->addSeparator();
    // Each plug-in of this module is one more function of the tool bar.
    for (const LoadedPlugin &plugin : m_plugins) {
        QAction *action = bar->addAction(plugin.caption);
        action->setObjectName(QStringLiteral("Plugin_") + plugin.caption);
        const QString caption = plugin.caption;
        connect(action, &QAction::triggered, this, [this, caption] { openFunction(caption); });
    }
    layout->addWidget(bar);

    master = new wage::Dataset(dataModule->ADOConnection1,
                               GetDataSQLStr(user, info.table, dataModule->ADOConnection1), this);
    datasource1 = new wage::DataSource(master, this);
    datasource1->setObjectName(QStringLiteral("datasource1"));

    pagec = new QTabWidget(this);
    pagec->setObjectName(QStringLiteral("pagec"));
    auto *split = new QSplitter(Qt::Vertical);
    DBGridEh1 = addGrid(QStringLiteral("DBGridEh1"), info.table, datasource1, split);
    if (!info.detailTable.isEmpty()) {
        detail = new wage::Dataset(dataModule->ADOConnection1,
                                   QStringLiteral("select * from %1 where %2=:%2").arg(info.detailTable, info.linkField), this);
        detail->setMasterSource(datasource1);
        DataSource2 = new wage::DataSource(detail, this);
        DataSource2->setObjectName(QStringLiteral("DataSource2"));
        DBGridEhD = addGrid(QStringLiteral("DBGridEhD"), info.detailTable, DataSource2, split);
        DBGridEhD->view()->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    pagec->addTab(split, info.caption);
    layout->addWidget(pagec, 1);
    openData();
    // The layout needs the opened fields.
    for (wage::DataGrid *grid : {DBGridEh1, DBGridEhD}) {
        if (grid)
            DisGrid(grid->property("wage.table").toString(), m_user, grid->dataSource(),
                    m_dataModule->ADOConnection1, grid);
    }
}

QToolButton *TModuleForm::addButton(QToolBar *bar, const QString &name, const QString &text)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(text);
    bar->addWidget(button);
    return button;
}

// The module's grids are laid out from the field registry, as the plug-ins' own grids are.
wage::DataGrid *TModuleForm::addGrid(const QString &name, const QString &table, wage::DataSource *source,
                                     QWidget *parent)
{
    auto *grid = new wage::DataGrid(parent);
    grid->setObjectName(name);
    grid->setRowNumbers(true);
    grid->setProperty("wage.table", table);
    grid->setDataSource(source);
    return grid;
}

void TModuleForm::openData()
{
    try {
        master->open();
        if (detail)
            detail->open();
    } catch (const std::exception &e) {
        try {
            WriteErrLog(QString::fromUtf8(e.what()));
        } catch (const std::exception &) {
        }
        wage::prompt().error(QStringLiteral("无法打开%1的数据：\r%2").arg(m_info.caption, QString::fromUtf8(e.what())),
                             QStringLiteral("提示"));
    }
}

bool TModuleForm::openFunction(const QString &caption)
{
    for (const LoadedPlugin &plugin : m_plugins) {
        if (plugin.caption == caption) {
            openPlugin(plugin, m_user, this, m_dataModule);
            return true;
        }
    }
    return false;
}

void TModuleForm::closePlugins()
{
    for (const LoadedPlugin &plugin : m_plugins)
        plugin.close();
}

void TModuleForm::closeEvent(QCloseEvent *event)
{
    closePlugins();
    event->accept();
}

void TModuleForm::ToolButton1Click()
{
    try {
        master->append();
    } catch (const std::exception &e) {
        wage::prompt().error(QString::fromUtf8(e.what()), QStringLiteral("提示"));
    }
}

void TModuleForm::ToolButton3Click()
{
    try {
        master->checkBrowseMode();
    } catch (const std::exception &e) {
        wage::prompt().error(QString::fromUtf8(e.what()), QStringLiteral("提示"));
    }
}

void TModuleForm::ToolButton13Click()
{
    if (master->isActive())
        SetDataSetRefresh(master);
}

} // namespace host
