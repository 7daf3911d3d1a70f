#include "priceadj/tgxtzform.h"

#include "contract/hostobjects.h"
#include "core/appdir.h"
#include "core/errlog.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/disgrid.h"
#include "kit/htmlhelp.h"
#include "kit/recordroutines.h"
#include "kit/rights.h"
#include "kit/tchoice.h"
#include "kit/tmsnpopup.h"
#include "kit/tmyimport.h"
#include "priceadj/radiogroup.h"
#include "priceadj/runsupport.h"
#include "priceadj/toption_form.h"
#include "progress/tprogress.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QColor kSkyBlue(0xA6, 0xCA, 0xF0);
const QColor kOlive(0x80, 0x80, 0x00);
const QColor kCream(0xFF, 0xFB, 0xF0);
const QColor kInfoBackground(0xFF, 0xFF, 0xE1);

template <typename T>
T *named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

void styleGrid(wage::DataGrid *grid, const QColor &background)
{
    QPalette palette = grid->view()->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::AlternateBase, kCream);
    grid->view()->setPalette(palette);
    grid->view()->setAlternatingRowColors(true);
    grid->view()->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: #A6CAF0; }"));
}

} // namespace

TGxtzForm::TGxtzForm(const QString &versionLabel, Tprogress *progress, QWidget *parent)
    : wage::PluginForm(parent), m_versionLabel(versionLabel), m_progress(progress)
{
    setObjectName(QStringLiteral("GxtzForm"));
    setWindowFlags(Qt::Window);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    resize(1000, 680);

    ADOQuery1 = new wage::Dataset(this);
    ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
    ADOQuery1->setReadOnly(true);
    DataSource1 = named(new wage::DataSource(ADOQuery1, this), "DataSource1");
    F_PriceAdjust = new wage::Dataset(this);
    F_PriceAdjust->setObjectName(QStringLiteral("F_PriceAdjust"));
    DataSource_Imp = named(new wage::DataSource(F_PriceAdjust, this), "DataSource_Imp");
    MSNPopUp1 = named(new TMSNPopUp, "MSNPopUp1");
    MSNPopUp1->setParent(this, MSNPopUp1->windowFlags());

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    body()->addWidget(PageControl1, 1);
    buildSinglePage();
    buildGlobalPage();

    addStatusBar({200, 500, 50});
    statusPanel(1)->setText(
        QStringLiteral("审核过的计件不在调整范围之内。注意，所有显示的记录都将调整成当前价格。"));
    statusPanel(2)->setText(QStringLiteral("兼容4.83以上版本"));
    installCellDrawing();
    wireHandlers();
}

TGxtzForm::~TGxtzForm()
{
    // The process list closes while the window is taken apart: no handler may run then.
    disconnect(DataSource1, nullptr, this, nullptr);
    // The record grids show the host's data source, which outlives this window.
    if (DBGrid2)
        DBGrid2->setDataSource(nullptr);
    if (TemDBGridEh)
        TemDBGridEh->setDataSource(nullptr);
    delete MSNPopUp1;
}

