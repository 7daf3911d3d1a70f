#include "estprice/tyggjform.h"

#include "estprice/estcalc.h"

#include "contract/hostobjects.h"
#include "core/appdir.h"
#include "core/errlog.h"
#include "core/inifile.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/disgrid.h"
#include "core/handlerguard.h"
#include "kit/htmlhelp.h"
#include "kit/sqlroutines.h"
#include "kit/tmynavigator.h"
#include "kit/tradiogroup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

using namespace estprice;

namespace {

QLineEdit *labelledEdit(const QString &name, const QString &label, QFormLayout *form, QWidget *parent)
{
    auto *edit = new QLineEdit(QStringLiteral("0"), parent);
    edit->setObjectName(name);
    form->addRow(label, edit);
    return edit;
}

} // namespace

TYggjForm::TYggjForm(QWidget *parent) : wage::PluginForm(parent)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::WindowStaysOnTopHint);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    body()->addWidget(PageControl1);

    // Page "预估工价".
    auto *page1 = new QWidget;
    page1->setObjectName(QStringLiteral("TabSheet1"));
    auto *page1Layout = new QVBoxLayout(page1);
    auto *estimateBox = new QGroupBox(QStringLiteral("工序单价估算"), page1);
    estimateBox->setObjectName(QStringLiteral("GroupBox1"));
    auto *estimateLayout = new QHBoxLayout(estimateBox);
    auto *boxes = new QFormLayout;
    LEdit1 = labelledEdit(QStringLiteral("LEdit1"), QStringLiteral("当地月平均工资"), boxes, estimateBox);
    LEdit2 = labelledEdit(QStringLiteral("LEdit2"), QStringLiteral("月平均工作天数"), boxes, estimateBox);
    LEdit3 = labelledEdit(QStringLiteral("LEdit3"), QStringLiteral("日工作小时数"), boxes, estimateBox);
    LEdit4 = labelledEdit(QStringLiteral("LEdit4"), QStringLiteral("小时平均工作量"), boxes, estimateBox);
    LEdit5 = labelledEdit(QStringLiteral("LEdit5"), QStringLiteral("工序计件单价"), boxes, estimateBox);
    estimateLayout->addLayout(boxes);
    auto *modeColumn = new QVBoxLayout;
    RadioGroup1 = new TRadioGroup(QStringLiteral("工价估算方式："),
                                  {QStringLiteral("根据工资估算工序单价"), QStringLiteral("根据工序单价估算工资")}, 1, estimateBox);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setItemIndex(0);
    modeColumn->addWidget(RadioGroup1);
    LabelNote = new QLabel(estimateBox);
    LabelNote->setObjectName(QStringLiteral("LabelNote"));
    LabelNote->setStyleSheet(QStringLiteral("color: red;"));
    LabelNote->setWordWrap(true);
    modeColumn->addWidget(LabelNote);
    modeColumn->addStretch();
    estimateLayout->addLayout(modeColumn, 1);
    page1Layout->addWidget(estimateBox);

    auto *lists = new QTabWidget(page1);
    lists->setObjectName(QStringLiteral("PageControl2"));
    auto *processPage = new QWidget;
    processPage->setObjectName(QStringLiteral("TabSheet3"));
    auto *processLayout = new QVBoxLayout(processPage);
    processLayout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QToolBar(processPage);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    ToolButton1 = new QToolButton(bar);
    ToolButton1->setObjectName(QStringLiteral("ToolButton1"));
    ToolButton1->setText(QStringLiteral("确定工价"));
    ToolButton2 = new QToolButton(bar);
    ToolButton2->setObjectName(QStringLiteral("ToolButton2"));
    ToolButton2->setText(QStringLiteral("帮助"));
    bar->addWidget(ToolButton1);
    bar->addWidget(ToolButton2);
    DBGridEhL = new wage::DataGrid(processPage);
    DBGridEhL->setObjectName(QStringLiteral("DBGridEhL"));
    DBGridEhL->setToolTip(QStringLiteral("点击标题可排序"));
    MyNavigator1 = new TMyNavigator({QStringLiteral("首条"), QStringLiteral("上条"), QStringLiteral("下条"),
                                     QStringLiteral("末条"), QStringLiteral("关闭")},
                                    DBGridEhL, estimateBox);
    modeColumn->insertWidget(1, MyNavigator1);
    processLayout->addWidget(bar);
    processLayout->addWidget(DBGridEhL, 1);
    lists->addTab(processPage, QStringLiteral("产品工序列表"));

    auto *analysisPage = new QWidget;
    analysisPage->setObjectName(QStringLiteral("TabSheet4"));
    auto *analysisLayout = new QVBoxLayout(analysisPage);
    analysisLayout->setContentsMargins(0, 0, 0, 0);
    auto *range = new QHBoxLayout;
    DateTimePicker1 = new QDateEdit(QDate::currentDate(), analysisPage);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker2 = new QDateEdit(QDate::currentDate(), analysisPage);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    DateTimePicker2->setCalendarPopup(true);
    for (QDateEdit *d : {DateTimePicker1, DateTimePicker2})
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    Button1 = new QPushButton(QStringLiteral("测算"), analysisPage);
    Button1->setObjectName(QStringLiteral("Button1"));
    range->addWidget(new QLabel(QStringLiteral("分析期间从"), analysisPage));
    range->addWidget(DateTimePicker1);
    range->addWidget(new QLabel(QStringLiteral("到"), analysisPage));
    range->addWidget(DateTimePicker2);
    range->addWidget(Button1);
    range->addStretch();
    analysisLayout->addLayout(range);
    DBGridEh1 = new wage::DataGrid(analysisPage);
    DBGridEh1->setObjectName(QStringLiteral("DBGridEh1"));
    DBGridEh1->setReadOnly(true);
    analysisLayout->addWidget(DBGridEh1, 1);
    lists->addTab(analysisPage, QStringLiteral("工资差值分析"));
    page1Layout->addWidget(lists, 1);
    PageControl1->addTab(page1, QStringLiteral("预估工价"));

    // Page "包装箱企业产品估价".
    auto *page2 = new QWidget;
    page2->setObjectName(QStringLiteral("TabSheet2"));
    auto *page2Layout = new QGridLayout(page2);
    RadioGroup2 = new TRadioGroup(QStringLiteral("选择估价产品"),
                                  {QStringLiteral("箱子"), QStringLiteral("筒型"), QStringLiteral("五层箱底"),
                                   QStringLiteral("七层箱底"), QStringLiteral("垫板")},
                                  5, page2);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    page2Layout->addWidget(RadioGroup2, 0, 0, 1, 2);

    GroupBox2 = new QGroupBox(initialCartonCaption(), page2);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto *zxForm = new QFormLayout(GroupBox2);
    ZxLEdit1 = labelledEdit(QStringLiteral("ZxLEdit1"), QStringLiteral("长"), zxForm, GroupBox2);
    ZxLEdit2 = labelledEdit(QStringLiteral("ZxLEdit2"), QStringLiteral("宽"), zxForm, GroupBox2);
    ZxLEdit3 = labelledEdit(QStringLiteral("ZxLEdit3"), QStringLiteral("高"), zxForm, GroupBox2);
    ZxLEdit4 = labelledEdit(QStringLiteral("ZxLEdit4"), QStringLiteral("单价"), zxForm, GroupBox2);
    ZxLEdit5 = labelledEdit(QStringLiteral("ZxLEdit5"), QStringLiteral("结果"), zxForm, GroupBox2);
    CheckBox1 = new QCheckBox(QStringLiteral("不含税"), GroupBox2);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    zxForm->addRow(QString(), CheckBox1);
    ZxNote = new QLabel(GroupBox2);
    ZxNote->setObjectName(QStringLiteral("ZxNote"));
    ZxNote->setStyleSheet(QStringLiteral("color: red;"));
    zxForm->addRow(ZxNote);
    page2Layout->addWidget(GroupBox2, 1, 0);

    GroupBox3 = new QGroupBox(QStringLiteral("开料计算"), page2);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    auto *klLayout = new QGridLayout(GroupBox3);
    auto *klInputs = new QFormLayout;
    KlLEdit1 = labelledEdit(QStringLiteral("KlLEdit1"), QStringLiteral("长"), klInputs, GroupBox3);
    KlLEdit2 = labelledEdit(QStringLiteral("KlLEdit2"), QStringLiteral("宽"), klInputs, GroupBox3);
    KlLEdit3 = labelledEdit(QStringLiteral("KlLEdit3"), QStringLiteral("高"), klInputs, GroupBox3);
    KlLEdit4 = labelledEdit(QStringLiteral("KlLEdit4"), QStringLiteral("数量"), klInputs, GroupBox3);
    auto *klResults = new QFormLayout;
    KlLEdit5 = labelledEdit(QStringLiteral("KlLEdit5"), QStringLiteral("结果"), klResults, GroupBox3);
    KlLEdit6 = labelledEdit(QStringLiteral("KlLEdit6"), QStringLiteral("×"), klResults, GroupBox3);
    KlLEdit7 = labelledEdit(QStringLiteral("KlLEdit7"), QStringLiteral("="), klResults, GroupBox3);
    RadioGroup3 = new TRadioGroup(QStringLiteral("开料类别"),
                                  {QStringLiteral("五层箱子"), QStringLiteral("七层箱子"), QStringLiteral("930以下筒形"),
                                   QStringLiteral("930以上筒形"), QStringLiteral("箱底")},
                                  1, GroupBox3);
    RadioGroup3->setObjectName(QStringLiteral("RadioGroup3"));
    RadioGroup3->setItemIndex(0);
    RadioGroup4 = new TRadioGroup(QStringLiteral("开料规格"),
                                  {QStringLiteral("大片"), QStringLiteral("小片"), QStringLiteral("压印"), QStringLiteral("反压印")},
                                  1, GroupBox3);
    RadioGroup4->setObjectName(QStringLiteral("RadioGroup4"));
    RadioGroup4->setItemIndex(0);
    Label1 = new QLabel(QStringLiteral("计算公式"), GroupBox3);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("color: red;"));
    klLayout->addLayout(klInputs, 0, 0);
    klLayout->addWidget(RadioGroup3, 0, 1);
    klLayout->addWidget(RadioGroup4, 0, 2);
    klLayout->addLayout(klResults, 0, 3);
    klLayout->addWidget(Label1, 1, 0, 1, 4);
    page2Layout->addWidget(GroupBox3, 1, 1);

    auto *memo = new QPlainTextEdit(page2);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setPlainText(QStringLiteral("此页公式是特定企业的，不\n通用。"));
    memo->setReadOnly(true);
    memo->setMaximumWidth(180);
    page2Layout->addWidget(memo, 0, 2, 2, 1);
    page2Layout->setRowStretch(2, 1);
    PageControl1->addTab(page2, QStringLiteral("包装箱企业产品估价"));

    for (QLineEdit *e : {LEdit1, LEdit2, LEdit3, LEdit4, LEdit5})
        connect(e, &QLineEdit::textChanged, this, [this, e] { jisuan(e); });
    for (QLineEdit *e : {ZxLEdit1, ZxLEdit2, ZxLEdit3, ZxLEdit4})
        connect(e, &QLineEdit::textChanged, this, &TYggjForm::ZxChange);
    connect(CheckBox1, &QCheckBox::clicked, this, &TYggjForm::ZxChange);
    connect(RadioGroup2, &TRadioGroup::Click, this, &TYggjForm::ZxChange);
    for (QLineEdit *e : {KlLEdit1, KlLEdit2, KlLEdit3, KlLEdit4})
        connect(e, &QLineEdit::textChanged, this, &TYggjForm::KlChange);
    connect(RadioGroup3, &TRadioGroup::Click, this, &TYggjForm::KlChange);
    connect(RadioGroup4, &TRadioGroup::Click, this, &TYggjForm::KlChange);
    connect(ToolButton1, &QToolButton::clicked, this, &TYggjForm::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TYggjForm::ToolButton2Click);
    connect(Button1, &QPushButton::clicked, this, &TYggjForm::Button1Click);
    connect(MyNavigator1, &TMyNavigator::Click, this, &TYggjForm::MyNavigator1Click);
    // The stored size wins over the layout's wishes.
    layout()->setSizeConstraint(QLayout::SetNoConstraint);
    resize(970, 533);
}

