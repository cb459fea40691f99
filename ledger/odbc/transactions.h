#pragma once
// The callers' transactions on an ODBC connection. Each is the connection's own transaction (autocommit off
// while it lasts); on a SQLite database, while commits are batched, each is a savepoint inside one real
// transaction instead, so that one journal write and sync makes them all durable, as in the embedded engine.

#include <chrono>
#include <cstddef>

namespace tarvenish {

class OdbcSession;

class OdbcTransactions final {
public:
    // Works on `session`, which must outlive this object.
    explicit OdbcTransactions(OdbcSession& session) noexcept : m_session(session) {}

    // Begins a transaction of the caller. Throws DbError, also when one is already open.
    void begin();
    // Commits the caller's transaction: durable at once, or into the open batch. Throws DbError.
    void commit();
    // Undoes the caller's transaction only. Throws DbError.
    void rollback();
    [[nodiscard]] bool inTransaction() const noexcept { return m_open; }
    // Lets commit() commit into one batch (true; SQLite only, elsewhere every commit stays durable at once),
    // or makes each commit durable (false; settles first).
    void batchCommits(bool on);
    // Makes every transaction committed into the batch durable now. Throws DbError; the batch is then lost.
    void settle();
    [[nodiscard]] std::size_t unsettled() const noexcept { return m_unsettled; }
    [[nodiscard]] std::chrono::steady_clock::time_point batchStart() const noexcept { return m_batchStart; }
    // Settles before a statement outside a caller's transaction, which must not join the batch.
    void settleOutsideTransaction();
    // Rolls back an open transaction of the caller and commits the batch; never throws.
    void end() noexcept;

private:
    OdbcSession& m_session;
    bool m_batching = false;
    bool m_batchOpen = false;  // the real transaction the savepoints are in
    bool m_open = false;       // a caller's transaction
    std::size_t m_unsettled = 0;
    std::chrono::steady_clock::time_point m_batchStart{};
};

}  // namespace tarvenish