void TGxtzForm::buildSinglePage()
{
    TabSheet1 = named(new QWidget, "TabSheet1");
    PageControl1->addTab(TabSheet1, QStringLiteral("单一工序调整"));
    auto *page = new QVBoxLayout(TabSheet1);
    page->setContentsMargins(2, 2, 2, 2);

    // Upper panel: condition on the left, process list and sheet on the right.
    auto *upper = named(new QWidget, "Panel1");
    upper->setMinimumHeight(241);
    auto *upperRow = new QHBoxLayout(upper);
    upperRow->setContentsMargins(0, 0, 0, 0);
    GroupBox1 = named(new QGroupBox(QStringLiteral("1、设置调整工价的条件")), "GroupBox1");
    GroupBox1->setFixedWidth(528);
    auto *g1 = new QVBoxLayout(GroupBox1);
    g1->setContentsMargins(4, 4, 4, 4);
    m_singleChoiceHome = GroupBox1;

    ChoicePanel = named(new QWidget, "ChoicePanel");
    auto *cp = new QVBoxLayout(ChoicePanel);
    cp->setContentsMargins(0, 0, 0, 0);
    choice1 = new Tchoice(ChoicePanel);
    cp->addWidget(choice1, 1);
    auto *queryRow = new QHBoxLayout;
    BitBtn2 = named(new QPushButton(QStringLiteral("查询")), "BitBtn2");
    CheckBox3 = named(new QCheckBox(QStringLiteral("工价为空")), "CheckBox3");
    queryRow->addWidget(CheckBox3);
    queryRow->addStretch(1);
    queryRow->addWidget(BitBtn2);
    cp->addLayout(queryRow);
    g1->addWidget(ChoicePanel);
    upperRow->addWidget(GroupBox1);

    auto *rightSide = new QWidget;
    auto *rs = new QVBoxLayout(rightSide);
    rs->setContentsMargins(0, 0, 0, 0);
    rs->setSpacing(0);
    BitBtn5 = named(new QPushButton(QStringLiteral("列宽")), "BitBtn5");
    PageControl2 = named(new QTabWidget, "PageControl2");
    PageControl2->setCornerWidget(BitBtn5, Qt::TopRightCorner);
    DBGrid1 = named(new wage::DataGrid, "DBGrid1");
    DBGrid1->setDataSource(DataSource1);
    DBGrid1->setReadOnly(true);
    DBGrid1->setSearchPanel(true);
    DBGrid1->view()->setSelectionBehavior(QAbstractItemView::SelectRows);
    styleGrid(DBGrid1, Qt::white);
    PageControl2->addTab(DBGrid1, QStringLiteral("2、 符合条件的产品及工序"));
    auto *sheetTab = named(new QWidget, "TabSheet_Imp");
    buildSheetTab(sheetTab);
    PageControl2->addTab(sheetTab, QStringLiteral("导入调价表"));
    rs->addWidget(PageControl2, 1);
    upperRow->addWidget(rightSide, 1);

    auto *split = named(new QSplitter(Qt::Vertical), "Splitter1");
    split->setHandleWidth(5);
    split->setStyleSheet(QStringLiteral("QSplitter::handle { background-color: #A6CAF0; }"));
    split->addWidget(upper);

    // Middle: the records of the host and the two price lists.
    auto *middle = named(new QGroupBox(QStringLiteral("3、符合变更条件的记录")), "GroupBox3");
    auto *mid = new QHBoxLayout(middle);
    mid->setContentsMargins(4, 4, 4, 4);
    DBGrid2 = named(new wage::DataGrid, "DBGrid2");
    DBGrid2->setToolTip(QStringLiteral("点击标题可排序"));
    DBGrid2->setCheckBoxes(true);
    DBGrid2->setFrozenCols(2);
    DBGrid2->setRowNumbers(true);
    styleGrid(DBGrid2, kInfoBackground);
    mid->addWidget(DBGrid2, 1);
    GroupBox_Base = named(new QGroupBox(QStringLiteral("基础资料现行价格")), "GroupBox_Base");
    GroupBox_Base->setFixedWidth(145);
    ListBox2 = named(new QListWidget, "ListBox2");
    (new QVBoxLayout(GroupBox_Base))->addWidget(ListBox2);
    GroupBox_Hist = named(new QGroupBox(QStringLiteral("历史价格")), "GroupBox_Hist");
    GroupBox_Hist->setFixedWidth(145);
    ListBox1 = named(new QListWidget, "ListBox1");
    (new QVBoxLayout(GroupBox_Hist))->addWidget(ListBox1);
    mid->addWidget(GroupBox_Base);
    mid->addWidget(GroupBox_Hist);
    split->addWidget(middle);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({241, 1000});
    page->addWidget(split, 1);

    // Bottom panel: the adjustment itself. Positions inside the group are fixed because the
    // options button moves between this group and the formula group.
    auto *bottom = named(new QWidget, "Panel3");
    bottom->setFixedHeight(114);
    auto *br = new QHBoxLayout(bottom);
    br->setContentsMargins(0, 0, 0, 0);
    GroupBox4 = named(new QGroupBox(QStringLiteral("4、开始调整，首先点查询，只有查询到的记录才能调价。")), "GroupBox4");
    m_bottomOptionsHome = GroupBox4;
    ComboBox2 = named(new QComboBox(GroupBox4), "ComboBox2");
    ComboBox2->setPlaceholderText(QStringLiteral("选择项目"));
    ComboBox2->setGeometry(10, 28, 150, 22);
    auto *valueLabel = named(new QLabel(QStringLiteral("调整为："), GroupBox4), "Label_LEdit1");
    valueLabel->setGeometry(170, 30, 60, 18);
    LEdit1 = named(new QLineEdit(GroupBox4), "LEdit1");
    LEdit1->setGeometry(230, 28, 100, 22);
    valueLabel->setBuddy(LEdit1);
    BitBtn7 = named(new QPushButton(QStringLiteral("调整"), GroupBox4), "BitBtn7");
    BitBtn7->setGeometry(340, 26, 75, 26);
    CheckBox1 = named(new QCheckBox(QStringLiteral("基础资料同步调整"), GroupBox4), "CheckBox1");
    CheckBox1->setGeometry(10, 62, 150, 20);
    BitBtn8 = named(new QPushButton(QStringLiteral("选项设置"), GroupBox4), "BitBtn8");
    BitBtn8->setGeometry(376, 60, 90, 26);
    RadioGroup2 = new priceadj::RadioGroup(QStringLiteral("调整的记录范围"),
                                           {QStringLiteral("显示的全部记录"), QStringLiteral("选中的记录")}, 1, GroupBox4);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    RadioGroup2->setGeometry(480, 16, 150, 76);
    SpeedButton1 = named(new QToolButton(GroupBox4), "SpeedButton1");
    SpeedButton1->setText(QStringLiteral("停止"));
    SpeedButton1->setGeometry(640, 24, 48, 48);
    SpeedButton1->hide();
    br->addWidget(GroupBox4, 1);
    auto *buttons = new QVBoxLayout;
    BitBtn3 = named(new QPushButton(QStringLiteral("帮助")), "BitBtn3");
    BitBtn1 = named(new QPushButton(QStringLiteral("关闭")), "BitBtn1");
    buttons->addWidget(BitBtn3);
    buttons->addWidget(BitBtn1);
    buttons->addStretch(1);
    br->addLayout(buttons);
    page->addWidget(bottom);
}

