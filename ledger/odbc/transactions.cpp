#include "ledger/odbc/transactions.h"

#include "ledger/db/error.h"
#include "ledger/odbc/session.h"

namespace tarvenish {

namespace {

constexpr std::string_view kSavepoint = "SAVEPOINT tarvenish_transaction";
constexpr std::string_view kRelease = "RELEASE SAVEPOINT tarvenish_transaction";
constexpr std::string_view kRollbackTo = "ROLLBACK TO SAVEPOINT tarvenish_transaction";

}  // namespace

void OdbcTransactions::begin() {
    if (m_open) throw DbError("begin a transaction", 0, "a transaction is already open", {});
    if (!m_batching) {
        m_session.setAutocommit(false);
        m_open = true;
        return;
    }
    if (!m_batchOpen) {
        m_session.setAutocommit(false);
        m_batchOpen = true;
        m_batchStart = std::chrono::steady_clock::now();
    }
    m_session.run(kSavepoint, "begin a transaction");
    m_open = true;
}

void OdbcTransactions::commit() {
    if (!m_open) throw DbError("commit", 0, "no transaction is open", {});
    if (!m_batchOpen) {
        m_session.endTransaction(true);
        m_open = false;
        m_session.setAutocommit(true);
        return;
    }
    m_session.run(kRelease, "commit");
    m_open = false;
    ++m_unsettled;
}

void OdbcTransactions::rollback() {
    if (!m_open) throw DbError("roll back", 0, "no transaction is open", {});
    m_open = false;
    if (!m_batchOpen) {
        m_session.endTransaction(false);
        m_session.setAutocommit(true);
        return;
    }
    m_session.run(kRollbackTo, "roll back");
    m_session.run(kRelease, "roll back");
}

void OdbcTransactions::batchCommits(bool on) {
    if (!on) settle();
    m_batching = on && m_session.kind() == OdbcServerKind::Sqlite;
}

void OdbcTransactions::settle() {
    if (!m_batchOpen) return;
    if (m_open) throw DbError("commit the batch", 0, "a transaction of the caller is open", {});
    m_batchOpen = false;
    m_unsettled = 0;
    try {
        m_session.endTransaction(true);
    } catch (...) {
        // The batch is lost as a whole; the connection goes back to committing each statement.
        try {
            m_session.endTransaction(false);
            m_session.setAutocommit(true);
        } catch (...) {
        }
        throw;
    }
    m_session.setAutocommit(true);
}

void OdbcTransactions::settleOutsideTransaction() {
    if (!m_open) settle();
}

void OdbcTransactions::end() noexcept {
    try {
        if (m_open) rollback();
        settle();
    } catch (...) {
        // Disconnecting rolls back whatever is left open.
    }
}

}  // namespace tarvenish
