// The main window's components and the small handlers that only concern them.
#include "frm_main.h"

#include <QDialog>

#include "processes.h"

#include "core/errlog.h"
#include "net/alert.h"
#include "db/connection.h"
#include "progress/tprogress.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

// ---- TRadioGroup ----

TRadioGroup::TRadioGroup(const QString &caption, const QStringList &items, QWidget *parent)
    : QWidget(parent), m_box(new QGroupBox(caption, this))
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_box);
    auto *inner = new QVBoxLayout(m_box);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), m_box);
        button->setObjectName(QStringLiteral("item%1").arg(i));
        inner->addWidget(button);
        m_items << button;
    }
    setItemIndex(0);
}

int TRadioGroup::itemIndex() const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items.at(i)->isChecked())
            return i;
    return -1;
}

void TRadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < m_items.size())
        m_items.at(index)->setChecked(true);
}

QRadioButton *TRadioGroup::item(int index) const { return m_items.value(index); }

// ---- TWebBrowser ----

TWebBrowser::TWebBrowser(QWidget *parent) : QWidget(parent) {}

void TWebBrowser::navigate(const QString &url)
{
    // The visit only tells the vendor which installation looked; the page itself is not shown.
    m_visited << url;
    static QNetworkAccessManager *manager = nullptr;
    if (!manager)
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(10000);
    QNetworkReply *reply = manager->get(request);
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

// ---- TStatusBar ----

TStatusBar::TStatusBar(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    const int widths[] = {180, 180, 250, 50};
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i < 3)
            panel->setFixedWidth(widths[i]);
        else
            panel->setMinimumWidth(widths[i]);
        layout->addWidget(panel, i == 3 ? 1 : 0);
        m_panels << panel;
        m_drawn << false;
    }
    setFixedHeight(22);
}

QString TStatusBar::panelText(int index) const
{
    return index >= 0 && index < m_panels.size() ? m_panels.at(index)->text() : QString();
}

void TStatusBar::setPanelText(int index, const QString &text)
{
    if (index >= 0 && index < m_panels.size())
        m_panels.at(index)->setText(text);
}

bool TStatusBar::panelOwnerDrawn(int index) const { return m_drawn.value(index); }

void TStatusBar::setPanelOwnerDrawn(int index, bool drawn)
{
    if (index < 0 || index >= m_panels.size())
        return;
    m_drawn[index] = drawn;
    if (drawn)
        emit drawPanel(index, panelRect(index));
}

QRect TStatusBar::panelRect(int index) const
{
    return m_panels.value(index) ? m_panels.at(index)->geometry() : QRect();
}

void TStatusBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    for (int i = 0; i < m_drawn.size(); ++i)
        if (m_drawn.at(i))
            emit drawPanel(i, panelRect(i));
}

// ---- TFrm_Main ----

