#pragma once
// One transaction around the statements of one order (or line) of a run: the embedded engine
// then writes its file once per order instead of once per statement. Nested in a transaction
// of the caller it does nothing; an error rolls the order back and passes on.
#include "db/connection.h"

#include <QPointer>

namespace ordmon {

class RunTransaction {
public:
    explicit RunTransaction(wage::Connection *connection)
        : m_connection(connection), m_own(connection && !connection->inTransaction())
    {
        if (m_own)
            m_connection->beginTransaction();
    }
    ~RunTransaction()
    {
        if (m_own && m_connection && m_connection->inTransaction()) {
            try {
                m_connection->rollback();
            } catch (...) {
            }
        }
    }
    void commit()
    {
        if (m_own && m_connection && m_connection->inTransaction())
            m_connection->commit();
        m_own = false;
    }
    RunTransaction(const RunTransaction &) = delete;
    RunTransaction &operator=(const RunTransaction &) = delete;

private:
    QPointer<wage::Connection> m_connection;
    bool m_own;
};

} // namespace ordmon
