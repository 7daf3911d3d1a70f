#include "ordmon/tordmon_form.h"
#include "ordmon/namedradiogroup.h"

#include "contract/hostobjects.h"
#include "core/appdir.h"
#include "core/handlerguard.h"
#include "core/inifile.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "kit/datagrid.h"
#include "kit/datavertgrid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *toolButton(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QWidget *legendSquare(QWidget *parent, const QString &name, const QColor &colour, const QString &text)
{
    auto *box = new QWidget(parent);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    auto *square = new QLabel(box);
    square->setObjectName(name);
    square->setFixedSize(14, 14);
    square->setAutoFillBackground(true);
    QPalette p = square->palette();
    p.setColor(QPalette::Window, colour);
    square->setPalette(p);
    square->setFrameShape(QFrame::Box);
    row->addWidget(square);
    row->addWidget(new QLabel(text, box));
    return box;
}

wage::DataGrid *readOnlyGrid(QWidget *parent, const QString &name)
{
    auto *grid = new wage::DataGrid(parent);
    grid->setObjectName(name);
    grid->setReadOnly(true);
    grid->setRowNumbers(true);
    return grid;
}

int iniInt(const QString &key, int fallback)
{
    bool ok = false;
    const int v = inistring(QStringLiteral("display"), key, QString::number(fallback), QStringLiteral("USERTEM.INI"),
                            QStringLiteral("read"))
                      .toInt(&ok);
    return ok && v > 0 ? v : fallback;
}

} // namespace