void TYggjForm::SetUpData()
{
    auto *host = wage::findHostObjectAs<wage::DataSource>(hostWindow, QStringLiteral("datasource1"));
    ADOQuery1 = new wage::Dataset(connection, QStringLiteral("select * from f_ipgx where ip_id=:ip_id"), this);
    ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
    ADOQuery1->setMasterSource(host);
    DataSource1 = new wage::DataSource(ADOQuery1, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DBGridEhL->setDataSource(DataSource1);
    ADOQuery2 = new wage::Dataset(this);
    ADOQuery2->setObjectName(QStringLiteral("ADOQuery2"));
    ADOQuery2->setConnection(connection);
    DataSource2 = new wage::DataSource(ADOQuery2, this);
    DataSource2->setObjectName(QStringLiteral("DataSource2"));
    DBGridEh1->setDataSource(DataSource2);
    try {
        ADOQuery1->open();
        // The navigator follows the data source the grid has now.
        MyNavigator1->setGrid(DBGridEhL);
        DisGrid(QStringLiteral("f_ipgx"), userName, DataSource1, connection, DBGridEhL);
        DBGridEhL->setFrozenCols(2);
        DBGridEhL->setFooterSums(true, {QStringLiteral("ip_djjw")});
    } catch (const std::exception &e) {
        try {
            wage::WriteTimedLog(QStringLiteral("预估工价：打开产品工序失败 ") + QString::fromUtf8(e.what()));
        } catch (...) {
        }
    }
}

void TYggjForm::PlaceWindow()
{
    QWidget *main = wage::hostMainWindow(hostWindow);
    auto *pagec = wage::findHostObjectAs<QWidget>(hostWindow, QStringLiteral("pagec"));
    const int mainWidth = main ? main->width() : 1000;
    const int mainHeight = main ? main->height() : 700;
    const QString h = inistring(QStringLiteral("display"), QStringLiteral("Estprice_H"),
                                QString::number(pagec ? pagec->height() : height()), QStringLiteral("USERTEM.INI"),
                                QStringLiteral("read"));
    const QString w = inistring(QStringLiteral("display"), QStringLiteral("Estprice_W"), QString::number(mainWidth - 250),
                                QStringLiteral("USERTEM.INI"), QStringLiteral("read"));
    bool okH = false, okW = false;
    const int hi = h.toInt(&okH), wi = w.toInt(&okW);
    resize(okW && wi > 0 ? wi : width(), okH && hi > 0 ? hi : height());
    // Bottom right of the host's main window.
    const QPoint origin = main ? main->geometry().topLeft() : QPoint();
    move(origin.x() + mainWidth - width() - 10, origin.y() + mainHeight - height() - 25);
    DateTimePicker1->setDate(QDate::currentDate());
    DateTimePicker2->setDate(QDate::currentDate());
    try {
        scratchTable = TableNameRand(connection);
    } catch (const std::exception &e) {
        try {
            wage::WriteTimedLog(QString::fromUtf8(e.what()));
        } catch (...) {
        }
    }
}

void TYggjForm::showNote(const QString &text)
{
    LabelNote->setText(text);
}

void TYggjForm::jisuan(QLineEdit *changed)
{
    if (m_calculating)
        return;
    m_calculating = true;
    if (changed && TrimText(changed->text()).isEmpty())
        changed->setText(QStringLiteral("0"));
    try {
        const WageResult r = estimateWage(RadioGroup1->ItemIndex() == 1 ? FromPrice : FromWage,
                                          {LEdit1->text(), LEdit2->text(), LEdit3->text(), LEdit4->text(), LEdit5->text()});
        showNote(r.note);
        if (r.price)
            LEdit5->setText(*r.price);
        if (r.wage)
            LEdit1->setText(*r.wage);
    } catch (const std::exception &e) {
        showNote(QString::fromUtf8(e.what()));
    }
    m_calculating = false;
}

void TYggjForm::ZxChange()
{
    try {
        const auto r = cartonEstimate(RadioGroup2->ItemIndex(), ZxLEdit1->text(), ZxLEdit2->text(), ZxLEdit3->text(),
                                      ZxLEdit4->text(), CheckBox1->isChecked());
        if (!r)
            return;
        ZxNote->clear();
        ZxLEdit5->setText(r->estimate);
        GroupBox2->setTitle(r->caption);
    } catch (const std::exception &e) {
        // Shown beside the boxes rather than in a box that would interrupt the typing.
        ZxNote->setText(QString::fromUtf8(e.what()));
    }
}

void TYggjForm::KlChange()
{
    const CuttingResult r = cutting(RadioGroup3->ItemIndex(), RadioGroup4->ItemIndex(), KlLEdit1->text(), KlLEdit2->text(),
                                    KlLEdit3->text(), KlLEdit4->text());
    if (r.first)
        KlLEdit5->setText(*r.first);
    if (r.second)
        KlLEdit6->setText(*r.second);
    if (r.count)
        KlLEdit7->setText(*r.count);
    Label1->setText(r.error.isEmpty() ? r.label : r.label + QStringLiteral("    ") + r.error);
}

void TYggjForm::ToolButton1Click()
{
    wage::guardHandler(QStringLiteral("提示"), [this] {
        if (!ADOQuery1 || !ADOQuery1->isActive() || ADOQuery1->isEmpty()) {
            wage::prompt().warning(QStringLiteral("当前产品没有工序，无法确定工价。"), QStringLiteral("提示"));
            return;
        }
        const long double price = readNumber(LEdit5->text());
        ADOQuery1->edit();
        try {
            ADOQuery1->setValue(QStringLiteral("ip_djjw"), static_cast<double>(price));
            ADOQuery1->post();
        } catch (...) {
            ADOQuery1->cancel();
            throw;
        }
    });
}

void TYggjForm::ToolButton2Click()
{
    HtmlHelp(this, wage::programDir() + QStringLiteral("\\help.chm::/预估工价.html"), HH_DISPLAY_TOPIC, 0);
}

void TYggjForm::Button1Click()
{
    wage::guardHandler(QStringLiteral("提示"), [this] {
        wage::Connection *c = connection;
        if (!c)
            return;
        const QString d1 = DateTimePicker1->date().toString(QStringLiteral("yyyy-MM-dd"));
        const QString d2 = DateTimePicker2->date().toString(QStringLiteral("yyyy-MM-dd"));
        QString p;
        if (ADOQuery1 && ADOQuery1->isActive() && !ADOQuery1->isEmpty())
            p = ADOQuery1->value(QStringLiteral("gsxu_no")).toString();
        if (scratchTable.isEmpty())
            scratchTable = TableNameRand(c);
        const QString name = scratchTable;
        ADOQuery2->close();
        if (TableExists(name, c))
            RunSqlCommand(QStringLiteral("drop table ") + name, c);
        const QString head = QStringLiteral(
            "select ry_no,ry_name,ip_no,ip_name,gsxu_no,ip_gsxu,ip_djjw,sum(ip_uuld) as ip_uuld,sum(jjje) as jjje into ");
        const QString group = QStringLiteral(" group by ry_no,ry_name,ip_no,ip_name,gsxu_no,ip_gsxu,ip_djjw");
        const QString where = QStringLiteral(" from f_jijm where gsxu_no='") + wage::sqlQuote(p);
        if (c->dialect() == wage::Dialect::Access)
            RunSqlCommand(head + name + where + QStringLiteral("' and riqi between #") + d1 + QStringLiteral("# and #") + d2
                              + QLatin1Char('#') + group,
                          c);
        else
            RunSqlCommand(head + name + where + QStringLiteral("' and riqi between '") + d1 + QStringLiteral("' and '") + d2
                              + QLatin1Char('\'') + group,
                          c);
        RunSqlCommand(QStringLiteral("ALTER TABLE ") + name + QStringLiteral("  add  Y_jjje money "), c);
        // Only a number reaches the statement; anything else leaves Y_jjje empty.
        try {
            const QString price = formatNumber(readNumber(LEdit5->text()));
            RunSqlCommand(QStringLiteral("update ") + name + QStringLiteral(" set Y_jjje=ip_uuld*") + price, c);
        } catch (const WageError &) {
        }
        ADOQuery2->setCommandText(QStringLiteral("select * from ") + name);
        ADOQuery2->open();
        const struct {
            const char *field, *caption;
            int width;
            bool numeric;
        } columns[] = {{"ry_no", "员工编号", 72, false},   {"ry_name", "员工姓名", 56, false}, {"ip_no", "产品编号", 84, false},
                       {"ip_name", "产品名称", 99, false}, {"gsxu_no", "工序编号", 92, false}, {"ip_gsxu", "产品工序", 150, false},
                       {"ip_djjw", "单价", 64, true},      {"ip_uuld", "数量", 77, true},      {"jjje", "计件金额", 83, true},
                       {"Y_jjje", "估算金额", 72, true}};
        QList<wage::GridColumn> list;
        for (const auto &col : columns) {
            wage::GridColumn g;
            g.fieldName = QString::fromUtf8(col.field);
            g.caption = QString::fromUtf8(col.caption);
            g.width = col.width;
            g.numeric = col.numeric;
            g.readOnly = true;
            list.append(g);
        }
        DBGridEh1->setColumns(list);
    });
}

void TYggjForm::MyNavigator1Click(const QString &caption)
{
    if (TMyNavigator::kindOf(caption) == TMyNavigator::Close)
        close();
}

void TYggjForm::closeEvent(QCloseEvent *event)
{
    try {
        inistring(QStringLiteral("display"), QStringLiteral("Estprice_H"), QString::number(height()), QStringLiteral("USERTEM.INI"),
                  QStringLiteral("write"));
        inistring(QStringLiteral("display"), QStringLiteral("Estprice_W"), QString::number(width()), QStringLiteral("USERTEM.INI"),
                  QStringLiteral("write"));
    } catch (const std::exception &e) {
        try {
            wage::WriteTimedLog(QString::fromUtf8(e.what()));
        } catch (...) {
        }
    }
    wage::PluginForm::closeEvent(event);
}
