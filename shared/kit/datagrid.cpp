#include "kit/datagrid.h"

#include "core/handlerguard.h"
#include "core/prompt.h"
#include "db/datasetmodel.h"
#include "db/datasource.h"
#include "kit/griddelegate.h"
#include "kit/gridfooter.h"
#include "kit/gridmodel.h"
#include "kit/gridsearch.h"

#include <QEvent>
#include <cmath>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace wage {

struct DataGrid::Private {
    QPointer<DataSource> source;
    GridModel *model = nullptr;
    QTableView *view = nullptr;
    QTableView *frozen = nullptr;
    GridFooter *footer = nullptr;
    QWidget *searchBar = nullptr;
    QLineEdit *search = nullptr;
    int frozenCols = 0;
    bool titleSort = true;
    bool footerOn = false;
    bool footerChosen = false;      // footer fields given by the owner or the registry
    QStringList footerFields;
    // What the dataset's filter was last made from; the search runs again only when one changes.
    QPointer<Dataset> filtered;
    QString filteredText;
    QList<SearchColumn> filteredColumns;
    int sortColumn = -1;
    bool sortAscending = true;
    bool syncing = false;
    QList<QMetaObject::Connection> dsLinks;
};

DataGrid::DataGrid(QWidget *parent) : QWidget(parent), d(new Private)
{
    d->model = new GridModel(this);
    d->view = new QTableView(this);
    d->view->setObjectName(QStringLiteral("GridView"));
    d->view->setModel(d->model);
    d->view->setItemDelegate(new GridDelegate(d->model, d->view));
    d->view->horizontalHeader()->setSectionsMovable(true);
    d->view->horizontalHeader()->setSectionsClickable(true);
    d->view->horizontalHeader()->setHighlightSections(false);
    d->view->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    d->view->verticalHeader()->setDefaultSectionSize(d->view->fontMetrics().height() + 8);
    d->view->setAlternatingRowColors(false);
    d->view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);

    d->frozen = new QTableView(d->view);
    d->frozen->setObjectName(QStringLiteral("FrozenView"));
    d->frozen->setModel(d->model);
    d->frozen->setItemDelegate(new GridDelegate(d->model, d->frozen));
    d->frozen->setSelectionModel(d->view->selectionModel());
    d->frozen->setFocusPolicy(Qt::NoFocus);
    d->frozen->verticalHeader()->hide();
    d->frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    d->frozen->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    d->frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d->frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d->frozen->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    d->frozen->verticalHeader()->setDefaultSectionSize(d->view->verticalHeader()->defaultSectionSize());
    d->frozen->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
    d->frozen->hide();
    d->view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(d->frozen->verticalScrollBar(), &QScrollBar::valueChanged, d->view->verticalScrollBar(), &QScrollBar::setValue);
    connect(d->view->verticalScrollBar(), &QScrollBar::valueChanged, d->frozen->verticalScrollBar(), &QScrollBar::setValue);
    connect(d->view->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section < d->model->viewColumn(d->frozenCols)) {
            d->frozen->setColumnWidth(section, size);
            updateFrozenGeometry();
        }
    });
    d->view->installEventFilter(this);

    d->footer = new GridFooter(d->view, this);
    d->footer->hide();

    d->searchBar = new QWidget(this);
    auto *sl = new QHBoxLayout(d->searchBar);
    sl->setContentsMargins(2, 2, 2, 2);
    sl->addWidget(new QLabel(QStringLiteral("搜索:"), d->searchBar));
    d->search = new QLineEdit(d->searchBar);
    d->search->setObjectName(QStringLiteral("SearchPanel"));
    d->search->setClearButtonEnabled(true);
    sl->addWidget(d->search, 1);
    d->searchBar->hide();
    connect(d->search, &QLineEdit::textChanged, this, [this] { applyFilter(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(d->searchBar);
    layout->addWidget(d->view, 1);
    layout->addWidget(d->footer);

    // A title press sorts; it does not select the column, which would also move the current
    // record (and post it) before the sort.
    disconnect(d->view->horizontalHeader(), SIGNAL(sectionPressed(int)), d->view, SLOT(selectColumn(int)));
    disconnect(d->view->horizontalHeader(), SIGNAL(sectionEntered(int)), d->view, SLOT(_q_selectColumn(int)));
    // Handlers below run inside Qt's event delivery: a database error (a pending record the
    // database refuses when a move or a sort posts it) is shown there and goes no further.
    connect(d->view->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int viewColumn) {
        if (d->model->isCheckColumn(viewColumn))
            return;
        const int gc = d->model->gridColumn(viewColumn);
        guardHandler(errorCaption(), [&] {
            // The pending record is posted before anything about the order changes: when the
            // database refuses it, the grid stays as it was.
            if (Dataset *ds = dataset(); ds && ds->isActive())
                ds->checkBrowseMode();
            if (d->titleSort)
                titleClick(gc);
            emit titleClicked(gc);
        });
    });
    connect(d->view, &QTableView::clicked, this, [this](const QModelIndex &i) {
        if (!d->model->isCheckColumn(i.column()))
            guardHandler(errorCaption(), [&] { emit cellClicked(i.row(), d->model->gridColumn(i.column())); });
    });
    // A 无焦点 column never keeps the cursor: it moves on to the next column that may have it.
    connect(d->view->selectionModel(), &QItemSelectionModel::currentColumnChanged, this,
            [this](const QModelIndex &current, const QModelIndex &previous) {
                if (d->syncing || !current.isValid() || d->model->isCheckColumn(current.column()))
                    return;
                const int gc = d->model->gridColumn(current.column());
                if (gc < 0 || gc >= columnCount() || !column(gc).noFocus)
                    return;
                const int first = previous.isValid() && previous.column() > current.column() ? -1 : 1;
                for (int step : {first, -first})
                    for (int c = gc + step; c >= 0 && c < columnCount(); c += step)
                        if (column(c).visible && !column(c).noFocus) {
                            d->view->setCurrentIndex(d->model->index(current.row(), d->model->viewColumn(c)));
                            return;
                        }
            });
    connect(d->view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (d->syncing || !current.isValid())
                    return;
                const bool moved = guardHandler(errorCaption(), [&] {
                    if (Dataset *ds = dataset())
                        if (ds->currentRow() != current.row()) {
                            d->syncing = true;
                            try {
                                ds->moveTo(current.row());
                            } catch (...) {
                                d->syncing = false;
                                throw;
                            }
                            d->syncing = false;
                        }
                });
                if (!moved) {
                    // The record stays where it was, with its pending edit: so does the cursor,
                    // once the selection model has finished this change.
                    QTimer::singleShot(0, this, [this] { syncCurrentFromDataset(); });
                    return;
                }
                guardHandler(errorCaption(), [&] { emit currentRowChanged(current.row()); });
            });
    connect(d->model, &QAbstractItemModel::modelReset, this, [this] {
        applyLayout();
        applyFilter();   // another dataset, or the same one reopened with other fields
        syncCurrentFromDataset();
    });
    connect(d->model, &GridModel::contentChanged, this, [this] { refreshFooter(); });
}