TOrdmon_form::TOrdmon_form(QWidget *parent) : wage::PluginForm(parent)
{
    setObjectName(QStringLiteral("Ordmon_form"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("宋体"), 9));

    PageControl2 = new QTabWidget(this);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    TabSheet5 = new QWidget;
    TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
    TabSheet8 = new QWidget;
    TabSheet8->setObjectName(QStringLiteral("TabSheet8"));
    PageControl2->addTab(TabSheet4, QStringLiteral("订单产能动态监控"));
    PageControl2->addTab(TabSheet5, QStringLiteral("自定义公式"));
    PageControl2->addTab(TabSheet8, QStringLiteral("实时产能"));
    PageControl2->setTabVisible(1, false);
    PageControl2->setTabVisible(2, false);
    body()->addWidget(PageControl2, 1);

    // The window's own queries; their connection is the host's, set by bindHost().
    Omq_ADOQuery1 = new wage::Dataset(this);
    Omq_ADOQuery1->setObjectName(QStringLiteral("Omq_ADOQuery1"));
    Omq_DataSource = new wage::DataSource(Omq_ADOQuery1, this);
    Omq_DataSource->setObjectName(QStringLiteral("Omq_DataSource"));
    f_jijm = new wage::Dataset(this);
    f_jijm->setObjectName(QStringLiteral("f_jijm"));
    f_jijm->setReadOnly(true);
    DataSource1 = new wage::DataSource(f_jijm, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    ADOQuery_Temp = new wage::Dataset(this);
    ADOQuery_Temp->setObjectName(QStringLiteral("ADOQuery_Temp"));
    DataSource_Temp = new wage::DataSource(ADOQuery_Temp, this);
    DataSource_Temp->setObjectName(QStringLiteral("DataSource_Temp"));
    ADOQuery_pc = new wage::Dataset(this);
    ADOQuery_pc->setObjectName(QStringLiteral("ADOQuery_pc"));
    ADOQuery_chart = new wage::Dataset(this);
    ADOQuery_chart->setObjectName(QStringLiteral("ADOQuery_chart"));
    ADOQuery_chart->setReadOnly(true);
    ADOQuery_SQL = new wage::Dataset(this);
    ADOQuery_SQL->setObjectName(QStringLiteral("ADOQuery_SQL"));

    buildMainPage(TabSheet4);
    buildRealtimePage(TabSheet8);
    buildScriptPage(TabSheet5);
    addStatusBar({200, 100});
    ProgressBar1->setMaximum(6);
    // The window takes the host's bounds even where that is narrower than its panels want.
    if (layout())
        layout()->setSizeConstraint(QLayout::SetNoConstraint);

    connect(ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    connect(ToolButton2, &QToolButton::clicked, this, [this] { ToolButton2Click(); });
    connect(ToolButton5, &QToolButton::clicked, this, [this] { ToolButton5Click(); });
    connect(RadioGroup1, &TRadioGroup::Click, this, [this] { RadioGroup1Click(); });
    connect(RadioGroup2, &TRadioGroup::Click, this, [this] { RadioGroup2Click(); });
    connect(RadioGroup3, &TRadioGroup::Click, this, [this] { RadioGroup3Click(); });
    installRowColours();
    buildPopupMenu();
    connect(ToolButton7, &QToolButton::clicked, this, [this] { ToolButton7Click(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int i) { PageControl1Change(i); });
    connect(Omq_ADOQuery1, &wage::Dataset::afterScroll, this, [this] { Omq_ADOQuery1AfterScroll(); });
}

TOrdmon_form::~TOrdmon_form() = default;

void TOrdmon_form::buildMainPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    Panel1 = new QWidget(page);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    buildTopPanel(Panel1);
    layout->addWidget(Panel1);

    MainSplitter = new QSplitter(Qt::Vertical, page);
    MainSplitter->setObjectName(QStringLiteral("Splitter1"));
    Panel0 = new QWidget(MainSplitter);
    Panel0->setObjectName(QStringLiteral("Panel0"));
    buildMiddlePanel(Panel0);
    auto *group = new QGroupBox(QStringLiteral("产品工序明细表"), MainSplitter);
    group->setObjectName(QStringLiteral("GroupBox1"));
    buildProcessPanel(group);
    MainSplitter->addWidget(Panel0);
    MainSplitter->addWidget(group);
    const int panel0 = iniInt(QStringLiteral("PCJKForm_Panel0"), 288);
    MainSplitter->setSizes({panel0, 400});
    layout->addWidget(MainSplitter, 1);
}

void TOrdmon_form::buildTopPanel(QWidget *panel)
{
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);

    auto *legend = new QWidget(panel);
    legend->setObjectName(QStringLiteral("Panel6"));
    auto *legendLayout = new QVBoxLayout(legend);
    legendLayout->setContentsMargins(0, 0, 0, 0);
    legendLayout->setSpacing(1);
    auto *squares = new QHBoxLayout;
    squares->addWidget(legendSquare(legend, QStringLiteral("state2"), palette().color(QPalette::ToolTipBase), QStringLiteral("未生产")));
    squares->addWidget(legendSquare(legend, QStringLiteral("state4"), QColor(0x00, 0xFF, 0x00), QStringLiteral("生产中")));
    squares->addWidget(legendSquare(legend, QStringLiteral("state1"), QColor(0xFF, 0x00, 0xFF), QStringLiteral("已完工")));
    squares->addWidget(legendSquare(legend, QStringLiteral("state3"), QColor(0xFF, 0x00, 0x00), QStringLiteral("超产")));
    legendLayout->addLayout(squares);
    RadioGroup2 = ordmon::namedRadioGroup(QStringLiteral("RadioGroup2"), QString(),
                                  {QStringLiteral("0-30%"), QStringLiteral("30-60%"), QStringLiteral("60--90%"), QStringLiteral("90%以上")}, legend);
    RadioGroup2->setItemIndex(-1);
    legendLayout->addWidget(RadioGroup2);
    row->addWidget(legend);

    auto *panel4 = new QWidget(panel);
    panel4->setObjectName(QStringLiteral("Panel4"));
    auto *p4 = new QVBoxLayout(panel4);
    p4->setContentsMargins(0, 0, 0, 0);
    p4->setSpacing(1);
    auto *bar = new QToolBar(panel4);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    ToolButton1 = toolButton(bar, QStringLiteral("ToolButton1"), QStringLiteral("刷新"));
    ToolButton2 = toolButton(bar, QStringLiteral("ToolButton2"), QStringLiteral("汇总统计"));
    ToolButton5 = toolButton(bar, QStringLiteral("ToolButton5"), QStringLiteral("暂停"));
    ToolButton7 = toolButton(bar, QStringLiteral("ToolButton7"), QStringLiteral("帮助"));
    ToolButton5->setEnabled(false);
    for (QToolButton *b : {ToolButton1, ToolButton2, ToolButton5, ToolButton7})
        bar->addWidget(b);
    p4->addWidget(bar);
    auto *scopes = new QHBoxLayout;
    RadioButton1 = new QRadioButton(QStringLiteral("当前订单"), panel4);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton3 = new QRadioButton(QStringLiteral("选中批号"), panel4);
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    RadioButton2 = new QRadioButton(QStringLiteral("所有订单"), panel4);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton1->setChecked(true);
    scopes->addWidget(RadioButton1);
    scopes->addWidget(RadioButton3);
    scopes->addWidget(RadioButton2);
    p4->addLayout(scopes);
    row->addWidget(panel4);

    auto *bars = new QGridLayout;
    bars->setVerticalSpacing(1);
    auto addBar = [&](int r, const QString &barName, const QString &labelName, const QString &text, QProgressBar **b,
                      QLabel **l) {
        *b = new QProgressBar(panel);
        (*b)->setObjectName(barName);
        (*b)->setTextVisible(false);
        (*b)->setFixedHeight(12);
        (*b)->setValue(0);
        *l = new QLabel(text, panel);
        (*l)->setObjectName(labelName);
        bars->addWidget(*b, r, 0);
        bars->addWidget(*l, r, 1);
    };
    addBar(0, QStringLiteral("ProgressBar1"), QStringLiteral("Label1"), QStringLiteral("总体进度"), &ProgressBar1, &Label1);
    addBar(1, QStringLiteral("ProgressBar2"), QStringLiteral("Label2"), QStringLiteral("明细"), &ProgressBar2, &Label2);
    addBar(2, QStringLiteral("ProgressBar3"), QStringLiteral("Label3"), QStringLiteral("其他"), &ProgressBar3, &Label3);
    bars->setColumnStretch(0, 1);
    row->addLayout(bars, 1);

    RadioGroup3 = ordmon::namedRadioGroup(QStringLiteral("RadioGroup3"), QStringLiteral("搜索方式"),
                                  {QStringLiteral("订单编号"), QStringLiteral("订单名称")}, panel);
    RadioGroup3->setItemIndex(0);
    row->addWidget(RadioGroup3);
}

void TOrdmon_form::buildMiddlePanel(QWidget *panel)
{
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    auto *panel5 = new QWidget(panel);
    panel5->setObjectName(QStringLiteral("Panel5"));
    auto *row = new QHBoxLayout(panel5);
    row->setContentsMargins(0, 0, 0, 0);
    RadioGroup1 = ordmon::namedRadioGroup(QStringLiteral("RadioGroup1"), QString(),
                                  {QStringLiteral("所有"), QStringLiteral("已结案"), QStringLiteral("今日在产"), QStringLiteral("今日入库"),
                                   QStringLiteral("本月在产"), QStringLiteral("本月入库"), QStringLiteral("搜索内容")}, panel5);
    row->addWidget(RadioGroup1);
    row->addWidget(new QLabel(QStringLiteral("当前处理年月"), panel5));
    EditYM = new QLineEdit(panel5);
    EditYM->setObjectName(QStringLiteral("EditYM"));
    EditYM->setFixedWidth(60);
    row->addWidget(EditYM);
    SpeedButton3 = toolButton(panel5, QStringLiteral("SpeedButton3"), QStringLiteral("自定义过程"));
    row->addWidget(SpeedButton3);
    CheckBox1 = new QCheckBox(QStringLiteral("看板模式"), panel5);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    row->addWidget(CheckBox1);
    LabeledEdit1Label = new QLabel(QStringLiteral("搜索订单"), panel5);
    row->addWidget(LabeledEdit1Label);
    LabeledEdit1 = new QLineEdit(panel5);
    LabeledEdit1->setObjectName(QStringLiteral("LabeledEdit1"));
    LabeledEdit1->setFixedWidth(110);
    row->addWidget(LabeledEdit1);
    SpeedButton1 = toolButton(panel5, QStringLiteral("SpeedButton1"), QStringLiteral("搜索"));
    row->addWidget(SpeedButton1);
    row->addStretch(1);
    layout->addWidget(panel5);

    MasterSplitter = new QSplitter(Qt::Horizontal, panel);
    MasterSplitter->setObjectName(QStringLiteral("Splitter2"));
    DBGridEh_Master = readOnlyGrid(MasterSplitter, QStringLiteral("DBGridEh_Master"));
    DBGridEh_Master->setCheckBoxes(true);
    DBGridEh_Detail = readOnlyGrid(MasterSplitter, QStringLiteral("DBGridEh_Detail"));
    MasterSplitter->addWidget(DBGridEh_Master);
    MasterSplitter->addWidget(DBGridEh_Detail);
    MasterSplitter->setSizes({iniInt(QStringLiteral("PCJKForm_EhMaster"), 280), 800});
    layout->addWidget(MasterSplitter, 1);
}

void TOrdmon_form::buildProcessPanel(QWidget *panel)
{
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    ProcessSplitter = new QSplitter(Qt::Vertical, panel);
    ProcessSplitter->setObjectName(QStringLiteral("Splitter3"));
    Ordmon_DBGridEh = readOnlyGrid(ProcessSplitter, QStringLiteral("Ordmon_DBGridEh"));
    Ordmon_DBGridEh->view()->setAlternatingRowColors(true);
    Ordmon_DBGridEh->setDataSource(Omq_DataSource);
    PageControl1 = new QTabWidget(ProcessSplitter);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    const QStringList tabs = {QStringLiteral("批号+工序"), QStringLiteral("批号"), QStringLiteral("订单+工序"),
                              QStringLiteral("订单"), QStringLiteral("本月")};
    for (int i = 0; i < tabs.size(); ++i) {
        auto *tab = new QWidget;
        tab->setObjectName(QStringLiteral("TabSheet_Piece%1").arg(i));
        auto *tabLayout = new QVBoxLayout(tab);
        tabLayout->setContentsMargins(0, 0, 0, 0);
        PageControl1->addTab(tab, tabs.at(i));
    }
    DBGridEh1 = readOnlyGrid(PageControl1->widget(0), QStringLiteral("DBGridEh1"));
    DBGridEh1->setSearchPanel(true);
    DBGridEh1->setDataSource(DataSource1);
    PageControl1->widget(0)->layout()->addWidget(DBGridEh1);
    ProcessSplitter->addWidget(Ordmon_DBGridEh);
    ProcessSplitter->addWidget(PageControl1);
    ProcessSplitter->setSizes({300, iniInt(QStringLiteral("PCJKForm_PageC"), 264)});
    layout->addWidget(ProcessSplitter);
}

void TOrdmon_form::buildRealtimePage(QWidget *page)
{
    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    auto *left = new QWidget(page);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto *right = new QSplitter(Qt::Vertical, page);
    DBGridEh_Temp = readOnlyGrid(right, QStringLiteral("DBGridEh_Temp"));
    DBGridEh_Temp->setSearchPanel(true);
    DBGridEh_Temp->setDataSource(DataSource_Temp);
    buildRealtimeExtras(left, right);
    for (QLabel *l : {Label_day, Label_week, Label_month, Label_dongtai})
        leftLayout->addWidget(l);
    DBVertGridEh1 = new wage::DataVertGrid(left);
    DBVertGridEh1->setObjectName(QStringLiteral("DBVertGridEh1"));
    DBVertGridEh1->setRowHeight(28);
    DBVertGridEh1->setDataSource(DataSource_Temp);
    leftLayout->addWidget(DBVertGridEh1, 1);
    right->addWidget(DBGridEh_PC);
    right->addWidget(DBGridEh_Temp);
    right->addWidget(ChartView);
    layout->addWidget(left, 1);
    layout->addWidget(right, 3);
}

void TOrdmon_form::bindHost()
{
    for (wage::Dataset *q : {Omq_ADOQuery1, f_jijm, ADOQuery_Temp, ADOQuery_pc, ADOQuery_chart, ADOQuery_SQL})
        q->setConnection(connection);
    DataSource_Master = wage::findHostObjectAs<wage::DataSource>(hostWindow, QStringLiteral("DataSource1"));
    DataSource_detail = wage::findHostObjectAs<wage::DataSource>(hostWindow, QStringLiteral("DataSource2"));
    DBGridEh_Master->setDataSource(DataSource_Master);
}

wage::Dataset *TOrdmon_form::orders() const
{
    return DataSource_Master ? DataSource_Master->dataSet() : nullptr;
}

wage::Dataset *TOrdmon_form::lines() const
{
    return DataSource_detail ? DataSource_detail->dataSet() : nullptr;
}

QString TOrdmon_form::orderText(const QString &field) const
{
    wage::Dataset *d = orders();
    if (!d || !d->isActive() || d->isEmpty())
        return QString();
    const wage::Field f = d->findField(field);
    return f.isValid() ? f.asString() : QString();
}

QString TOrdmon_form::lineText(const QString &field) const
{
    wage::Dataset *d = lines();
    if (!d || !d->isActive() || d->isEmpty())
        return QString();
    const wage::Field f = d->findField(field);
    return f.isValid() ? f.asString() : QString();
}
