#include "kit/tmynavigator.h"

#include "core/handlerguard.h"

#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/recordroutines.h"

#include <QHBoxLayout>
#include <QMetaMethod>
#include <QRegularExpression>
#include <QToolButton>

TMyNavigator::TMyNavigator(const QStringList &captions, wage::DataGrid *grid, QWidget *parent)
    : QWidget(parent), m_captions(captions)
{
    setObjectName(QStringLiteral("MyNavigator1"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    for (int i = 0; i < captions.size(); ++i) {
        auto *b = new QToolButton(this);
        b->setText(captions.at(i));
        b->setObjectName(QStringLiteral("NavButton%1").arg(i));
        b->setAutoRaise(true);
        layout->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, i] { buttonClicked(i); });
        m_buttons << b;
    }
    layout->addStretch();
    setGrid(grid);
}

void TMyNavigator::setEditorTarget(const QString &table, wage::Connection *connection)
{
    m_table = table;
    m_connection = connection;
}

void TMyNavigator::setHints(const QStringList &hints)
{
    for (int i = 0; i < m_buttons.size() && i < hints.size(); ++i)
        m_buttons.at(i)->setToolTip(hints.at(i));
}

void TMyNavigator::setGrid(wage::DataGrid *grid)
{
    m_grid = grid;
    disconnect(m_stateLink);
    if (grid && grid->dataSource())
        m_stateLink = connect(grid->dataSource(), &wage::DataSource::stateChanged, this, &TMyNavigator::updateStates);
    updateStates();
}

TMyNavigator::Kind TMyNavigator::kindOf(const QString &caption)
{
    QString c = caption;
    c.remove(QLatin1Char('&'));
    c.remove(QRegularExpression(QStringLiteral("\\(.*\\)")));
    c = c.trimmed();
    static const QList<QPair<QString, Kind>> kinds{
        {QStringLiteral("新增"), Insert}, {QStringLiteral("删除"), Delete}, {QStringLiteral("修改"), Edit},
        {QStringLiteral("保存"), Save},   {QStringLiteral("取消"), Cancel}, {QStringLiteral("刷新"), Refresh},
        {QStringLiteral("首条"), First},  {QStringLiteral("上条"), Prior},  {QStringLiteral("下条"), Next},
        {QStringLiteral("末条"), Last},   {QStringLiteral("关闭"), Close}};
    for (const auto &k : kinds)
        if (k.first == c)
            return k.second;
    return Custom;
}

QToolButton *TMyNavigator::button(const QString &caption) const
{
    const int i = m_captions.indexOf(caption);
    return i >= 0 ? m_buttons.at(i) : nullptr;
}

void TMyNavigator::press(const QString &caption)
{
    const int i = m_captions.indexOf(caption);
    if (i >= 0)
        buttonClicked(i);
}

wage::Dataset *TMyNavigator::dataset() const { return m_grid ? m_grid->dataset() : nullptr; }

void TMyNavigator::buttonClicked(int index)
{
    const QString caption = m_captions.at(index);
    const QString errorCaption = window()->windowTitle().isEmpty() ? QStringLiteral("提示") : window()->windowTitle();
    const QPointer<TMyNavigator> self(this);
    // A move or a refresh posts the pending record first; the database may refuse it. The
    // user reads why, the record keeps its edit, and the owner's Click does not run.
    const bool done = wage::guardHandler(errorCaption, [&] {
        wage::Dataset *ds = dataset();
        const Kind kind = kindOf(caption);
        int action = 0;
        switch (kind) {
        case Insert: action = 1; break;
        case Edit: action = 2; break;
        case Save: action = 3; break;
        case Cancel: action = 4; break;
        case Delete: action = 5; break;
        case First: if (ds) ds->first(); break;
        case Prior: if (ds) ds->prior(); break;
        case Next: if (ds) ds->next(); break;
        case Last: if (ds) ds->last(); break;
        case Refresh:
            // Reopening would drop the pending record silently: it is posted like a move posts it.
            if (ds && ds->isActive()) {
                ds->checkBrowseMode();
                SetDataSetRefresh(ds);
            }
            break;
        case Close:
        case Custom: break;
        }
        if (action) {
            if (isSignalConnected(QMetaMethod::fromSignal(&TMyNavigator::DatasetEditorRequested)))
                emit DatasetEditorRequested(action);
            else if (ds)
                DatasetEditor(ds, m_table, m_connection, action);
        }
    });
    if (!self)   // the owner's handler freed the bar
        return;
    updateStates();
    if (!done)
        return;
    CurCaption = caption;
    wage::guardHandler(errorCaption, [&] { emit Click(caption); });
}

void TMyNavigator::updateStates()
{
    wage::Dataset *ds = dataset();
    const bool active = ds && ds->isActive();
    const bool editing = active && (ds->state() == wage::Dataset::Edit || ds->state() == wage::Dataset::Insert);
    for (int i = 0; i < m_buttons.size(); ++i) {
        const Kind k = kindOf(m_captions.at(i));
        bool enabled = true;
        if (k == Save || k == Cancel)
            enabled = editing;
        else if (k == Insert || k == Edit || k == Delete || k == Refresh || k == First || k == Prior || k == Next || k == Last)
            enabled = active;
        m_buttons.at(i)->setEnabled(enabled);
    }
}
