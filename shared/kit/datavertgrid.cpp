#include "kit/datavertgrid.h"

#include "db/datasetmodel.h"
#include "db/datasource.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace wage {

DataVertGrid::DataVertGrid(QWidget *parent) : QWidget(parent), m_table(new QTableWidget(this))
{
    m_table->setColumnCount(2);
    m_table->setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("内容")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(m_table);
}

void DataVertGrid::setDataSource(DataSource *source)
{
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    m_source = source;
    if (source) {
        m_links << connect(source, &DataSource::dataChanged, this, &DataVertGrid::refresh);
        m_links << connect(source, &DataSource::afterScroll, this, &DataVertGrid::refresh);
        m_links << connect(source, &DataSource::activeChanged, this, &DataVertGrid::refresh);
        m_links << connect(source, &DataSource::dataSetChanged, this, &DataVertGrid::refresh);
    }
    refresh();
}

DataSource *DataVertGrid::dataSource() const { return m_source; }

void DataVertGrid::setRows(const QList<VertRow> &rows)
{
    m_rows = rows;
    m_table->setRowCount(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        auto *cap = new QTableWidgetItem(rows.at(i).caption);
        cap->setBackground(palette().button());
        m_table->setItem(i, 0, cap);
        m_table->setItem(i, 1, new QTableWidgetItem);
        m_table->setRowHeight(i, m_rowHeight);
    }
    refresh();
}

void DataVertGrid::setRowHeight(int height)
{
    m_rowHeight = height;
    for (int i = 0; i < m_table->rowCount(); ++i)
        m_table->setRowHeight(i, height);
}

QString DataVertGrid::valueText(const QString &fieldName) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return m_table->item(i, 1) ? m_table->item(i, 1)->text() : QString();
    return QString();
}

void DataVertGrid::refresh()
{
    Dataset *ds = m_source ? m_source->dataSet() : nullptr;
    const bool hasRecord = ds && ds->isActive() && !ds->isEmpty();
    for (int i = 0; i < m_rows.size(); ++i) {
        QString text;
        if (hasRecord) {
            const int fi = ds->fieldIndex(m_rows.at(i).fieldName);
            if (fi >= 0)
                text = DatasetModel::displayText(ds->value(ds->currentRow(), fi), ds->fieldKind(fi));
        }
        if (QTableWidgetItem *item = m_table->item(i, 1))
            item->setText(text);
    }
}

} // namespace wage