DataGrid::~DataGrid()
{
    // The dataset outlives its grids: it shows every record again (unless an edit is pending,
    // which only its owner may post). The grid hears nothing more of it.
    disconnect(d->model, nullptr, this, nullptr);
    if (d->filtered && d->filtered->isFiltered() && d->filtered->state() == Dataset::Browse)
        d->filtered->setFilter(nullptr);
    delete d;
}

void DataGrid::setDataSource(DataSource *source)
{
    for (const auto &c : d->dsLinks)
        disconnect(c);
    d->dsLinks.clear();
    d->source = source;
    d->sortColumn = -1;
    d->model->setDataSource(source);
    if (source) {
        d->dsLinks << connect(source, &DataSource::afterScroll, this, [this] { syncCurrentFromDataset(); });
        d->dsLinks << connect(source, &DataSource::activeChanged, this, [this] { syncCurrentFromDataset(); });
    }
    syncCurrentFromDataset();
}

DataSource *DataGrid::dataSource() const { return d->source; }
Dataset *DataGrid::dataset() const { return d->source ? d->source->dataSet() : nullptr; }

void DataGrid::setColumns(const QList<GridColumn> &columns)
{
    d->model->setColumns(columns);
    d->sortColumn = -1;
    if (d->footerChosen)
        markFooterColumns(d->footerFields);
    applyLayout();
    applyFilter();
}

QList<GridColumn> DataGrid::columns() const { return d->model->columns(); }
int DataGrid::columnCount() const { return d->model->columns().size(); }
GridColumn DataGrid::column(int index) const { return d->model->columns().value(index); }

