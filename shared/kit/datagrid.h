#pragma once
// The data grid of the system (the DBGridEh... components of the windows): a table view over a
// data source through the one dataset model, with the layout DisGrid builds from the field
// registry, multi-line titles, row numbers, a tick box per row (the dataset's ticked rows), a
// footer row of sums, a search panel that filters the dataset while typing, frozen columns,
// title-click sorting (the dataset's client-side sort), owner-drawn cells and export of the rows
// shown.
#include "kit/gridcolumn.h"
#include "kit/tableexport.h"

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QTableView;

namespace wage {

class DataSource;
class Dataset;
class GridFooter;
class GridModel;

class DataGrid : public QWidget {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    Dataset *dataset() const;

    // --- columns (grid column indexes count the registry/field columns only, from 0)
    void setColumns(const QList<GridColumn> &columns);
    QList<GridColumn> columns() const;
    int columnCount() const;
    GridColumn column(int index) const;
    int columnOfField(const QString &fieldName) const;   // -1 when absent
    // A column at `index` (e.g. the progress column "进度" without a field).
    void insertColumn(int index, const GridColumn &column);
    void setColumnWidth(int index, int width);
    int columnWidth(int index) const;
    void setColumnVisible(int index, bool visible);
    bool isColumnVisible(int index) const;
    // Header text as shown (title levels on separate lines).
    QString titleText(int index) const;

    // --- behaviour
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;
    void setCheckBoxes(bool on);          // a tick box per row
    bool hasCheckBoxes() const;
    void setRowNumbers(bool on);
    void setSearchPanel(bool on);
    bool hasSearchPanel() const;
    void setSearchText(const QString &text);
    QString searchText() const;
    // The search text filters the grid's dataset: hidden records leave its record count, walks,
    // exports and footer sums; clearing the text brings them back.
    bool isRowShown(int row) const;       // a row of the grid (every row shown is one)
    void setFrozenCols(int count);
    int frozenCols() const;
    void setTitleSort(bool on);           // title clicks sort (default on)
    // Sorts by a column as a title click does: ascending first, then alternating.
    void titleClick(int index);
    QString sortText() const;

    // --- footer of sums, over the rows shown, formatted as the column's cells
    // Footer on or off; `fields` chooses the columns that sum. Without a choice (here, by
    // setFooterFields or by DisGrid from the registry) the numeric columns sum, less the key.
    void setFooterSums(bool on, const QStringList &fields = {});
    void setFooterFields(const QStringList &fields);
    QStringList footerFields() const;
    bool footerSums() const;
    void refreshFooter();
    QString footerText(int index) const;
    double footerSum(int index) const;

    // --- owner drawing
    void setCellStyleHook(CellStyleHook hook);
    void setProgressHook(int index, ProgressHook hook);

    // --- export: visible columns with their titles, the rows shown in display order
    TextTable toTextTable() const;
    bool exportTo(const QString &path, ExportFormat format) const;

    QTableView *view() const;
    QTableView *frozenView() const;
    GridModel *gridModel() const;
    QLineEdit *searchEdit() const;
    GridFooter *footer() const;

signals:
    void titleClicked(int index);
    void cellClicked(int row, int index);
    void currentRowChanged(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Private;
    Private *d;
    void applyLayout();
    void applyFilter();
    QString errorCaption() const;
    void applyFilterTo(Dataset *ds);
    void markFooterColumns(const QStringList &fields);
    void syncCurrentFromDataset();
    void updateFrozenGeometry();
};

} // namespace wage
