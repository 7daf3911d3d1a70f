#pragma once
// The object behind "datasource1" / DataSource2: connects views and detail datasets to a
// dataset. Plug-ins find it by objectName in the host's window and may swap its dataset.
#include "db/dataset.h"

#include <QObject>
#include <QPointer>

namespace wage {

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject *parent = nullptr);
    DataSource(Dataset *dataset, QObject *parent = nullptr);
    ~DataSource() override;

    void setDataSet(Dataset *dataset);
    Dataset *dataSet() const;
    // Inactive when no dataset is attached.
    Dataset::State state() const;
    // A disabled source passes nothing on (its views and details stand still).
    void setEnabled(bool enabled);
    bool isEnabled() const;

signals:
    void dataSetChanged();     // another dataset was attached
    void stateChanged();       // the dataset's state changed (DataSource1StateChange)
    void dataChanged();        // current record moved, values changed, or reopened
    void afterScroll();        // the current record moved (details follow it)
    void activeChanged();      // the dataset opened or closed

private:
    void rewire();
    QPointer<Dataset> m_dataset;
    bool m_enabled = true;
    QList<QMetaObject::Connection> m_links;
};

} // namespace wage
