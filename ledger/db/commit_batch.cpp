#include "ledger/db/commit_batch.h"

#include <chrono>

#include "ledger/db/batched_commits.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine.h"

namespace tarvenish {

namespace {

// A batch is made durable at the first of these: each commit of its own would write the changed pages to
// the journal again and sync (on a rollback-journal file three syncs), and a batch that waits longer leaves
// more work to lose and keeps other writers out longer. A second bounds both; measured on 100,000 stock
// lines, it takes a quarter off a rollback-journal run against batches of 256 pairs or 250 ms.
constexpr std::size_t kBatchTransactions = 4096;
constexpr std::chrono::milliseconds kBatchAge{1000};

}  // namespace

CommitBatch::CommitBatch(Connection& connection) : m_connection(connection) {
    // An engine without a batch commits every transaction durably at once; the batch is then empty.
    BatchedCommits* batch = m_connection.engine().batchedCommits();
    if (!batch) return;
    batch->batchCommits(true);
    if (!batch->readsThroughBatch()) return;
    try {
        ConnectionPool::readThrough(m_connection);
    } catch (...) {
        try {
            batch->batchCommits(false);
        } catch (...) {
        }
        throw;
    }
}

CommitBatch::~CommitBatch() {
    ConnectionPool::endReadingThrough(m_connection);
    // An appender kept for the batch's transactions does not outlive it.
    m_connection.dropSpareAppender();
    if (m_ended || m_connection.state() == 0) return;
    try {
        if (BatchedCommits* batch = m_connection.engine().batchedCommits()) batch->batchCommits(false);
    } catch (...) {
        // The engine rolled the batch back: nothing of it was kept.
    }
}

void CommitBatch::commitWhenDue() {
    if (m_connection.state() == 0) return;
    BatchedCommits* batch = m_connection.engine().batchedCommits();
    if (!batch) return;
    if (batch->unsettledTransactions() < kBatchTransactions &&
        std::chrono::steady_clock::now() - batch->batchStart() < kBatchAge)
        return;
    batch->settle();
}

void CommitBatch::commit() {
    // A closed connection made its work durable when it closed.
    if (m_connection.state() == 0) return;
    if (BatchedCommits* batch = m_connection.engine().batchedCommits()) batch->settle();
}

void CommitBatch::end() {
    ConnectionPool::endReadingThrough(m_connection);
    m_connection.dropSpareAppender();
    if (BatchedCommits* batch = m_connection.engine().batchedCommits()) batch->batchCommits(false);
    m_ended = true;
}

std::size_t CommitBatch::unsettledTransactions() const {
    return m_connection.unsettledTransactions();
}

}  // namespace tarvenish
