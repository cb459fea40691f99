#pragma once
// Commits made durable in batches: while a CommitBatch is open on a connection, each transaction commits into
// one batch, and one journal write and sync makes the whole batch durable. Other connections see batched work
// only once it is durable; a failure to make it durable loses the whole batch, never a part of it. On a
// database file the queries that recordsets open on the connection's string meanwhile read inside the batch,
// through the connection: they see the batch's work, and never wait for its lock.

#include <cstddef>

namespace tarvenish {

class Connection;

class CommitBatch final {
public:
    // Batches the commits of `connection`, which must outlive this object. Throws DbError.
    explicit CommitBatch(Connection& connection);
    // Makes the batch durable and ends batching; never throws (a batch that cannot be made durable is lost).
    ~CommitBatch();
    CommitBatch(const CommitBatch&) = delete;
    CommitBatch& operator=(const CommitBatch&) = delete;

    // Makes the batch durable once 4,096 transactions have gathered in it or the batch is a second old.
    // Throws DbError; every unsettled transaction is then lost.
    void commitWhenDue();
    // Makes every transaction of the batch durable now. Throws DbError, also inside a transaction; the
    // unsettled transactions are then lost. Nothing to do on a closed connection.
    void commit();
    // Makes the batch durable and ends batching: later commits are durable at once. Throws DbError as
    // commit() does, and on a closed connection.
    void end();
    // Transactions committed into the batch and not yet durable.
    [[nodiscard]] std::size_t unsettledTransactions() const;

private:
    Connection& m_connection;
    bool m_ended = false;
};

}  // namespace tarvenish