void TGxtzForm::buildSheetTab(QWidget *tab)
{
    auto *layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel5 = named(new QWidget, "Panel5");
    auto *bar = new QHBoxLayout(Panel5);
    bar->setContentsMargins(2, 2, 2, 2);
    auto button = [&](QPushButton *&slot, const char *name, const QString &text, int tag) {
        slot = named(new QPushButton(text), name);
        slot->setProperty("tag", tag);
        bar->addWidget(slot);
    };
    button(BitBtn15, "BitBtn15", QStringLiteral("导入"), 15);
    button(BitBtn12, "BitBtn12", QStringLiteral("Excel粘贴"), 12);
    button(BitBtn13, "BitBtn13", QStringLiteral("调价"), 13);
    button(BitBtn14, "BitBtn14", QStringLiteral("模板"), 14);
    button(BitBtn11, "BitBtn11", QStringLiteral("删除"), 11);
    button(BitBtn10, "BitBtn10", QStringLiteral("清空"), 10);
    button(BitBtn4, "BitBtn4", QStringLiteral("批量调价"), 4);
    button(BitBtn16, "BitBtn16", QStringLiteral("备份单价"), -1);
    bar->addStretch(1);
    MyImport1 = named(new TMyImport(Panel5), "MyImport1");
    MyImport1->SetDataSource(DataSource_Imp);
    Panel5->hide();
    layout->addWidget(Panel5);
    DBGridEh_Imp = named(new wage::DataGrid, "DBGridEh_Imp");
    DBGridEh_Imp->setDataSource(DataSource_Imp);
    DBGridEh_Imp->setCheckBoxes(true);
    DBGridEh_Imp->setSearchPanel(true);
    DBGridEh_Imp->setFooterSums(true, {QStringLiteral("ip_djjw")});
    styleGrid(DBGridEh_Imp, Qt::white);
    layout->addWidget(DBGridEh_Imp, 1);
}

