#include "ledger/db/connection.h"

#include <algorithm>

#include "ledger/db/batched_commits.h"
#include "ledger/db/stop_interruption.h"

#include <map>
#include <utility>
#include <vector>

#include "base/thread_exit.h"
#include "ledger/db/engine.h"
#include "ledger/db/engine_factory.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"

namespace tarvenish {

Connection::Connection(std::string connectionString) : m_connectionString(std::move(connectionString)) {}

std::shared_ptr<Connection> Connection::create(std::string connectionString) {
    return std::shared_ptr<Connection>(new Connection(std::move(connectionString)));
}

std::shared_ptr<Connection> Connection::open(std::string connectionString) {
    auto connection = create(std::move(connectionString));
    connection->open();
    return connection;
}

Connection::~Connection() {
    close();
}

void Connection::setConnectionString(std::string connectionString) {
    if (m_engine) throw DbError("set connection string", 0, "the connection is open", {});
    m_connectionString = std::move(connectionString);
}

int Connection::state() const noexcept {
    return m_engine ? 1 : 0;
}

void Connection::open() {
    if (m_engine) throw DbError("open connection", 0, "the connection is already open", {});
    m_engine = openEngine(m_connectionString);
}

void Connection::close() noexcept {
    dropSpareAppender();
    if (!m_engine) return;
    try {
        // A transaction left open ends here: its changes were never committed.
        if (m_engine->inTransaction()) m_engine->rollback();
        if (BatchedCommits* batch = m_engine->batchedCommits()) batch->settle();
    } catch (...) {
        // Closing the handle rolls back as well; nothing more can be done about a failed rollback.
    }
    m_engine.reset();
}

void Connection::keepSpareAppender(std::string_view table, std::unique_ptr<TableAppender> appender) noexcept {
    dropSpareAppender();
    if (!appender || unsettledTransactions() == 0) return;
    try {
        m_spareTable = std::string(table);
    } catch (...) {
        return;
    }
    m_spareAppender = std::move(appender);
}

std::unique_ptr<TableAppender> Connection::takeSpareAppender(std::string_view table) noexcept {
    if (!m_spareAppender || table != m_spareTable) return nullptr;
    m_spareTable.clear();
    return std::move(m_spareAppender);
}

void Connection::dropSpareAppender() noexcept {
    m_spareAppender.reset();
    m_spareTable.clear();
}

void Connection::execute(const Statement& statement) {
    Engine& target = engine();
    if (engineHooks().beforeStatement) engineHooks().beforeStatement(statement.text());
    target.execute(statement);
}

void Connection::execute(std::string_view text) {
    execute(Statement::asText(std::string(text)));
}

long Connection::lastChanges() {
    return engine().changes();
}

void Connection::beginTrans() {
    engine().begin();
}

void Connection::commitTrans() {
    engine().commit();
}

void Connection::rollbackTrans() {
    engine().rollback();
}

bool Connection::inTransaction() const {
    return m_engine && m_engine->inTransaction();
}

std::size_t Connection::unsettledTransactions() const {
    BatchedCommits* batch = m_engine ? m_engine->batchedCommits() : nullptr;
    return batch ? batch->unsettledTransactions() : 0;
}

void Connection::interruptOnStopRequest(bool on) noexcept {
    if (!m_engine) return;
    if (StopInterruption* interruption = m_engine->stopInterruption())
        interruption->interruptOnStopRequest(on);
}

Engine& Connection::engine() {
    if (!m_engine) throw DbError("use connection", 0, "the connection is closed", {});
    return *m_engine;
}

namespace {

// The readers of this thread: one connection per connection string, and the batches that queries on a
// connection string read through instead.
struct ThreadReaders {
    std::map<std::string, ConnectionPtr, std::less<>> pool;
    std::vector<Connection*> throughBatch;
    std::vector<Connection*> ownData;
};

ThreadReaders& threadReaders() {
    return threadRecord<ThreadReaders>();
}

std::map<std::string, ConnectionPtr, std::less<>>& pooledConnections() {
    return threadReaders().pool;
}

std::vector<Connection*>& batchReaders() {
    return threadReaders().throughBatch;
}

}  // namespace

Connection& ConnectionPool::acquire(std::string_view connectionString) {
    auto& pool = pooledConnections();
    const auto found = pool.find(connectionString);
    if (found != pool.end() && found->second->state() == 1) return *found->second;
    ConnectionPtr connection = Connection::open(std::string(connectionString));
    Connection& result = *connection;
    pool.insert_or_assign(std::string(connectionString), std::move(connection));
    return result;
}

std::size_t ConnectionPool::size() noexcept {
    return pooledConnections().size();
}

void ConnectionPool::readThrough(Connection& connection) {
    batchReaders().push_back(&connection);
}

void ConnectionPool::endReadingThrough(const Connection& connection) noexcept {
    std::erase(batchReaders(), &connection);
}

Connection* ConnectionPool::readingThrough(std::string_view connectionString) noexcept {
    for (Connection* connection : batchReaders())
        if (connection->state() != 0 && connection->connectionString() == connectionString) return connection;
    for (Connection* connection : threadReaders().ownData) {
        if (connection->state() == 0 || connection->connectionString() != connectionString) continue;
        try {
            if (connection->engine().keepsOwnData() && !connection->engine().inTransaction())
                return connection;
        } catch (...) {
        }
    }
    return nullptr;
}

ReadingOwnData::ReadingOwnData(Connection& connection) : m_connection(connection) {
    Engine& engine = m_connection.engine();
    ConnectionPool::readOwnData(m_connection);
    engine.allowOwnData(true);
}

ReadingOwnData::~ReadingOwnData() {
    try {
        if (m_connection.state() != 0) m_connection.engine().allowOwnData(false);
    } catch (...) {
    }
    ConnectionPool::endReadingOwnData(m_connection);
}

void ConnectionPool::readOwnData(Connection& connection) {
    threadReaders().ownData.push_back(&connection);
}

void ConnectionPool::endReadingOwnData(const Connection& connection) noexcept {
    auto& readers = threadReaders().ownData;
    if (const auto found = std::find(readers.begin(), readers.end(), &connection); found != readers.end())
        readers.erase(found);
}

void ConnectionPool::clear() noexcept {
    auto pool = std::exchange(pooledConnections(), {});
    for (auto& entry : pool) entry.second->close();
}

}  // namespace tarvenish
