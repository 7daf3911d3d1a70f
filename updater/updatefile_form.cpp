#include "updatefile_form.h"

#include "lansync.h"

#include "core/errlog.h"
#include "core/prompt.h"
#include "core/wageerror.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "net/fileversion.h"
#include "progress/tprogress.h"

#include <QAbstractItemView>
#include <QFile>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace {

const char *const kFilesSql = "select F_id,F_name,F_size,F_Content from F_UpdateFiles where F_id=:F_id";
const char *const kUsersSql = "select * from F_UpdateUsers where F_id=:F_id order by U_date desc";

wage::DataGrid *makeGrid(const QString &name, const QList<wage::GridColumn> &columns, wage::DataSource *source,
                         QWidget *parent)
{
    auto *grid = new wage::DataGrid(parent);
    grid->setObjectName(name);
    grid->setDataSource(source);
    grid->setColumns(columns);
    grid->setReadOnly(true);
    grid->view()->setSelectionBehavior(QAbstractItemView::SelectRows);
    return grid;
}

wage::GridColumn column(const char *field, const QString &caption, int width)
{
    wage::GridColumn c;
    c.fieldName = QString::fromLatin1(field);
    c.caption = caption;
    c.width = width;
    c.readOnly = true;
    return c;
}

} // namespace

