#include "kit/gridmodel.h"

#include "db/datasetmodel.h"
#include "db/datasource.h"

#include <QColor>
#include <cmath>

namespace wage {

ProgressCell progressCellFor(double fraction)
{
    ProgressCell cell;
    const double pct = fraction * 100.0;
    cell.percent = qBound(0, static_cast<int>(std::lround(pct)), 100);
    const int p = cell.percent;
    cell.bar = p < 30 ? QColor(0xFF, 0xFF, 0x00)
        : p < 50      ? QColor(0x00, 0xFF, 0x00)
        : p < 70      ? QColor(0xC0, 0xDC, 0xC0)
        : p < 95      ? QColor(0xA6, 0xCA, 0xF0)
                      : QColor(0xFF, 0x00, 0x00);
    cell.text = QString::asprintf("%.0f%%", pct);
    return cell;
}

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent), m_src(new DatasetModel(this))
{
    m_src->setPostImmediately(true);
    auto reset = [this] { sourceReset(); };
    connect(m_src, &QAbstractItemModel::modelReset, this, reset);
    connect(m_src, &QAbstractItemModel::layoutChanged, this, reset);
    connect(m_src, &QAbstractItemModel::columnsInserted, this, reset);
    connect(m_src, &QAbstractItemModel::columnsRemoved, this, reset);
    // A record made or deleted is one row for the views, not a reset of 100,000.
    connect(m_src, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); });
    connect(m_src, &QAbstractItemModel::rowsInserted, this, [this] {
        endInsertRows();
        emit contentChanged();
    });
    connect(m_src, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); });
    connect(m_src, &QAbstractItemModel::rowsRemoved, this, [this] {
        endRemoveRows();
        emit contentChanged();
    });
    connect(m_src, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &a, const QModelIndex &b) {
        if (columnCount() > 0 && rowCount() > 0)
            emit dataChanged(index(qMax(0, a.row()), 0), index(qMin(b.row(), rowCount() - 1), columnCount() - 1));
        emit contentChanged();
    });
}

void GridModel::setDataSource(DataSource *source)
{
    m_dataSource = source;
    m_src->setDataSource(source);
    auto relinkTicks = [this] {
        disconnect(m_tickLink);
        if (Dataset *ds = dataset())
            m_tickLink = connect(ds, &Dataset::tickedChanged, this, [this] {
                if (m_check && rowCount() > 0)
                    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
                emit contentChanged();
            });
    };
    relinkTicks();
    if (source)
        connect(source, &DataSource::dataSetChanged, this, relinkTicks);
    sourceReset();
}

Dataset *GridModel::dataset() const { return m_src->dataset(); }

void GridModel::sourceReset()
{
    beginResetModel();
    endResetModel();
    emit contentChanged();
}

void GridModel::setColumns(const QList<GridColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_progress = QList<ProgressHook>(columns.size());
    endResetModel();
    emit contentChanged();
}

void GridModel::setCheckBoxes(bool on)
{
    if (on == m_check)
        return;
    beginResetModel();
    m_check = on;
    endResetModel();
}

void GridModel::setProgressHook(int gridColumn, ProgressHook hook)
{
    if (gridColumn >= 0 && gridColumn < m_progress.size())
        m_progress[gridColumn] = std::move(hook);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

ProgressHook GridModel::progressHook(int gridColumn) const
{
    return gridColumn >= 0 && gridColumn < m_progress.size() ? m_progress.at(gridColumn) : ProgressHook();
}

int GridModel::sourceColumn(int gridColumn) const
{
    if (gridColumn < 0 || gridColumn >= m_columns.size() || m_columns.at(gridColumn).fieldName.isEmpty())
        return -1;
    return m_src->columnOfField(m_columns.at(gridColumn).fieldName);
}

QString GridModel::cellText(int row, int gridColumn) const
{
    if (const ProgressHook hook = progressHook(gridColumn))
        return hook(row).text;
    const int sc = sourceColumn(gridColumn);
    if (sc < 0)
        return QString();
    return displayValue(row, sc).toString();
}

QString GridModel::displayText(const QVariant &value, FieldKind kind)
{
    if (kind == FieldKind::Money && !value.isNull()) {
        bool ok = false;
        const double d = value.typeId() == QMetaType::QString ? value.toString().trimmed().toDouble(&ok)
                                                              : value.toDouble(&ok);
        if (ok)
            return QString::number(d, 'f', 2);
    }
    return DatasetModel::displayText(value, kind);
}

QVariant GridModel::displayValue(int row, int sourceColumn) const
{
    Dataset *ds = dataset();
    if (!ds)
        return {};
    const int fi = m_src->fieldIndexOfColumn(sourceColumn);
    if (fi < 0 || row < 0 || row >= rowCount())
        return {};
    return displayText(ds->value(row, fi), ds->fieldKind(fi));
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_src->rowCount();
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.size() + (m_check ? 1 : 0);
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (isCheckColumn(index.column())) {
        if (role == Qt::CheckStateRole && dataset())
            return dataset()->isTicked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    const int gc = gridColumn(index.column());
    if (gc < 0 || gc >= m_columns.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return m_columns.at(gc).numeric ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (progressHook(gc)) {
        if (role == Qt::DisplayRole)
            return progressHook(gc)(index.row()).text;
        return {};
    }
    const int sc = sourceColumn(gc);
    if (sc < 0)
        return {};
    if (role == Qt::CheckStateRole)
        return {};
    if (role == Qt::DisplayRole)
        return displayValue(index.row(), sc);
    return m_src->data(m_src->index(index.row(), sc), role);
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid())
        return false;
    if (isCheckColumn(index.column())) {
        if (role != Qt::CheckStateRole || !dataset())
            return false;
        dataset()->setTicked(index.row(), value.toInt() == Qt::Checked);
        return true;
    }
    const int sc = sourceColumn(gridColumn(index.column()));
    if (sc < 0 || m_readOnly)
        return false;
    return m_src->setData(m_src->index(index.row(), sc), value, role);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    if (role != Qt::DisplayRole)
        return {};
    if (isCheckColumn(section))
        return QString();
    const int gc = gridColumn(section);
    if (gc < 0 || gc >= m_columns.size())
        return {};
    QString caption = m_columns.at(gc).caption;
    caption.replace(QLatin1Char('|'), QLatin1Char('\n'));
    return caption;
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isCheckColumn(index.column()))
        return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int gc = gridColumn(index.column());
    if (gc >= 0 && gc < m_columns.size() && !m_readOnly && !m_columns.at(gc).readOnly && sourceColumn(gc) >= 0
        && !progressHook(gc) && (m_src->flags(m_src->index(index.row(), sourceColumn(gc))) & Qt::ItemIsEditable))
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace wage
