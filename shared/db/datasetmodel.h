#pragma once
// The one model through which every grid shows a dataset. Columns are the dataset's fields (or
// a chosen list), rows follow the client-side sort, edits go through the dataset, and the
// current row is shared both ways: moving the dataset moves the view's current row and vice
// versa (linkView). While the dataset's controls are disabled the model stands still; enabling
// them resets it.
#include "db/datasource.h"

#include <QAbstractTableModel>
#include <QPointer>

class QAbstractItemView;

namespace wage {

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject *parent = nullptr);
    DatasetModel(Dataset *dataset, QObject *parent = nullptr);
    ~DatasetModel() override;

    // Either follow a data source (and whichever dataset it is given later) or one dataset.
    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    void setDataset(Dataset *dataset);
    Dataset *dataset() const;

    // Visible columns by field name in this order; empty: every field of the dataset.
    void setColumns(const QStringList &fieldNames);
    QStringList columns() const;
    QString fieldName(int column) const;
    int columnOfField(const QString &fieldName) const;   // -1 when not shown
    int fieldIndexOfColumn(int column) const;            // the dataset's field index; -1 when none
    // Header caption of a field (default: the dataset's display label, i.e. the field name).
    void setHeaderCaption(const QString &fieldName, const QString &caption);
    QString headerCaption(const QString &fieldName) const;

    // First column carries a check box bound to the dataset's ticked rows.
    void setCheckable(bool checkable);
    bool isCheckable() const;
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;
    // Post right after each cell edit (default) or leave the record in Edit until the current
    // row moves.
    void setPostImmediately(bool on);

    int currentRow() const;
    void setCurrentRow(int row);   // moves the dataset

    // Keeps a view's current index and the dataset's current record together.
    void linkView(QAbstractItemView *view);

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Title-click sorting: sets the dataset's client-side sort.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Display text of a value as the grids show it (dates without a time part as yyyy-MM-dd).
    static QString displayText(const QVariant &value, FieldKind kind);

signals:
    void currentRowChanged(int row);

private:
    struct Private;
    Private *d;
    void attach(Dataset *dataset);
    void resetFromDataset();
};

} // namespace wage