void TGxtzForm::buildGlobalPage()
{
    TabSheet2 = named(new QWidget, "TabSheet2");
    PageControl1->addTab(TabSheet2, QStringLiteral("全局调整"));
    auto *page = new QVBoxLayout(TabSheet2);
    page->setContentsMargins(2, 2, 2, 2);
    Panel_Global = named(new QWidget, "Panel_Global");
    Panel_Global->setFixedHeight(256);
    auto *row = new QHBoxLayout(Panel_Global);
    row->setContentsMargins(0, 0, 0, 0);
    m_globalChoiceHome = Panel_Global;

    GroupBox6 = named(new QGroupBox(QStringLiteral("价格调整公式：")), "GroupBox6");
    GroupBox6->setFixedWidth(491);
    RadioButton1 = named(new QRadioButton(QStringLiteral("调价公式"), GroupBox6), "RadioButton1");
    RadioButton1->setGeometry(16, 22, 90, 20);
    RadioButton1->setChecked(true);
    RadioButton2 = named(new QRadioButton(QStringLiteral("固定值"), GroupBox6), "RadioButton2");
    RadioButton2->setGeometry(120, 22, 90, 20);
    ComboBox3 = named(new QComboBox(GroupBox6), "ComboBox3");
    ComboBox3->setPlaceholderText(QStringLiteral("选择调价项目"));
    ComboBox3->setGeometry(16, 54, 120, 22);
    Label_Equals = named(new QLabel(QStringLiteral("＝"), GroupBox6), "Label_Equals");
    Label_Equals->setGeometry(140, 56, 14, 18);
    ComboBox4 = named(new QComboBox(GroupBox6), "ComboBox4");
    ComboBox4->setPlaceholderText(QStringLiteral("字段名称"));
    ComboBox4->setGeometry(158, 54, 100, 22);
    ComboBox5 = named(new QComboBox(GroupBox6), "ComboBox5");
    ComboBox5->setPlaceholderText(QStringLiteral("选择运算符"));
    ComboBox5->addItems({QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"), QStringLiteral("/")});
    ComboBox5->setCurrentIndex(-1);
    ComboBox5->setGeometry(262, 54, 86, 22);
    Edit2 = named(new QLineEdit(QStringLiteral("0"), GroupBox6), "Edit2");
    Edit2->setGeometry(352, 54, 120, 22);
    RadioGroup1 = new priceadj::RadioGroup(QStringLiteral("更新方式:"), {QStringLiteral("批量"), QStringLiteral("逐条")}, 1,
                                           GroupBox6);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(16, 90, 150, 64);
    RadioGroup1->setEnabled(false);
    RadioGroup3 = new priceadj::RadioGroup(QStringLiteral("调整的记录范围"),
                                           {QStringLiteral("显示的全部记录"), QStringLiteral("选中的记录")}, 1, GroupBox6);
    RadioGroup3->setObjectName(QStringLiteral("RadioGroup3"));
    RadioGroup3->setGeometry(180, 90, 150, 64);
    BitBtn9 = named(new QPushButton(QStringLiteral("调整"), GroupBox6), "BitBtn9");
    BitBtn9->setGeometry(360, 170, 90, 28);
    BitBtn9->setEnabled(false);
    row->addStretch(1);
    row->addWidget(GroupBox6);
    page->addWidget(Panel_Global);

    TemDBGridEh = named(new wage::DataGrid, "TemDBGridEh");
    TemDBGridEh->setCheckBoxes(true);
    TemDBGridEh->setSearchPanel(true);
    TemDBGridEh->setRowNumbers(true);
    styleGrid(TemDBGridEh, kInfoBackground);
    page->addWidget(TemDBGridEh, 1);
}

void TGxtzForm::wireHandlers()
{
    connect(BitBtn2, &QPushButton::clicked, this, &TGxtzForm::BitBtn2Click);
    connect(DataSource1, &wage::DataSource::stateChanged, this, &TGxtzForm::DataSource1StateChange);
    connect(DBGrid1, &wage::DataGrid::cellClicked, this, [this](int row, int) {
        if (ADOQuery1->isActive() && ADOQuery1->currentRow() != row)
            ADOQuery1->moveTo(row);
        DBGridEh1CellClick();
    });
    connect(BitBtn7, &QPushButton::clicked, this, &TGxtzForm::BitBtn7Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TGxtzForm::BitBtn9Click);
    connect(Edit2, &QLineEdit::textChanged, this, &TGxtzForm::Edit2Change);
    connect(RadioButton1, &QRadioButton::clicked, this, &TGxtzForm::RadioButtonClick);
    connect(RadioButton2, &QRadioButton::clicked, this, &TGxtzForm::RadioButtonClick);
    connect(CheckBox1, &QCheckBox::clicked, this, &TGxtzForm::CheckBox1Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TGxtzForm::SpeedButton1Click);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TGxtzForm::PageControl1Change);
    connect(PageControl2, &QTabWidget::currentChanged, this, &TGxtzForm::PageControl2Change);
    connect(BitBtn3, &QPushButton::clicked, this, &TGxtzForm::BitBtn3Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TGxtzForm::BitBtn5Click);
    connect(BitBtn8, &QPushButton::clicked, this, &TGxtzForm::BitBtn8Click);
    connect(BitBtn1, &QPushButton::clicked, this, &QWidget::close);
    for (QPushButton *b : {BitBtn15, BitBtn12, BitBtn13, BitBtn14, BitBtn11, BitBtn10, BitBtn4}) {
        const int tag = b->property("tag").toInt();
        connect(b, &QPushButton::clicked, this, [this, tag] { BitBtnTClick(tag); });
    }
    connect(BitBtn16, &QPushButton::clicked, this, &TGxtzForm::BitBtn16Click);
    // Keyboard preview: the window sees the keys of its controls first.
    const auto widgets = findChildren<QWidget *>();
    for (QWidget *w : widgets)
        w->installEventFilter(this);
}

wage::Dataset *TGxtzForm::hostDataset() const
{
    return m_hostSource ? m_hostSource->dataSet() : nullptr;
}

void TGxtzForm::reportFailure(const QString &caption, const std::exception &e)
{
    const QString text = QString::fromUtf8(e.what());
    try {
        WriteErrLog(text);
    } catch (const std::exception &) {
    }
    wage::prompt().error(text, caption.isEmpty() ? QStringLiteral("提示") : caption);
}

void TGxtzForm::setUpWindow()
{
    guarded(windowTitle(), [this] {
        m_hostSource = wage::findHostObjectAs<wage::DataSource>(hostWindow, QStringLiteral("datasource1"));
        ADOQuery1->setConnection(connection);
        F_PriceAdjust->setConnection(connection);
        GetExpand(QStringLiteral("f_jijm"), QStringLiteral("调整工价"), 41, connection);
        choice1->setchoi(QStringLiteral("f_jijm"), connection);
        const bool mssql = connection && connection->dialect() == wage::Dialect::MsSql;
        GroupBox_Hist->setVisible(mssql);
        GroupBox_Base->setVisible(mssql);
        DBGrid2->setDataSource(m_hostSource);
        DisGrid(QStringLiteral("f_jijm"), userName, m_hostSource, connection, DBGrid2);
        // Quantities and amounts add up; numbers such as the record number do not.
        DBGrid2->setFooterSums(true, {QStringLiteral("ip_uuld"), QStringLiteral("jjje")});
        loadAdjustableItems();
        OpenPriceAdjustTable();
    });
    prepareShow();
}

void TGxtzForm::prepareShow()
{
    CheckBox1->setVisible(true);
    BitBtn8->setVisible(userName == wage::administratorName());
    const bool mssql = connection && connection->dialect() == wage::Dialect::MsSql;
    PageControl1->setTabVisible(1, mssql);
}

void TGxtzForm::loadAdjustableItems()
{
    ComboBox2->clear();
    QString stored;
    try {
        stored = GetSqlStr(QStringLiteral("select gridwidth from tempconfig where key_name='F_jijm_TZGJ'"), connection);
    } catch (const std::exception &) {
        // Logged by GetSqlStr; the item box stays empty.
    }
    ComboBox2->addItems(GetStringList(QStringLiteral(","), stored, 1));
    ComboBox2->setCurrentIndex(-1);
}

QString TGxtzForm::conditionText() const
{
    return TrimText(choice1->getcurtj());
}

QString TGxtzForm::conditionDescription() const
{
    return choice1->descriptionText();
}

void TGxtzForm::showEvent(QShowEvent *event)
{
    wage::PluginForm::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TGxtzForm::FormShow()
{
    statusPanel(0)->setText(m_versionLabel);
    if (m_progress)
        m_progress->showpress(1, 5, QStringLiteral("稍侯。。。。"));
}

void TGxtzForm::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    FormClose();
    event->accept();
}

void TGxtzForm::FormCloseQuery()
{
    if (m_progress)
        m_progress->showpress(3, 5, QStringLiteral("正在关闭，处理当前数据环境。。。。"));
}

// The host gets its own query back.
void TGxtzForm::FormClose()
{
    guarded(windowTitle(), [this] {
        if (wage::Dataset *ds = hostDataset()) {
            cancelPendingHostEdit();
            ds->close();
            ds->setCommandText(GetDataSQLStr(userName, QStringLiteral("f_jijm"), connection));
            ds->open();
        }
    });
    if (m_progress)
        m_progress->showpress(5, 5, QStringLiteral("正在关闭。。。。"));
}

bool TGxtzForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this)
            FormKeyDown(w, static_cast<QKeyEvent *>(event)->key());
    }
    return wage::PluginForm::eventFilter(watched, event);
}

