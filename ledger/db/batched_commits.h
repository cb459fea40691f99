#pragma once
// Commits an engine can hold back in one batch that is made durable together, asked of the engine with
// Engine::batchedCommits() (null where every commit is durable at once).

#include <chrono>
#include <cstddef>
#include <string_view>

#include "ledger/db/engine.h"

namespace tarvenish {

class BatchedCommits {
public:
    // Makes commit() commit into one batch that settle() makes durable (true), or every commit durable at
    // once (false, the default; switching to it settles first). Throws DbError as settle() does.
    virtual void batchCommits(bool on) = 0;
    // Makes every transaction committed into the batch durable now. Throws DbError; the batch is then lost.
    virtual void settle() = 0;
    // Committed transactions not yet durable: lost together if making them durable fails.
    [[nodiscard]] virtual std::size_t unsettledTransactions() const = 0;
    // When the batch of unsettled transactions began.
    [[nodiscard]] virtual std::chrono::steady_clock::time_point batchStart() const = 0;
    // Runs one query inside the batch or transaction open on this engine, leaving the batch as it is: the
    // rows are those its uncommitted work left. Throws DbError carrying its text.
    [[nodiscard]] virtual QueryResult queryInBatch(const Statement& statement) = 0;
    // True when recordsets opened on this engine's connection string must read through it (queryInBatch)
    // while its commits are batched: on a database file, whose other connections could not see the batch,
    // and on a rollback journal could not read at all once the batch's pages spill into the file under the
    // exclusive lock. False for a server, whose reads go on connections of their own, exactly as built.
    [[nodiscard]] virtual bool readsThroughBatch() const noexcept = 0;

protected:
    ~BatchedCommits() = default;
};

}  // namespace tarvenish
