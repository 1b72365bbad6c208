#include "platform/database/ScopedTransaction.h"

#include "platform/database/Connection.h"

namespace platform {

ScopedTransaction::ScopedTransaction(Connection &connection)
    : m_connection(connection)
{
    m_connection.BeginTrans();
}

ScopedTransaction::~ScopedTransaction()
{
    if (m_committed || !m_connection.isOpen() || !m_connection.inTransaction())
        return;
    try {
        m_connection.RollbackTrans();
    } catch (...) {
        // The failure that ends the scope uncommitted is the one to report; a rollback that fails too
        // leaves the engine to undo the transaction when the connection closes.
    }
}

void ScopedTransaction::commit()
{
    m_connection.CommitTrans();
    m_committed = true;
}

} // namespace platform