// Enter and Down go to the next control, Up to the previous one; the key still reaches the
// control. Grids and drop-down boxes keep their arrow keys for moving between rows and items.
bool TGxtzForm::FormKeyDown(QWidget *target, int key)
{
    const bool listLike = qobject_cast<QAbstractItemView *>(target) || qobject_cast<QComboBox *>(target)
                          || qobject_cast<QAbstractItemView *>(target->parentWidget());
    if (key == Qt::Key_Return || key == Qt::Key_Enter || (key == Qt::Key_Down && !listLike)) {
        focusNextChild();
        return true;
    }
    if (key == Qt::Key_Up && !listLike) {
        focusPreviousChild();
        return true;
    }
    return false;
}

void TGxtzForm::PageControl1Change()
{
    if (PageControl1->currentIndex() == 0) {
        static_cast<QBoxLayout *>(GroupBox1->layout())->addWidget(ChoicePanel);
        BitBtn8->setParent(GroupBox4);
        BitBtn8->setGeometry(376, 60, 90, 26);
        statusPanel(2)->clear();
    } else {
        static_cast<QBoxLayout *>(Panel_Global->layout())->insertWidget(0, ChoicePanel, 1);
        const QString target = ComboBox3->currentText(), source = ComboBox4->currentText();
        QStringList items;
        for (int i = 0; i < ComboBox2->count(); ++i)
            items << ComboBox2->itemText(i);
        ComboBox3->clear();
        ComboBox3->addItems(items);
        ComboBox3->setCurrentIndex(items.indexOf(target));
        ComboBox4->clear();
        ComboBox4->addItems(items);
        ComboBox4->setCurrentIndex(items.indexOf(source));
        guarded(windowTitle(), [this] {
            TemDBGridEh->setDataSource(m_hostSource);
            DisGrid(QStringLiteral("f_jijm"), userName, m_hostSource, connection, TemDBGridEh);
        });
        statusPanel(2)->clear();
        BitBtn8->setParent(GroupBox6);
        BitBtn8->setGeometry(360, 98, 90, 26);
    }
    ChoicePanel->show();
    BitBtn8->setVisible(userName == wage::administratorName());
}

