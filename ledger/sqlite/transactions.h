#pragma once
// The callers' transactions on a SQLite handle. Each is a savepoint inside one real transaction; while
// commits are batched the real transaction stays open across several of them, so that one journal write and
// sync makes them all durable.

#include <array>
#include <chrono>
#include <cstddef>

#include "ledger/sqlite/handle.h"

namespace tarvenish {

class SqliteDatabase;

class SqliteTransactions final {
public:
    // Works on `db`, which must outlive this object.
    explicit SqliteTransactions(SqliteDatabase& db) noexcept : m_db(db) {}

    // Begins a transaction of the caller. Throws DbError, also when one is already open.
    void begin();
    // Commits the caller's transaction: durable at once, or into the open batch while commits are batched.
    // Throws DbError; a failure to make it durable loses every transaction of the batch with it.
    void commit();
    // Undoes the caller's transaction only. Throws DbError.
    void rollback();
    // True while a caller's transaction is open.
    [[nodiscard]] bool inTransaction() const;
    // Lets commit() commit into one batch (true), or makes each commit durable (false; settles first).
    void batchCommits(bool on);
    // Makes every committed transaction of the batch durable now. Throws DbError, also inside a caller's
    // transaction; the batch is then lost as a whole.
    void settle();
    // Transactions committed into the batch and not yet durable.
    [[nodiscard]] std::size_t unsettledTransactions() const;
    // When the batch began; meaningful while unsettledTransactions() is not 0.
    [[nodiscard]] std::chrono::steady_clock::time_point batchStart() const noexcept { return m_batchStart; }
    // True before a statement outside a caller's transaction, which must not join the batch: it settles.
    [[nodiscard]] bool outsideCallersTransaction() const noexcept { return !m_savepointOpen; }
    // Rolls back an open transaction of the caller and commits the batch, then lets go of the prepared
    // statements; never throws.
    void end() noexcept;

private:
    // Forgets a batch that the engine ended on its own (SQLite rolls back the whole transaction on some
    // errors): its transactions are lost.
    void noticeEndedBatch() noexcept;
    // The fixed statements, each prepared once: a pair's transaction costs two of them.
    enum class Fixed { Begin, Savepoint, RollbackToSavepoint, ReleaseSavepoint, Commit, Rollback, Count };
    // Runs one fixed statement. Throws DbError for `operation`.
    void run(Fixed statement, const char* operation);

    SqliteDatabase& m_db;
    std::array<StatementPtr, static_cast<std::size_t>(Fixed::Count)> m_prepared;
    bool m_batching = false;
    // The real transaction that the callers' transactions are savepoints in, while one is open.
    bool m_batchOpen = false;
    bool m_savepointOpen = false;
    std::size_t m_released = 0;
    std::chrono::steady_clock::time_point m_batchStart{};
};

}  // namespace tarvenish
