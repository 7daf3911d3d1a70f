#include "priceadj/runsupport.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "kit/datagrid.h"
#include "progress/tprogress.h"

namespace priceadj {

BatchTransaction::BatchTransaction(wage::Connection *connection) : m_connection(connection) {}

BatchTransaction::~BatchTransaction()
{
    try {
        abandon();
    } catch (const std::exception &) {
    }
}

void BatchTransaction::begin()
{
    if (m_own || !m_connection || m_connection->inTransaction())
        return;
    m_connection->beginTransaction();
    m_own = true;
}

void BatchTransaction::commit()
{
    if (m_own && m_connection && m_connection->inTransaction()) {
        m_connection->commit();
    }
    m_own = false;
    m_committed += m_pending;
    m_pending = 0;
}

void BatchTransaction::commitAndContinue()
{
    commit();
    begin();
}

void BatchTransaction::abandon()
{
    if (m_own && m_connection && m_connection->inTransaction())
        m_connection->rollback();
    m_own = false;
    m_pending = 0;
}

void ProgressPacer::showNow(int position, int maximum, const QString &text)
{
    if (m_progress)
        m_progress->showpress(position, maximum, text);
}

ControlsOff::ControlsOff(wage::Dataset *dataset) : m_dataset(dataset)
{
    if (m_dataset) {
        m_was = m_dataset->controlsDisabled();
        if (!m_was)
            m_dataset->disableControls();
    }
}

ControlsOff::~ControlsOff()
{
    if (m_dataset && !m_was && m_dataset->controlsDisabled())
        m_dataset->enableControls();
}

bool recordVanished(const std::exception &e)
{
    const auto *db = dynamic_cast<const wage::DbError *>(&e);
    return db && db->reason().startsWith(QStringLiteral("找不到要更新的记录"));
}

void closeProgress(Tprogress *progress)
{
    if (progress && progress->form())
        progress->showpress(1, 1, QString());
}

bool rowDisplayed(const wage::DataGrid *grid, int row)
{
    return !grid || grid->isRowShown(row);
}

QString failureText(const std::exception &e)
{
    return QString::fromUtf8(e.what());
}

void cancelPending(wage::Dataset *dataset)
{
    try {
        if (dataset && (dataset->state() == wage::Dataset::Edit || dataset->state() == wage::Dataset::Insert))
            dataset->cancel();
    } catch (const std::exception &) {
    }
}

} // namespace priceadj