void TGxtzForm::PageControl2Change()
{
    if (PageControl2->currentIndex() == 1 && Panel5->isHidden())
        wage::prompt().information(
            QStringLiteral("先添加调价条件，点\"查询\" 后，\r才能导入调价单进行批量自动调价。"), QStringLiteral("提示"));
}

void TGxtzForm::BitBtn3Click()
{
    HtmlHelp(this, wage::programDir() + QStringLiteral("\\help.chm::/工价调整.html"), HH_DISPLAY_TOPIC, 0);
}

void TGxtzForm::BitBtn5Click()
{
    if (PageControl2->currentIndex() == 0)
        GridColumnWidths(QStringLiteral("temp_gxtz"), DBGrid1, 1);
    else
        GridColumnWidths(QStringLiteral("temp_tzimp"), DBGridEh_Imp, 1);
}

void TGxtzForm::GridColumnWidths(const QString &key, wage::DataGrid *grid, int mode)
{
    const QString quotedKey = wage::sqlQuote(key);
    if (mode == 1) {
        QString widths;
        for (int i = 0; i < grid->columnCount(); ++i)
            widths += QString::number(grid->columnWidth(i)) + QLatin1Char(',');
        bool exists = false;
        try {
            exists = GetSqli(QStringLiteral("select count(*) from tempconfig where key_name='") + quotedKey + QLatin1Char('\''),
                             connection) != 0;
        } catch (const std::exception &) {
        }
        if (exists)
            RunSqlCommand(QStringLiteral("update tempconfig set gridwidth='") + widths + QStringLiteral("' where key_name='")
                              + quotedKey + QLatin1Char('\''),
                          connection);
        else
            RunSqlCommand(QStringLiteral("insert into tempconfig (key_name,gridwidth) values ('") + quotedKey
                              + QStringLiteral("','") + widths + QStringLiteral("') "),
                          connection);
        return;
    }
    QString stored;
    try {
        stored = GetSqlStr(QStringLiteral("select gridwidth from tempconfig where  key_name='") + quotedKey + QLatin1Char('\''),
                           connection);
    } catch (const std::exception &) {
        return;
    }
    const QStringList pieces = GetStringList(QStringLiteral(","), stored, 1);
    if (pieces.size() < grid->columnCount())
        return;
    QList<int> widths;
    for (int i = 0; i < grid->columnCount(); ++i) {
        bool ok = false;
        const int w = TrimText(pieces.at(i)).toInt(&ok);
        if (!ok) {
            // A damaged setting leaves the layout as it is rather than breaking the query.
            try {
                WriteErrLog(QStringLiteral("列宽设置%1无效：%2").arg(key, pieces.at(i)));
            } catch (const std::exception &) {
            }
            return;
        }
        widths << w;
    }
    for (int i = 0; i < widths.size(); ++i)
        grid->setColumnWidth(i, widths.at(i));
}

