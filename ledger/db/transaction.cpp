#include "ledger/db/transaction.h"

#include "ledger/db/connection.h"

namespace tarvenish {

Transaction::Transaction(Connection& connection) : m_connection(connection) {
    m_connection.beginTrans();
}

Transaction::~Transaction() {
    if (m_committed || !m_connection.inTransaction()) return;
    try {
        m_connection.rollbackTrans();
    } catch (...) {
        // A destructor must not throw; a connection that cannot roll back rolls back when it closes.
    }
}

void Transaction::commit() {
    m_connection.commitTrans();
    m_committed = true;
}

}  // namespace tarvenish
