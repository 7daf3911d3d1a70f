// The script page "自定义公式": the administrator edits and test-runs the users' SQL scripts of
// order monitoring. It shows only after a middle-button press on the tabs by the administrator.
#include "ordmon/tordmon_form.h"
#include "ordmon/linesql.h"
#include "ordmon/namedradiogroup.h"

#include "core/errlog.h"
#include "core/handlerguard.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/recordroutines.h"
#include "kit/tmynavigator.h"
#include "net/alert.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

void TOrdmon_form::buildScriptPage(QWidget *page)
{
    DataSource_SQL = new wage::DataSource(ADOQuery_SQL, this);
    DataSource_SQL->setObjectName(QStringLiteral("DataSource_SQL"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    DBGridEh_SQL = new wage::DataGrid;
    DBGridEh_SQL->setObjectName(QStringLiteral("DBGridEh_SQL"));
    DBGridEh_SQL->setCheckBoxes(true);
    DBGridEh_SQL->setSearchPanel(true);
    DBGridEh_SQL->setDataSource(DataSource_SQL);
    auto column = [](const char *field, const char *caption, int width) {
        wage::GridColumn c;
        c.fieldName = QString::fromLatin1(field);
        c.caption = QString::fromUtf8(caption);
        c.width = width;
        return c;
    };
    DBGridEh_SQL->setColumns({column("Script_index", "执行顺序", 38), column("script_name", "脚本名称", 154),
                              column("script_active", "启用", 37)});
    MyNavigator1 = new TMyNavigator({QStringLiteral("新增"), QStringLiteral("删除"), QStringLiteral("修改"), QStringLiteral("保存"),
                                     QStringLiteral("取消(&C)"), QStringLiteral("刷新"), QStringLiteral("首条"), QStringLiteral("上条"),
                                     QStringLiteral("下条"), QStringLiteral("末条"), QStringLiteral("关闭"), QStringLiteral("测算")},
                                    DBGridEh_SQL, page);
    MyNavigator1->setObjectName(QStringLiteral("MyNavigator1"));
    MyNavigator1->setHints({QStringLiteral("新增记录"), QStringLiteral("删除记录"), QStringLiteral("修改"), QStringLiteral("保存"),
                            QStringLiteral("撤销操作"), QStringLiteral("刷新"), QStringLiteral("转到第一条记录"),
                            QStringLiteral("转到上一条记录"), QStringLiteral("转到下一条记录"), QStringLiteral("转到最后一条记录"),
                            QStringLiteral("关闭当前模块"), QStringLiteral("测算")});
    layout->addWidget(MyNavigator1);

    auto *split = new QSplitter(Qt::Horizontal, page);
    auto *list = new QGroupBox(QStringLiteral("脚本列表"), split);
    auto *listLayout = new QVBoxLayout(list);
    listLayout->addWidget(DBGridEh_SQL, 1);
    RadioGroup_Scirip = ordmon::namedRadioGroup(QStringLiteral("RadioGroup_Scirip"), QStringLiteral("脚本类型"),
                                        {QStringLiteral("订单监控"), QStringLiteral("订单实时")}, list);
    RadioGroup_Scirip->setItemIndex(0);
    listLayout->addWidget(RadioGroup_Scirip);

    auto *editors = new QWidget(split);
    auto *form = new QVBoxLayout(editors);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("脚本名称："), editors));
    ScriptNameEdit = new QLineEdit(editors);
    ScriptNameEdit->setObjectName(QStringLiteral("DBEdit_script_name"));
    row->addWidget(ScriptNameEdit, 1);
    row->addWidget(new QLabel(QStringLiteral("更新内容："), editors));
    IndexNameEdit = new QLineEdit(editors);
    IndexNameEdit->setObjectName(QStringLiteral("DBEdit_index_name"));
    row->addWidget(IndexNameEdit, 1);
    form->addLayout(row);
    form->addWidget(new QLabel(QStringLiteral("入库依据：工序名称为：包装\n脚本名称包含入库数量，将在看板模式下自动执行。"), editors));
    auto *texts = new QSplitter(Qt::Vertical, editors);
    ScriptEdit = new QPlainTextEdit(texts);
    ScriptEdit->setObjectName(QStringLiteral("DBMemo_Script"));
    NotesEdit = new QPlainTextEdit(texts);
    NotesEdit->setObjectName(QStringLiteral("DBMemo_notes"));
    texts->setSizes({300, 100});
    form->addWidget(texts, 1);
    split->setSizes({300, 700});
    layout->addWidget(split, 1);

    // The editors follow the current script and write what the user types into it.
    connect(DataSource_SQL, &wage::DataSource::dataChanged, this, [this] { loadScriptEditors(); });
    auto store = [this](const char *field, const QString &text) {
        if (m_loadingScript || !ADOQuery_SQL->isActive() || ADOQuery_SQL->isEmpty())
            return;
        wage::guardHandler(QStringLiteral("自定义公式"), [&] { ADOQuery_SQL->setValue(QString::fromLatin1(field), text); });
    };
    connect(ScriptNameEdit, &QLineEdit::textEdited, this, [store](const QString &t) { store("script_name", t); });
    connect(IndexNameEdit, &QLineEdit::textEdited, this, [store](const QString &t) { store("index_name", t); });
    connect(ScriptEdit, &QPlainTextEdit::textChanged, this, [this, store] { store("Script", ScriptEdit->toPlainText()); });
    connect(NotesEdit, &QPlainTextEdit::textChanged, this, [this, store] { store("notes", NotesEdit->toPlainText()); });

    connect(RadioGroup_Scirip, &TRadioGroup::Click, this, [this] { RadioGroup_SciripClick(); });
    connect(MyNavigator1, &TMyNavigator::DatasetEditorRequested, this, [this](int action) { MyNavigator1DatasetEditor(action); });
    connect(MyNavigator1, &TMyNavigator::Click, this, [this](const QString &caption) { MyNavigator1Click(caption); });
    PageControl2->tabBar()->installEventFilter(this);
}