namespace {

QTreeWidget *listView(const QString &name, const QStringList &columns, const QList<int> &widths, QWidget *parent)
{
    auto *view = new QTreeWidget(parent);
    view->setObjectName(name);
    view->setColumnCount(columns.size());
    view->setHeaderLabels(columns);
    for (int i = 0; i < widths.size(); ++i)
        view->setColumnWidth(i, widths.at(i));
    view->setRootIsDecorated(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

QPixmap productPicture()
{
    QPixmap pixmap(120, 60);
    pixmap.fill(QColor(0x1e, 0x5a, 0xa8));
    QPainter painter(&pixmap);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(18);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("计件工资"));
    return pixmap;
}

} // namespace

TFrm_Main::TFrm_Main(const QStringList &parameters, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_parameters(parameters)
{
    setObjectName(QStringLiteral("Frm_Main"));
    buildWindow();
    killApplication = [](int exitCode) { updater::EndProcessNow(exitCode); };
    startProgram = [](const QString &fileName) { return updater::StartProgram(fileName); };
    showModal = [](QDialog *window) { window->exec(); };
    killTask = [](const QString &programName, bool kill) { return updater::KillTask(programName, kill); };
}

void TFrm_Main::buildWindow()
{
    setWindowTitle(QStringLiteral("在线升级"));
    setFixedSize(889, 597);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xA6, 0xCA, 0xF0));
    setPalette(pal);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 0);
    root->setSpacing(4);

    Panel3 = new QLabel(QStringLiteral("正在获取升级信息......."), this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    QFont banner(QStringLiteral("KaiTi"));
    banner.setPixelSize(21);
    banner.setBold(true);
    Panel3->setFont(banner);
    Panel3->setStyleSheet(QStringLiteral("color: blue;"));
    Panel3->setAlignment(Qt::AlignCenter);
    Panel3->setFixedHeight(36);
    root->addWidget(Panel3);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    auto *top = new QWidget(splitter);
    auto *topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    ListView0 = listView(QStringLiteral("ListView0"), {QStringLiteral("序号"), QStringLiteral("更新内容")}, {80, 700}, top);
    ListView0->setSortingEnabled(true);
    ListView0->sortByColumn(0, Qt::AscendingOrder);
    topLayout->addWidget(ListView0);
    WebBrowser1 = new TWebBrowser(top);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setFixedWidth(1);
    WebBrowser1->hide();
    topLayout->addWidget(WebBrowser1);

    PageControl1 = new QTabWidget(splitter);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto *page1 = new QWidget;
    page1->setObjectName(QStringLiteral("TabSheet1"));
    auto *page1Layout = new QVBoxLayout(page1);
    auto *group = new QGroupBox(QStringLiteral("基础功能更新"), page1);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *groupLayout = new QVBoxLayout(group);
    ListView1 = listView(QStringLiteral("ListView1"),
                         {QStringLiteral("属性"), QStringLiteral("模块"), QStringLiteral("更新日期"), QStringLiteral("备注：")},
                         {80, 150, 150, 400}, group);
    groupLayout->addWidget(ListView1);
    page1Layout->addWidget(group);
    PageControl1->addTab(page1, QStringLiteral("常规升级"));

    auto *page2 = new QWidget;
    page2->setObjectName(QStringLiteral("TabSheet2"));
    auto *page2Layout = new QHBoxLayout(page2);
    ListView2 = listView(QStringLiteral("ListView2"),
                         {QStringLiteral("属性"), QStringLiteral("功能描述"), QStringLiteral("最新版本"), QStringLiteral("备注：")},
                         {80, 150, 150, 400}, page2);
    page2Layout->addWidget(ListView2, 3);
    auto *side = new QVBoxLayout;
    Image2 = new QLabel(page2);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setFixedSize(200, 150);
    Memo3 = new QTextEdit(page2);
    Memo3->setObjectName(QStringLiteral("Memo3"));
    Memo3->setReadOnly(true);
    Memo3->setPlainText(QStringLiteral("点击左侧功能列表获取详情"));
    Memo3->setFixedWidth(200);
    side->addWidget(Image2);
    side->addWidget(Memo3);
    page2Layout->addLayout(side);
    PageControl1->addTab(page2, QStringLiteral("***拓展内容升级***"));
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    root->addWidget(splitter, 1);

    auto *bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("Panel1"));
    bottom->setFixedHeight(90);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    Image1 = new QLabel(bottom);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(productPicture());
    bottomLayout->addWidget(Image1);
    RadioGroup1 = new TRadioGroup(QStringLiteral("终端类型"), {QStringLiteral("客户端"), QStringLiteral("服务器")}, bottom);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    bottomLayout->addWidget(RadioGroup1);
    RadioGroup2 = new TRadioGroup(QStringLiteral("选择升级服务器"), {QStringLiteral("服务器1"), QStringLiteral("服务器2")}, bottom);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    bottomLayout->addWidget(RadioGroup2);
    bottomLayout->addStretch(1);
    auto button = [&](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, bottom);
        b->setObjectName(QLatin1String(name));
        b->setMinimumHeight(36);
        bottomLayout->addWidget(b);
        return b;
    };
    BitBtn1 = button("BitBtn1", QStringLiteral("最新动态"));
    BitBtn1->setEnabled(false);
    btn_Update = button("btn_Update", QStringLiteral("升级"));
    btn_Update->setEnabled(false);
    BitBtn2 = button("BitBtn2", QStringLiteral("文档管理"));
    Button1 = button("Button1", QStringLiteral("更新报表"));
    Button1->setVisible(false);
    Btn_Cancel = button("Btn_Cancel", QStringLiteral("退出"));
    root->addWidget(bottom);

    Memo1 = new QTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->hide();

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    root->addWidget(StatusBar1);
    PB_Cur = new QProgressBar(this);
    PB_Cur->setObjectName(QStringLiteral("PB_Cur"));
    PB_Cur->setTextVisible(false);
    PB_Cur->hide();
    connect(StatusBar1, &TStatusBar::drawPanel, this, &TFrm_Main::StatusBar1DrawPanel);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TFrm_Main::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TFrm_Main::Timer2Timer);
    Timer2->start();

    ADOConnection1 = new wage::Connection(this);
    ADOConnection1->setObjectName(QStringLiteral("ADOConnection1"));
    progress1 = new Tprogress(this);
    progress1->setObjectName(QStringLiteral("progress1"));

    IdHTTP1.options.userAgent = QStringLiteral("Mozilla/3.0 (compatible; Indy Library)");
    // A transfer that receives nothing for a minute fails; the user can still interrupt sooner.
    IdHTTP1.options.readTimeoutMs = 60000;

    connect(btn_Update, &QPushButton::clicked, this, &TFrm_Main::btn_UpdateClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFrm_Main::Btn_CancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TFrm_Main::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFrm_Main::BitBtn2Click);
    connect(Button1, &QPushButton::clicked, this, &TFrm_Main::Button1Click);
    connect(ListView2, &QTreeWidget::itemClicked, this, &TFrm_Main::ListView2Click);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TFrm_Main::PageControl1Change);
}