void TGxtzForm::SpeedButton1Click()
{
    SpeedButton1->hide();
    QCoreApplication::processEvents();
    m_stop = true;
}

void TGxtzForm::setStatusCount()
{
    if (wage::Dataset *ds = hostDataset())
        statusPanel(0)->setText(QStringLiteral("共有") + QString::number(ds->recordCount()) + QStringLiteral("条符合条件的记录"));
}

void TGxtzForm::installCellDrawing()
{
    auto text = [](wage::Dataset *ds, int row, const QString &field) -> QVariant {
        const int c = ds ? ds->fieldIndex(field) : -1;
        return c < 0 ? QVariant() : ds->value(row, c);
    };
    auto has = [](wage::Dataset *ds, const QString &field) { return ds && ds->fieldIndex(field) >= 0; };
    auto stateRed = [text, has](wage::Dataset *ds, int row, wage::CellStyle *style) {
        if (has(ds, QStringLiteral("State_id"))) {
            const QVariant v = text(ds, row, QStringLiteral("State_id"));
            if (v.isNull() || v.toInt() == 1)
                style->foreground = Qt::red;
        }
    };
    auto unused = [text, has](wage::Dataset *ds, int row, wage::CellStyle *style) {
        if (has(ds, QStringLiteral("UnUsed")) && text(ds, row, QStringLiteral("UnUsed")).toBool())
            style->background = kOlive;
    };
    // Drawing never fails a paint: a dataset without a field skips that rule.
    DBGrid1->setCellStyleHook([this, text, stateRed, unused](int row, int, wage::CellStyle *style) {
        try {
            wage::Dataset *ds = DBGrid1->dataset();
            if (!TrimText(text(ds, row, QStringLiteral("审核")).toString()).isEmpty())
                style->background = kSkyBlue;
            unused(ds, row, style);
            stateRed(ds, row, style);
        } catch (...) {
        }
        return style->background.isValid() || style->foreground.isValid();
    });
    auto recordHook = [text, stateRed, unused](wage::DataGrid *grid) {
        return [grid, text, stateRed, unused](int row, int, wage::CellStyle *style) {
            try {
                wage::Dataset *ds = grid->dataset();
                const QVariant locked = text(ds, row, QStringLiteral("locked"));
                if (!locked.isNull() && !TrimText(locked.toString()).isEmpty())
                    style->background = kSkyBlue;
                unused(ds, row, style);
                stateRed(ds, row, style);
            } catch (...) {
            }
            return style->background.isValid() || style->foreground.isValid();
        };
    };
    DBGrid2->setCellStyleHook(recordHook(DBGrid2));
    TemDBGridEh->setCellStyleHook(recordHook(TemDBGridEh));
    DBGridEh_Imp->setCellStyleHook([this, text](int row, int, wage::CellStyle *style) {
        try {
            const QVariant v = text(DBGridEh_Imp->dataset(), row, QStringLiteral("Active_state"));
            const QString state = TrimText(v.toString());
            if (state == QStringLiteral("无效")) {
                style->background = kOlive;
                style->foreground = QColor(0, 0, 255);
            } else if (state == QStringLiteral("已调价")) {
                style->background = kSkyBlue;
            }
            if (v.isNull() || state.isEmpty())
                style->foreground = Qt::red;
        } catch (...) {
        }
        return style->background.isValid() || style->foreground.isValid();
    });
}

void TGxtzForm::cancelPendingHostEdit()
{
    priceadj::cancelPending(hostDataset());
}

void TGxtzForm::BitBtn8Click()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Option_Form"))
            return;
    TOption_Form dialog(connection, this);
    guarded(windowTitle(), [&] { dialog.fillFields(); });
    connect(&dialog, &TOption_Form::saved, this, &TGxtzForm::loadAdjustableItems);
    dialog.exec();
}