int DataGrid::columnOfField(const QString &fieldName) const
{
    const QList<GridColumn> &cols = d->model->columns();
    for (int i = 0; i < cols.size(); ++i)
        if (!cols.at(i).fieldName.isEmpty() && cols.at(i).fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void DataGrid::insertColumn(int index, const GridColumn &column)
{
    QList<GridColumn> cols = d->model->columns();
    QList<ProgressHook> hooks;
    for (int i = 0; i < cols.size(); ++i)
        hooks << d->model->progressHook(i);
    index = qBound(0, index, cols.size());
    cols.insert(index, column);
    hooks.insert(index, ProgressHook());
    d->model->setColumns(cols);
    for (int i = 0; i < hooks.size(); ++i)
        if (hooks.at(i))
            d->model->setProgressHook(i, hooks.at(i));
    applyLayout();
}

void DataGrid::setColumnWidth(int index, int width)
{
    if (index < 0 || index >= columnCount())
        return;
    d->model->columnRef(index).width = width;
    d->view->setColumnWidth(d->model->viewColumn(index), width);
}

int DataGrid::columnWidth(int index) const { return d->view->columnWidth(d->model->viewColumn(index)); }

void DataGrid::setColumnVisible(int index, bool visible)
{
    if (index < 0 || index >= columnCount())
        return;
    d->model->columnRef(index).visible = visible;
    applyLayout();
    applyFilter();
}

bool DataGrid::isColumnVisible(int index) const
{
    return !d->view->isColumnHidden(d->model->viewColumn(index));
}

QString DataGrid::titleText(int index) const
{
    return d->model->headerData(d->model->viewColumn(index), Qt::Horizontal).toString();
}

void DataGrid::setReadOnly(bool readOnly)
{
    d->model->setReadOnly(readOnly);
    d->view->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                      : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                            | QAbstractItemView::AnyKeyPressed);
}

bool DataGrid::isReadOnly() const { return d->model->isReadOnly(); }

void DataGrid::setCheckBoxes(bool on)
{
    d->model->setCheckBoxes(on);
    applyLayout();
}

bool DataGrid::hasCheckBoxes() const { return d->model->checkBoxes(); }
void DataGrid::setRowNumbers(bool on) { d->view->verticalHeader()->setVisible(on); }

void DataGrid::setSearchPanel(bool on)
{
    d->searchBar->setVisible(on);
    if (!on)
        d->search->clear();
}

bool DataGrid::hasSearchPanel() const { return !d->searchBar->isHidden(); }
void DataGrid::setSearchText(const QString &text) { d->search->setText(text); }
QString DataGrid::searchText() const { return d->search->text(); }
bool DataGrid::isRowShown(int row) const { return row >= 0 && row < d->model->rowCount(); }

void DataGrid::setFrozenCols(int count)
{
    d->frozenCols = qMax(0, count);
    applyLayout();
}

int DataGrid::frozenCols() const { return d->frozenCols; }
void DataGrid::setTitleSort(bool on) { d->titleSort = on; }

void DataGrid::titleClick(int index)
{
    Dataset *ds = dataset();
    const GridColumn col = column(index);
    if (!ds || col.fieldName.isEmpty())
        return;
    d->sortAscending = d->sortColumn == index ? !d->sortAscending : true;
    d->sortColumn = index;
    ds->setSort(d->sortAscending ? col.fieldName : col.fieldName + QStringLiteral(" DESC"));
    d->view->horizontalHeader()->setSortIndicatorShown(true);
    d->view->horizontalHeader()->setSortIndicator(d->model->viewColumn(index),
                                                  d->sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

QString DataGrid::errorCaption() const
{
    const QString title = window()->windowTitle();
    return title.isEmpty() ? QStringLiteral("提示") : title;
}

QString DataGrid::sortText() const { return dataset() ? dataset()->sort() : QString(); }

void DataGrid::setFooterSums(bool on, const QStringList &fields)
{
    d->footerOn = on;
    if (!fields.isEmpty()) {
        d->footerChosen = true;
        d->footerFields = fields;
        markFooterColumns(fields);
    } else if (on && !d->footerChosen) {
        // Nobody chose: the numeric columns, less the record's key (a record number has no total).
        const QStringList keys = dataset() && dataset()->isActive() ? dataset()->keyFields() : QStringList();
        for (int i = 0; i < columnCount(); ++i) {
            GridColumn &c = d->model->columnRef(i);
            c.footerSum = c.numeric && !c.fieldName.isEmpty() && !keys.contains(c.fieldName, Qt::CaseInsensitive);
        }
    }
    d->footer->setVisible(on);
    refreshFooter();
}

void DataGrid::setFooterFields(const QStringList &fields)
{
    d->footerChosen = true;
    d->footerFields = fields;
    markFooterColumns(fields);
    refreshFooter();
}

QStringList DataGrid::footerFields() const
{
    QStringList out;
    for (const GridColumn &c : d->model->columns())
        if (c.footerSum)
            out << c.fieldName;
    return out;
}

void DataGrid::markFooterColumns(const QStringList &fields)
{
    for (int i = 0; i < columnCount(); ++i) {
        GridColumn &c = d->model->columnRef(i);
        c.footerSum = !c.fieldName.isEmpty() && fields.contains(c.fieldName, Qt::CaseInsensitive);
    }
}

bool DataGrid::footerSums() const { return d->footerOn; }

// The dataset keeps the sums as values change; this only formats them, as the cells are.
void DataGrid::refreshFooter()
{
    if (!d->footerOn) {
        d->footer->setTexts({});
        return;
    }
    QStringList texts(d->model->columnCount());
    Dataset *ds = dataset();
    if (ds && ds->isActive()) {
        const QList<GridColumn> &cols = d->model->columns();
        for (int c = 0; c < cols.size(); ++c) {
            if (!cols.at(c).footerSum)
                continue;
            const int fi = ds->fieldIndex(cols.at(c).fieldName);
            if (fi < 0)
                continue;
            double sum = ds->fieldSum(fi);
            if (std::fabs(sum) < 1e-9)
                sum = 0;   // no "-0.00" from sums that went up and down
            texts[d->model->viewColumn(c)] = GridModel::displayText(sum, ds->fieldKind(fi));
        }
    }
    d->footer->setTexts(texts);
}

QString DataGrid::footerText(int index) const
{
    return d->footer->texts().value(d->model->viewColumn(index));
}

double DataGrid::footerSum(int index) const
{
    Dataset *ds = dataset();
    if (!d->footerOn || !ds || !ds->isActive() || index < 0 || index >= columnCount() || !column(index).footerSum)
        return 0;
    const int fi = ds->fieldIndex(column(index).fieldName);
    return fi < 0 ? 0 : ds->fieldSum(fi);
}

void DataGrid::setCellStyleHook(CellStyleHook hook)
{
    d->model->setStyleHook(std::move(hook));
    d->view->viewport()->update();
}

void DataGrid::setProgressHook(int index, ProgressHook hook)
{
    d->model->setProgressHook(index, std::move(hook));
}

TextTable DataGrid::toTextTable() const
{
    TextTable t;
    QList<int> cols;
    const QHeaderView *h = d->view->horizontalHeader();
    // Visible columns in the order the user sees them.
    for (int visual = 0; visual < h->count(); ++visual) {
        const int logical = h->logicalIndex(visual);
        if (d->model->isCheckColumn(logical) || h->isSectionHidden(logical))
            continue;
        cols << d->model->gridColumn(logical);
    }
    for (int c : cols) {
        t.headers << column(c).caption;
        t.numeric << column(c).numeric;
    }
    const int rows = d->model->rowCount();
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        for (int c : cols)
            cells << d->model->cellText(r, c);
        t.rows << cells;
    }
    return t;
}

bool DataGrid::exportTo(const QString &path, ExportFormat format) const { return exportTable(toTextTable(), path, format); }

QTableView *DataGrid::view() const { return d->view; }
QTableView *DataGrid::frozenView() const { return d->frozen; }
GridModel *DataGrid::gridModel() const { return d->model; }
QLineEdit *DataGrid::searchEdit() const { return d->search; }
GridFooter *DataGrid::footer() const { return d->footer; }

void DataGrid::applyLayout()
{
    const QList<GridColumn> &cols = d->model->columns();
    const int checkOffset = d->model->checkBoxes() ? 1 : 0;
    if (checkOffset) {
        d->view->setColumnWidth(0, 24);
        d->view->setColumnHidden(0, false);
    }
    for (int i = 0; i < cols.size(); ++i) {
        d->view->setColumnWidth(i + checkOffset, cols.at(i).width);
        d->view->setColumnHidden(i + checkOffset, !cols.at(i).visible);
    }
    // Frozen part: the tick column and the first frozenCols grid columns.
    const int frozenView = d->frozenCols > 0 ? d->frozenCols + checkOffset : 0;
    const int total = d->model->columnCount();
    for (int c = 0; c < total; ++c) {
        d->frozen->setColumnHidden(c, c >= frozenView || d->view->isColumnHidden(c));
        d->frozen->setColumnWidth(c, d->view->columnWidth(c));
    }
    d->frozen->setVisible(frozenView > 0);
    if (frozenView > 0)
        d->frozen->horizontalHeader()->setFixedHeight(d->view->horizontalHeader()->height());
    updateFrozenGeometry();
    refreshFooter();
}

// The search panel filters the dataset itself, so that the record count, walks, exports and
// footer sums see the rows the grid shows. Typing on narrows the rows already found.
void DataGrid::applyFilter()
{
    try {
        applyFilterTo(dataset());
    } catch (const DbError &e) {
        // Filtering posts a pending edit first, which the database may refuse: the edit stays
        // for correction and the rows stay as they were.
        prompt().warning(e.reason(), systemCaption());
    }
}

void DataGrid::applyFilterTo(Dataset *ds)
{
    // Tracking ends only once a filter is gone (clearing may fail on a pending edit).
    if (d->filtered && d->filtered != ds) {
        if (d->filtered->isFiltered())
            d->filtered->setFilter(nullptr);
        d->filtered = nullptr;
    }
    const QString text = d->search->text().trimmed();
    if (!ds || !ds->isActive())
        return;   // a closed dataset keeps its filter and applies it when it opens
    if (text.isEmpty()) {
        if (d->filtered == ds) {
            if (ds->isFiltered())
                ds->setFilter(nullptr);
            d->filtered = nullptr;
            d->filteredText.clear();
        }
        return;
    }
    QList<SearchColumn> cols;
    for (const GridColumn &c : d->model->columns()) {
        const int fi = c.visible && !c.fieldName.isEmpty() ? ds->fieldIndex(c.fieldName) : -1;
        if (fi >= 0)
            cols << SearchColumn{fi, ds->fieldKind(fi)};
    }
    if (d->filtered == ds && d->filteredText == text && d->filteredColumns == cols && ds->isFiltered())
        return;
    const bool narrowing = d->filtered == ds && d->filteredColumns == cols && ds->isFiltered()
        && !d->filteredText.isEmpty() && text.contains(d->filteredText, Qt::CaseInsensitive);
    // Noted before filtering: the reset that filtering sends comes back here.
    const QPointer<Dataset> before = d->filtered;
    const QString beforeText = d->filteredText;
    const QList<SearchColumn> beforeCols = d->filteredColumns;
    d->filtered = ds;
    d->filteredText = text;
    d->filteredColumns = cols;
    try {
        if (narrowing)
            ds->narrowFilter(searchFilter(text, cols));
        else
            ds->setFilter(searchFilter(text, cols));
    } catch (...) {
        d->filtered = before;
        d->filteredText = beforeText;
        d->filteredColumns = beforeCols;
        throw;
    }
}

void DataGrid::syncCurrentFromDataset()
{
    Dataset *ds = dataset();
    if (!ds || d->syncing)
        return;
    const int row = ds->currentRow();
    if (row < 0 || row >= d->model->rowCount())
        return;
    const QModelIndex cur = d->view->currentIndex();
    if (cur.isValid() && cur.row() == row)
        return;
    int col = cur.isValid() ? cur.column() : d->model->viewColumn(0);
    if (col < 0 || col >= d->model->columnCount())
        col = 0;
    d->syncing = true;
    d->view->setCurrentIndex(d->model->index(row, col));
    d->syncing = false;
}

void DataGrid::updateFrozenGeometry()
{
    if (d->frozen->isHidden())
        return;
    int width = 0;
    for (int c = 0; c < d->model->columnCount(); ++c)
        if (!d->frozen->isColumnHidden(c))
            width += d->view->columnWidth(c);
    const int fw = d->view->frameWidth();
    d->frozen->setGeometry(d->view->verticalHeader()->width() + fw, fw, width,
                           d->view->viewport()->height() + d->view->horizontalHeader()->height());
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == d->view && (event->type() == QEvent::Resize || event->type() == QEvent::Show
                               || event->type() == QEvent::LayoutRequest))
        updateFrozenGeometry();
    return QWidget::eventFilter(watched, event);
}

} // namespace wage
