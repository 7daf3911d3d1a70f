#pragma once
// The vertical grid (DBVertGridEh...): the current record of a data source, one row per field,
// caption on the left and value on the right.
#include <QPointer>
#include <QWidget>

class QTableWidget;

namespace wage {

class DataSource;

struct VertRow {
    QString fieldName;
    QString caption;
};

class DataVertGrid : public QWidget {
    Q_OBJECT
public:
    explicit DataVertGrid(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    void setRows(const QList<VertRow> &rows);
    QList<VertRow> rows() const { return m_rows; }
    void setRowHeight(int height);
    // The value shown for a field (empty when the field is not a row).
    QString valueText(const QString &fieldName) const;
    QTableWidget *table() const { return m_table; }

public slots:
    void refresh();

private:
    QPointer<DataSource> m_source;
    QList<VertRow> m_rows;
    QTableWidget *m_table;
    int m_rowHeight = 24;
    QList<QMetaObject::Connection> m_links;
};

} // namespace wage