void TOrdmon_form::loadScriptEditors()
{
    m_loadingScript = true;
    const bool has = ADOQuery_SQL->isActive() && !ADOQuery_SQL->isEmpty();
    auto text = [this, has](const char *field) {
        if (!has)
            return QString();
        const wage::Field f = ADOQuery_SQL->findField(QString::fromLatin1(field));
        return f.isValid() ? f.asString() : QString();
    };
    if (ScriptNameEdit->text() != text("script_name"))
        ScriptNameEdit->setText(text("script_name"));
    if (IndexNameEdit->text() != text("index_name"))
        IndexNameEdit->setText(text("index_name"));
    if (ScriptEdit->toPlainText() != text("Script"))
        ScriptEdit->setPlainText(text("Script"));
    if (NotesEdit->toPlainText() != text("notes"))
        NotesEdit->setPlainText(text("notes"));
    m_loadingScript = false;
}

bool TOrdmon_form::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == PageControl2->tabBar() && event->type() == QEvent::MouseButtonPress)
        PageControl2MouseDown(static_cast<QMouseEvent *>(event)->button());
    return wage::PluginForm::eventFilter(watched, event);
}

void TOrdmon_form::PageControl2MouseDown(Qt::MouseButton button)
{
    const bool show = button == Qt::MiddleButton && userName.trimmed() == QStringLiteral("系统管理员");
    PageControl2->setTabVisible(1, show);
}

void TOrdmon_form::RadioGroup_SciripClick()
{
    scriptType = RadioGroup_Scirip->itemText(RadioGroup_Scirip->ItemIndex());
    wage::guardHandler(QStringLiteral("自定义公式"), [this] { openScriptList(); });
}

void TOrdmon_form::MyNavigator1DatasetEditor(int action)
{
    wage::guardHandler(QStringLiteral("自定义公式"), [this, action] {
        const int rows = ADOQuery_SQL->recordCount();
        if (!DatasetEditor(ADOQuery_SQL, QStringLiteral("F_Sqlcase"), connection, action) || action != 1)
            return;
        ADOQuery_SQL->setValue(QStringLiteral("script_type"), scriptType);
        ADOQuery_SQL->setValue(QStringLiteral("script_table"), QStringLiteral("F_pici"));
        ADOQuery_SQL->setValue(QStringLiteral("table_caption"), QStringLiteral("订单信息"));
        ADOQuery_SQL->setValue(QStringLiteral("Script_index"), rows);
    });
}

void TOrdmon_form::MyNavigator1Click(const QString &caption)
{
    if (caption == QStringLiteral("关闭")) {
        close();
        return;
    }
    if (caption != QStringLiteral("测算"))
        return;
    wage::guardHandler(QStringLiteral("自定义过程"), [this] {
        if (!ADOQuery_SQL->isActive() || ADOQuery_SQL->isEmpty())
            return;
        QElapsedTimer started;
        started.start();
        const QString name = ADOQuery_SQL->value(QStringLiteral("Script_name")).toString();
        AlertMess(QStringLiteral("自定义过程"), QStringLiteral("开始计算：") + name);
        QCoreApplication::processEvents();
        if (ADOQuery_SQL->value(QStringLiteral("Script_active")).toBool()) {
            const QString script = ADOQuery_SQL->value(QStringLiteral("Script")).toString();
            if (!RunSqlCommand(script, connection)) {
                AlertMess(QStringLiteral("自定义过程"), name);
                WriteErrLog(name + QLatin1Char('\r') + script);
            }
        }
        AlertMess(QStringLiteral("自定义过程"), QStringLiteral("计算完成,耗时") + ordmon::decimalText(started.elapsed() / 1000.0)
                                                    + QStringLiteral("秒"));
    });
}
