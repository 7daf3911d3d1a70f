#include "db/datasource.h"

namespace wage {

DataSource::DataSource(QObject *parent) : QObject(parent) {}

DataSource::DataSource(Dataset *dataset, QObject *parent) : QObject(parent) { setDataSet(dataset); }

DataSource::~DataSource()
{
    for (const auto &c : m_links)
        disconnect(c);
}

void DataSource::setDataSet(Dataset *dataset)
{
    if (m_dataset == dataset)
        return;
    m_dataset = dataset;
    rewire();
    emit dataSetChanged();
    emit stateChanged();
    emit dataChanged();
}

Dataset *DataSource::dataSet() const { return m_dataset; }

Dataset::State DataSource::state() const { return m_dataset ? m_dataset->state() : Dataset::Inactive; }

void DataSource::setEnabled(bool enabled) { m_enabled = enabled; }
bool DataSource::isEnabled() const { return m_enabled; }

void DataSource::rewire()
{
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    Dataset *ds = m_dataset;
    if (!ds)
        return;
    // While the dataset's controls are disabled nothing is passed on; enabling them reports
    // what changed meanwhile.
    auto live = [this] { return m_enabled && m_dataset && !m_dataset->controlsDisabled(); };
    auto reported = std::make_shared<Dataset::State>(ds->state());
    m_links << connect(ds, &Dataset::stateChanged, this, [this, live, reported] {
        if (!live())
            return;
        const bool activeBefore = *reported != Dataset::Inactive;
        *reported = m_dataset->state();
        emit stateChanged();
        if (activeBefore != (*reported != Dataset::Inactive))
            emit activeChanged();
    });
    m_links << connect(ds, &Dataset::afterScroll, this, [this, live] {
        if (!live())
            return;
        emit afterScroll();
        emit dataChanged();
    });
    m_links << connect(ds, &Dataset::dataChanged, this, [this, live] {
        if (live())
            emit dataChanged();
    });
    m_links << connect(ds, &Dataset::controlsEnabled, this, [this, reported] {
        if (!m_enabled || !m_dataset)
            return;
        const Dataset::State now = m_dataset->state();
        if (now != *reported) {
            const bool activeBefore = *reported != Dataset::Inactive;
            *reported = now;
            emit stateChanged();
            if (activeBefore != (now != Dataset::Inactive))
                emit activeChanged();
        }
        if (now != Dataset::Inactive) {
            emit afterScroll();
            emit dataChanged();
        }
    });
    m_links << connect(ds, &QObject::destroyed, this, [this] {
        m_links.clear();
        emit dataSetChanged();
        emit stateChanged();
    });
}

} // namespace wage