TFrm_Main::~TFrm_Main()
{
    FormDestroy();
    if (m_busyCursor)
        QApplication::restoreOverrideCursor();
}

void TFrm_Main::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // Start-up runs once the window is on screen, from the event loop.
    QTimer::singleShot(0, this, &TFrm_Main::FormShow);
}

void TFrm_Main::guarded(const std::function<void()> &step)
{
    try {
        step();
    } catch (const ActionAbandoned &) {
    } catch (const std::exception &) {
    } catch (...) {
    }
}

void TFrm_Main::StatusBar1DrawPanel(int index, const QRect &rect)
{
    Q_UNUSED(index);
    PB_Cur->setParent(StatusBar1);
    PB_Cur->setGeometry(rect);
    PB_Cur->setMinimum(0);
    PB_Cur->show();
    PB_Cur->raise();
}

void TFrm_Main::setPanel3Drawn(bool drawn)
{
    StatusBar1->setPanelOwnerDrawn(3, drawn);
    if (!drawn)
        PB_Cur->hide();
}

void TFrm_Main::Timer2Timer()
{
    m_timer2Counter = m_timer2Counter >= 100 ? 0 : m_timer2Counter + 1;
    setStatusText(2, QStringLiteral("正在获取更新信息......."));
    PB_Cur->setValue(m_timer2Counter);
}

void TFrm_Main::setBanner(const QString &text)
{
    if (m_unattended && Panel3->text() != text) {
        std::printf("%s\n", text.toUtf8().constData());
        std::fflush(stdout);
    }
    Panel3->setText(text);
}

void TFrm_Main::setStatusText(int panel, const QString &text)
{
    if (m_unattended && panel == 2 && !text.isEmpty() && StatusBar1->panelText(2) != text
        && !text.startsWith(QStringLiteral("下载："))) {
        std::printf("  %s\n", text.toUtf8().constData());
        std::fflush(stdout);
    }
    StatusBar1->setPanelText(panel, text);
}

void TFrm_Main::setBusyCursor(bool busy)
{
    if (busy == m_busyCursor)
        return;
    m_busyCursor = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

QString TFrm_Main::parameter(int index) const { return m_parameters.value(index); }

void TFrm_Main::endProcess(int exitCode)
{
    killApplication(exitCode);
    throw ActionAbandoned{};
}

// An unattended run never waits for a user: it ends with the status of what it did.
void TFrm_Main::endUnattendedRun()
{
    if (!m_unattended)
        return;
    const bool ok = m_outcome == Outcome::Updated || m_outcome == Outcome::UpToDate;
    if (!ok) {
        const QString text = QStringLiteral("升级未完成，请查看 Error.Log");
        std::printf("%s\n", text.toUtf8().constData());
    }
    std::fflush(stdout);
    guarded([this, ok] { endProcess(ok ? 0 : 1); });
}