TUpdateFile::TUpdateFile(wage::Connection *connection, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_connection(connection)
{
    setObjectName(QStringLiteral("UpdateFile"));
    setWindowTitle(QStringLiteral("升级文档管理"));
    resize(909, 604);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto addButton = [this](const char *name, const QString &caption, void (TUpdateFile::*handler)()) {
        auto *button = new QToolButton(ToolBar1);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(caption);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        ToolBar1->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        return button;
    };
    ToolButton3 = addButton("ToolButton3", QStringLiteral("新增升级"), &TUpdateFile::ToolButton3Click);
    ToolButton1 = addButton("ToolButton1", QStringLiteral("上传文档"), &TUpdateFile::ToolButton1Click);
    ToolButton2 = addButton("ToolButton2", QStringLiteral("设置为更新"), &TUpdateFile::ToolButton2Click);
    ToolButton4 = addButton("ToolButton4", QStringLiteral("删除升级档"), &TUpdateFile::ToolButton4Click);
    layout->addWidget(ToolBar1);

    ADOQuery1 = new wage::Dataset(connection, QStringLiteral("select * from  F_UpdateVer where F_Enabled=1"), this);
    ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
    DataSource1 = new wage::DataSource(ADOQuery1, this);
    ADOQuery2 = new wage::Dataset(connection, QString::fromLatin1(kFilesSql), this);
    ADOQuery2->setObjectName(QStringLiteral("ADOQuery2"));
    ADOQuery2->setMasterSource(DataSource1);
    ADOQuery2->setReadOnly(true);
    DataSource2 = new wage::DataSource(ADOQuery2, this);
    ADOQuery3 = new wage::Dataset(connection, QString::fromLatin1(kUsersSql), this);
    ADOQuery3->setObjectName(QStringLiteral("ADOQuery3"));
    ADOQuery3->setMasterSource(DataSource1);
    ADOQuery3->setReadOnly(true);
    DataSource3 = new wage::DataSource(ADOQuery3, this);

    auto *vertical = new QSplitter(Qt::Vertical, this);
    auto *top = new QSplitter(Qt::Horizontal, vertical);
    DBGridEh1 = makeGrid(QStringLiteral("DBGridEh1"),
                         {column("F_Enabled", QStringLiteral("更新"), 39), column("F_App_ver", QStringLiteral("版本"), 85),
                          column("F_Update", QStringLiteral("更新日期"), 149), column("F_Content", QStringLiteral("描述"), 123)},
                         DataSource1, top);
    DBGridEh2 = makeGrid(QStringLiteral("DBGridEh2"),
                         {column("F_name", QStringLiteral("文件"), 105), column("F_size", QStringLiteral("文件大小"), 90),
                          column("F_Content", QStringLiteral("文件描述"), 238)},
                         DataSource2, top);
    DBGridEh3 = makeGrid(QStringLiteral("DBGridEh3"),
                         {column("U_IP", QStringLiteral("终端IP"), 84), column("U_Computer", QStringLiteral("终端名称"), 106),
                          column("U_name", QStringLiteral("用户"), 86), column("U_PubIP", QStringLiteral("公网IP"), 96),
                          column("U_date", QStringLiteral("更新日期"), 118), column("U_OldVer", QStringLiteral("历史版本"), 95),
                          column("U_Path", QStringLiteral("路径"), 275)},
                         DataSource3, vertical);
    top->setSizes({420, 489});
    vertical->setSizes({330, 250});
    layout->addWidget(vertical, 1);
}

TUpdateFile::~TUpdateFile() = default;

void TUpdateFile::openQueries()
{
    ADOQuery1->open();
    ADOQuery2->open();
    ADOQuery3->open();
}

void TUpdateFile::guarded(const std::function<void()> &step)
{
    try {
        step();
    } catch (const WageError &e) {
        wage::prompt().error(e.message(), wage::systemCaption());
    } catch (const std::exception &e) {
        wage::prompt().error(QString::fromLocal8Bit(e.what()), wage::systemCaption());
    }
}

QString TUpdateFile::currentVersionId() const
{
    return QString::number(ADOQuery1->value(QStringLiteral("F_id")).toInt());
}

void TUpdateFile::ToolButton3Click()
{
    const QString file = wage::prompt().openFileName(QStringLiteral("新增升级"), QString(),
                                                     QStringLiteral("主程序 (Wagemain.exe wagemain.exe)"));
    if (file.isEmpty())
        return;
    RunSqlCommand(QStringLiteral("update F_UpdateVer set F_Enabled=0"), m_connection);
    ADOQuery1->append();
    ADOQuery1->setValue(QStringLiteral("F_Enabled"), 1);
    ADOQuery1->setValue(QStringLiteral("F_App_ver"), wage::readFileVersion(file));
    ADOQuery1->setValue(QStringLiteral("F_Update"), wage::nowText());
    ADOQuery1->post();
    SetDataSetRefresh(ADOQuery1);
}

void TUpdateFile::ToolButton1Click()
{
    if (ADOQuery1->isEmpty())
        return;
    const QStringList files = wage::prompt().openFileNames(QStringLiteral("上传文档"), QString(),
                                                           QStringLiteral("升级文档 (*.zip *.ZIP)"));
    Tprogress progress(this);
    const int versionId = ADOQuery1->value(QStringLiteral("F_id")).toInt();
    for (int i = 0; i < files.size(); ++i) {
        progress.showpress(i + 1, files.size(), QStringLiteral("正在上传") + files.at(i));
        updater::StorePackageFile(m_connection, QStringLiteral("MSSQL"), versionId, files.at(i), QString());
        QFile::remove(files.at(i));
    }
    SetDataSetRefresh(ADOQuery2);
}

void TUpdateFile::ToolButton2Click()
{
    if (ADOQuery1->isEmpty())
        return;
    const QString id = currentVersionId();
    RunSqlCommand(QStringLiteral("update F_UpdateVer set F_Enabled=0"), m_connection);
    RunSqlCommand(QStringLiteral("update F_UpdateVer set F_Enabled=1 where F_id=") + id, m_connection);
    SetDataSetRefresh(ADOQuery1);
}

void TUpdateFile::ToolButton4Click()
{
    if (ADOQuery1->isEmpty())
        return;
    if (!wage::prompt().question(QStringLiteral("确认要") + ToolButton4->text() + QStringLiteral("吗？"), wage::systemCaption()))
        return;
    const QString id = currentVersionId();
    RunSqlCommand(QStringLiteral("Delete F_UpdateFiles where F_id=") + id, m_connection);
    RunSqlCommand(QStringLiteral("Delete F_UpdateUsers where F_id=") + id, m_connection);
    ADOQuery1->remove();
}
