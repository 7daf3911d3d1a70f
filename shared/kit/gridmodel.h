#pragma once
// The data grid's own column layer over the one dataset model: registry columns in their
// order, columns without a field, a tick-box column bound to the dataset's ticked rows, and row
// numbers in the vertical header.
#include "db/dataset.h"
#include "kit/gridcolumn.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace wage {

class DataSource;
class Dataset;
class DatasetModel;

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject *parent = nullptr);

    void setDataSource(DataSource *source);
    DatasetModel *source() const { return m_src; }
    Dataset *dataset() const;

    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const { return m_columns; }
    GridColumn &columnRef(int gridColumn) { return m_columns[gridColumn]; }
    void setCheckBoxes(bool on);
    bool checkBoxes() const { return m_check; }
    void setReadOnly(bool on) { m_readOnly = on; }
    bool isReadOnly() const { return m_readOnly; }
    void setStyleHook(CellStyleHook hook) { m_styleHook = std::move(hook); }
    const CellStyleHook &styleHook() const { return m_styleHook; }
    void setProgressHook(int gridColumn, ProgressHook hook);
    ProgressHook progressHook(int gridColumn) const;

    // View column <-> grid column (the tick column is view column 0 when on).
    int gridColumn(int viewColumn) const { return viewColumn - (m_check ? 1 : 0); }
    int viewColumn(int gridColumn) const { return gridColumn + (m_check ? 1 : 0); }
    bool isCheckColumn(int viewColumn) const { return m_check && viewColumn == 0; }
    // Display text of a cell by grid column (progress columns give their text).
    QString cellText(int row, int gridColumn) const;
    // The text a cell shows for a value of a field of this kind: money always with two
    // decimals, whatever type the engine returned; footers format their sums the same way.
    static QString displayText(const QVariant &value, FieldKind kind);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void contentChanged();   // rows, values or ticks changed: footers recalculate

private:
    void sourceReset();
    int sourceColumn(int gridColumn) const;
    QVariant displayValue(int row, int sourceColumn) const;

    QPointer<DataSource> m_dataSource;
    DatasetModel *m_src;
    QList<GridColumn> m_columns;
    QList<ProgressHook> m_progress;
    CellStyleHook m_styleHook;
    bool m_check = false;
    bool m_readOnly = false;
    QMetaObject::Connection m_tickLink;
};

} // namespace wage
