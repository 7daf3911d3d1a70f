#include "db/datasetmodel.h"

#include "core/prompt.h"

#include <QAbstractItemView>
#include <QHash>
#include <QItemSelectionModel>

namespace wage {

struct DatasetModel::Private {
    QPointer<DataSource> source;
    QPointer<Dataset> dataset;
    QList<QMetaObject::Connection> datasetLinks;
    QMetaObject::Connection sourceLink;
    QStringList columns;              // chosen fields; empty: all
    QList<int> fieldOfColumn;         // resolved against the open dataset
    QHash<QString, QString> captions; // lower-case field name -> caption
    bool checkable = false;
    bool readOnly = false;
    bool postImmediately = true;
    int rows = 0;                     // what the views were last told
    int current = -1;

    void resolveColumns()
    {
        fieldOfColumn.clear();
        if (!dataset || !dataset->isActive())
            return;
        if (columns.isEmpty()) {
            for (int i = 0; i < dataset->fieldCount(); ++i)
                fieldOfColumn.append(i);
            return;
        }
        for (const QString &name : columns) {
            const int i = dataset->fieldIndex(name);
            if (i >= 0)
                fieldOfColumn.append(i);
        }
    }
};

DatasetModel::DatasetModel(QObject *parent) : QAbstractTableModel(parent), d(new Private) {}

DatasetModel::DatasetModel(Dataset *dataset, QObject *parent) : DatasetModel(parent) { setDataset(dataset); }

DatasetModel::~DatasetModel()
{
    for (const auto &c : d->datasetLinks)
        disconnect(c);
    disconnect(d->sourceLink);
    delete d;
}

void DatasetModel::setDataSource(DataSource *source)
{
    disconnect(d->sourceLink);
    d->source = source;
    if (source)
        d->sourceLink = connect(source, &DataSource::dataSetChanged, this, [this] { attach(d->source ? d->source->dataSet() : nullptr); });
    attach(source ? source->dataSet() : nullptr);
}

DataSource *DatasetModel::dataSource() const { return d->source; }

void DatasetModel::setDataset(Dataset *dataset)
{
    disconnect(d->sourceLink);
    d->source = nullptr;
    attach(dataset);
}

Dataset *DatasetModel::dataset() const { return d->dataset; }

void DatasetModel::attach(Dataset *dataset)
{
    for (const auto &c : d->datasetLinks)
        disconnect(c);
    d->datasetLinks.clear();
    d->dataset = dataset;
    if (dataset) {
        d->datasetLinks << connect(dataset, &Dataset::rowsReset, this, [this] { resetFromDataset(); });
        d->datasetLinks << connect(dataset, &Dataset::rowChanged, this, [this](int row) {
            if (row >= 0 && row < d->rows && !d->fieldOfColumn.isEmpty())
                emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        });
        d->datasetLinks << connect(dataset, &Dataset::rowInserted, this, [this](int row) {
            if (row < 0 || row > d->rows) {
                resetFromDataset();
                return;
            }
            beginInsertRows({}, row, row);
            ++d->rows;
            endInsertRows();
        });
        d->datasetLinks << connect(dataset, &Dataset::rowRemoved, this, [this](int row) {
            if (row < 0 || row >= d->rows) {
                resetFromDataset();
                return;
            }
            beginRemoveRows({}, row, row);
            --d->rows;
            endRemoveRows();
        });
        d->datasetLinks << connect(dataset, &Dataset::afterScroll, this, [this] {
            if (!d->dataset || d->dataset->controlsDisabled())
                return;
            const int row = d->dataset->currentRow();
            if (row != d->current) {
                d->current = row;
                emit currentRowChanged(row);
            }
        });
        d->datasetLinks << connect(dataset, &QObject::destroyed, this, [this] {
            d->datasetLinks.clear();
            resetFromDataset();
        });
    }
    resetFromDataset();
}

void DatasetModel::resetFromDataset()
{
    beginResetModel();
    d->resolveColumns();
    d->rows = d->dataset && d->dataset->isActive() ? d->dataset->recordCount() : 0;
    // Known before the views hear of the reset, so that linked views land on it.
    d->current = d->dataset && d->dataset->isActive() ? d->dataset->currentRow() : -1;
    endResetModel();
    emit currentRowChanged(d->current);
}

void DatasetModel::setColumns(const QStringList &fieldNames)
{
    d->columns = fieldNames;
    resetFromDataset();
}

QStringList DatasetModel::columns() const
{
    QStringList out;
    for (int c = 0; c < d->fieldOfColumn.size(); ++c)
        out.append(fieldName(c));
    return out;
}

QString DatasetModel::fieldName(int column) const
{
    if (!d->dataset || column < 0 || column >= d->fieldOfColumn.size())
        return {};
    return d->dataset->field(d->fieldOfColumn[column]).name();
}

int DatasetModel::fieldIndexOfColumn(int column) const
{
    return d->dataset && column >= 0 && column < d->fieldOfColumn.size() ? d->fieldOfColumn[column] : -1;
}

int DatasetModel::columnOfField(const QString &name) const
{
    if (!d->dataset)
        return -1;
    const int f = d->dataset->fieldIndex(name);
    return f < 0 ? -1 : int(d->fieldOfColumn.indexOf(f));
}

void DatasetModel::setHeaderCaption(const QString &fieldName, const QString &caption)
{
    d->captions.insert(fieldName.toLower(), caption);
    const int c = columnOfField(fieldName);
    if (c >= 0)
        emit headerDataChanged(Qt::Horizontal, c, c);
}

QString DatasetModel::headerCaption(const QString &fieldName) const
{
    const auto it = d->captions.constFind(fieldName.toLower());
    if (it != d->captions.constEnd())
        return it.value();
    if (d->dataset) {
        const int f = d->dataset->fieldIndex(fieldName);
        if (f >= 0)
            return d->dataset->displayLabel(f);
    }
    return fieldName;
}

void DatasetModel::setCheckable(bool checkable)
{
    d->checkable = checkable;
    resetFromDataset();
}

bool DatasetModel::isCheckable() const { return d->checkable; }
void DatasetModel::setReadOnly(bool readOnly) { d->readOnly = readOnly; }
bool DatasetModel::isReadOnly() const { return d->readOnly; }
void DatasetModel::setPostImmediately(bool on) { d->postImmediately = on; }
int DatasetModel::currentRow() const { return d->current; }

void DatasetModel::setCurrentRow(int row)
{
    if (!d->dataset || !d->dataset->isActive() || d->dataset->controlsDisabled())
        return;
    if (row == d->dataset->currentRow())
        return;
    d->dataset->moveTo(row);
}

void DatasetModel::linkView(QAbstractItemView *view)
{
    if (!view)
        return;
    auto follow = [this, view](int row) {
        QItemSelectionModel *sel = view->selectionModel();
        if (!sel || sel->model() != this || row < 0 || row >= rowCount())
            return;
        if (sel->currentIndex().row() == row)
            return;
        const int column = sel->currentIndex().isValid() ? sel->currentIndex().column() : 0;
        sel->setCurrentIndex(index(row, column), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    };
    connect(this, &DatasetModel::currentRowChanged, view, follow);
    // The view may get a new selection model; hook each one once.
    auto hooked = std::make_shared<QPointer<QItemSelectionModel>>();
    auto hookSelection = [this, view, hooked] {
        QItemSelectionModel *sel = view->selectionModel();
        if (!sel || *hooked == sel)
            return;
        *hooked = sel;
        connect(sel, &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &now) {
            if (now.isValid())
                setCurrentRow(now.row());
        });
    };
    hookSelection();
    connect(this, &QAbstractItemModel::modelReset, view, [hookSelection, follow, this] {
        hookSelection();
        follow(d->current);
    });
    follow(d->current);
}

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : d->rows;
}

int DatasetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : d->fieldOfColumn.size();
}

QString DatasetModel::displayText(const QVariant &value, FieldKind kind)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QByteArray)
        return kind == FieldKind::Blob ? QStringLiteral("(BLOB)") : QString::fromUtf8(value.toByteArray());
    if (kind == FieldKind::DateTime && value.typeId() == QMetaType::QString) {
        // The embedded engine's stored forms, shown without parsing them (painting and the
        // search panel ask for many of these).
        const QString s = value.toString();
        if (s.size() == 10 && s.at(4) == QLatin1Char('-') && s.at(7) == QLatin1Char('-'))
            return s;
        if (s.size() == 19 && s.at(4) == QLatin1Char('-') && s.at(10) == QLatin1Char(' ') && s.at(13) == QLatin1Char(':'))
            return s.endsWith(QLatin1String(" 00:00:00")) ? s.left(10) : s;
    }
    if (kind == FieldKind::DateTime || value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDateTime)
            dt = value.toDateTime();
        else if (value.typeId() == QMetaType::QDate)
            dt = value.toDate().startOfDay();
        else {
            QString s = value.toString().trimmed();
            s.replace(QLatin1Char('T'), QLatin1Char(' '));
            dt = QDateTime::fromString(s.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (!dt.isValid())
                dt = QDateTime::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
        }
        if (dt.isValid())
            return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("yyyy-MM-dd"))
                                            : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return value.toString();
    }
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        if (kind == FieldKind::Money)
            return QString::number(value.toDouble(), 'f', 2);
        return QString::number(value.toDouble(), 'g', 15);
    }
    return value.toString();
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !d->dataset || !d->dataset->isActive())
        return {};
    const int row = index.row();
    if (row < 0 || row >= d->rows || row >= d->dataset->recordCount() || index.column() >= d->fieldOfColumn.size())
        return {};
    const int f = d->fieldOfColumn[index.column()];
    const FieldKind kind = d->dataset->fieldKind(f);
    switch (role) {
    case Qt::DisplayRole:
        return displayText(d->dataset->value(row, f), kind);
    case Qt::EditRole:
        return d->dataset->value(row, f);
    case Qt::TextAlignmentRole:
        if (kind == FieldKind::Integer || kind == FieldKind::Float || kind == FieldKind::Money)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::CheckStateRole:
        if (d->checkable && index.column() == 0)
            return d->dataset->isTicked(row) ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool DatasetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !d->dataset || !d->dataset->isActive() || index.row() >= d->dataset->recordCount())
        return false;
    if (role == Qt::CheckStateRole && d->checkable && index.column() == 0) {
        d->dataset->setTicked(index.row(), value.toInt() == Qt::Checked);
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }
    if (role != Qt::EditRole || d->readOnly || d->dataset->isReadOnly())
        return false;
    const int f = d->fieldOfColumn.value(index.column(), -1);
    if (f < 0)
        return false;
    if (d->dataset->currentRow() != index.row())
        d->dataset->moveTo(index.row());
    try {
        d->dataset->setValue(d->dataset->field(f).name(), value);
        if (d->postImmediately)
            d->dataset->post();
    } catch (const DbError &e) {
        // A cell edit the database refuses is dropped and explained; nothing is half-written.
        d->dataset->cancel();
        prompt().warning(e.reason(), systemCaption());
        return false;
    }
    return true;
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical)
        return section + 1;
    return headerCaption(fieldName(section));
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!d->readOnly && d->dataset && !d->dataset->isReadOnly())
        f |= Qt::ItemIsEditable;
    if (d->checkable && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void DatasetModel::sort(int column, Qt::SortOrder order)
{
    const QString name = fieldName(column);
    if (!d->dataset || name.isEmpty())
        return;
    d->dataset->setSort(order == Qt::DescendingOrder ? name + QLatin1String(" DESC") : name);
}

} // namespace wage
