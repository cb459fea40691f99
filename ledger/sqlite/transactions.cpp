#include "ledger/sqlite/transactions.h"

#include <sqlite3.h>

#include <string>

#include "ledger/db/error.h"
#include "ledger/sqlite/handle.h"

namespace tarvenish {

namespace {

constexpr const char* kSavepoint = "SAVEPOINT tarvenish_transaction";
constexpr const char* kRollbackSavepoint = "ROLLBACK TO tarvenish_transaction";
constexpr const char* kReleaseSavepoint = "RELEASE tarvenish_transaction";

}  // namespace

void SqliteTransactions::run(Fixed which, const char* operation) {
    static constexpr std::array<const char*, static_cast<std::size_t>(Fixed::Count)> kTexts{
        "BEGIN IMMEDIATE", kSavepoint, kRollbackSavepoint, kReleaseSavepoint, "COMMIT", "ROLLBACK"};
    const char* const text = kTexts[static_cast<std::size_t>(which)];
    StatementPtr& statement = m_prepared[static_cast<std::size_t>(which)];
    if (!statement) {
        sqlite3_stmt* raw = nullptr;
        const int prepared = sqlite3_prepare_v2(m_db.handle(), text, -1, &raw, nullptr);
        statement.reset(raw);
        if (prepared != SQLITE_OK) {
            statement.reset();
            m_db.fail(operation, prepared, text);
        }
    }
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    m_db.countSteps(statement.get());
    // Reset at once: a statement left mid-way would keep the transaction from ending. The message must be
    // read before, since the reset starts the statement afresh.
    if (rc != SQLITE_DONE) {
        const char* message = sqlite3_errmsg(m_db.handle());
        const DbError error(operation, rc, message != nullptr ? message : sqlite3_errstr(rc), text);
        sqlite3_reset(statement.get());
        throw error;
    }
    sqlite3_reset(statement.get());
}

void SqliteTransactions::end() noexcept {
    // Appenders may keep the handle open after the engine is gone, so the transaction must end here.
    sqlite3* db = m_db.handle();
    if (sqlite3_get_autocommit(db) != 0) {
        for (StatementPtr& statement : m_prepared) statement.reset();
        return;
    }
    if (m_savepointOpen) {
        sqlite3_exec(db, kRollbackSavepoint, nullptr, nullptr, nullptr);
        sqlite3_exec(db, kReleaseSavepoint, nullptr, nullptr, nullptr);
    }
    // The released transactions were committed as far as their callers know.
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK && sqlite3_get_autocommit(db) == 0)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    for (StatementPtr& statement : m_prepared) statement.reset();
}

void SqliteTransactions::noticeEndedBatch() noexcept {
    if (!m_batchOpen || sqlite3_get_autocommit(m_db.handle()) == 0) return;
    m_batchOpen = false;
    m_savepointOpen = false;
    m_released = 0;
}

void SqliteTransactions::begin() {
    noticeEndedBatch();
    if (m_savepointOpen)
        throw DbError("begin transaction", SQLITE_ERROR, "cannot start a transaction within a transaction",
                      "BEGIN IMMEDIATE");
    if (!m_batchOpen) {
        run(Fixed::Begin, "begin transaction");
        m_batchOpen = true;
        m_released = 0;
        m_batchStart = std::chrono::steady_clock::now();
    }
    run(Fixed::Savepoint, "begin transaction");
    m_savepointOpen = true;
}

void SqliteTransactions::commit() {
    noticeEndedBatch();
    if (!m_savepointOpen)
        throw DbError("commit transaction", SQLITE_ERROR, "cannot commit - no transaction is active",
                      "COMMIT");
    run(Fixed::ReleaseSavepoint, "commit transaction");
    m_savepointOpen = false;
    ++m_released;
    if (!m_batching) settle();
}

void SqliteTransactions::rollback() {
    noticeEndedBatch();
    if (!m_savepointOpen)
        throw DbError("roll back transaction", SQLITE_ERROR, "cannot rollback - no transaction is active",
                      "ROLLBACK");
    run(Fixed::RollbackToSavepoint, "roll back transaction");
    run(Fixed::ReleaseSavepoint, "roll back transaction");
    m_savepointOpen = false;
    if (m_released == 0) {
        // Nothing of the batch is left to keep: give up the write lock now.
        m_batchOpen = false;
        run(Fixed::Rollback, "roll back transaction");
    }
}

bool SqliteTransactions::inTransaction() const {
    return m_savepointOpen && sqlite3_get_autocommit(m_db.handle()) == 0;
}

void SqliteTransactions::batchCommits(bool on) {
    if (!on) settle();
    m_batching = on;
}

void SqliteTransactions::settle() {
    noticeEndedBatch();
    if (m_savepointOpen)
        throw DbError("commit transaction", SQLITE_ERROR, "a transaction of the caller is still open",
                      "COMMIT");
    if (!m_batchOpen) return;
    m_batchOpen = false;
    m_released = 0;
    try {
        run(Fixed::Commit, "commit transaction");
    } catch (...) {
        // A commit that failed (a busy reader, a full disk) may leave the transaction open: the batch is
        // lost as a whole, never half kept.
        if (sqlite3_get_autocommit(m_db.handle()) == 0)
            sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::size_t SqliteTransactions::unsettledTransactions() const {
    return m_batchOpen && sqlite3_get_autocommit(m_db.handle()) == 0 ? m_released : 0;
}

}  // namespace tarvenish
