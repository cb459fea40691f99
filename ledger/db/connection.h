#pragma once
// The host's connection object: a connection string, Execute, State, Open, and transactions.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "ledger/sql/statement.h"

namespace tarvenish {

class Engine;
class TableAppender;

class Connection {
public:
    // A new, unopened connection; an empty string means "no connection yet".
    [[nodiscard]] static std::shared_ptr<Connection> create(std::string connectionString = {});
    // A new connection opened on `connectionString`. Throws DbError.
    [[nodiscard]] static std::shared_ptr<Connection> open(std::string connectionString);

    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[nodiscard]] const std::string& connectionString() const noexcept { return m_connectionString; }
    // Only while closed; throws DbError on an open connection.
    void setConnectionString(std::string connectionString);

    // 0 closed, 1 open.
    [[nodiscard]] int state() const noexcept;
    // Opens with the stored connection string. Throws DbError.
    void open();
    // Rolls back an open transaction and makes the committed ones durable.
    void close() noexcept;

    // Runs one statement; any result rows are dropped. Throws DbError with the statement text.
    void execute(const Statement& statement);
    // Runs a text the component did not build, as text. Throws DbError with the text.
    void execute(std::string_view text);

    // Rows changed by the last data-changing statement run by execute(). Throws DbError when closed.
    [[nodiscard]] long lastChanges();

    void beginTrans();
    // Commits: durable at once, or into the batch of a CommitBatch open on this connection. Throws DbError.
    void commitTrans();
    void rollbackTrans();
    // True while a transaction begun by beginTrans is open.
    [[nodiscard]] bool inTransaction() const;
    // Committed transactions not yet durable: lost together if making them durable fails. 0 when closed.
    [[nodiscard]] std::size_t unsettledTransactions() const;

    // While on, a statement in progress fails as soon as a stop is requested; nothing to do when closed.
    void interruptOnStopRequest(bool on) noexcept;

    // The open engine. Throws DbError when closed.
    [[nodiscard]] Engine& engine();

    // After a commit: keeps `appender` of `table` for the next recordset opened on that table when the commit
    // went into a batch (only SQLite batches, and its prepared statements outlive its commits), else drops
    // it. One is kept, the last. Reading the columns and preparing the insert again cost a confirm more than
    // writing its rows.
    void keepSpareAppender(std::string_view table, std::unique_ptr<TableAppender> appender) noexcept;
    // The appender kept for `table`, or null.
    [[nodiscard]] std::unique_ptr<TableAppender> takeSpareAppender(std::string_view table) noexcept;
    // Drops a kept appender: a later open reads the table's columns afresh. Never throws.
    void dropSpareAppender() noexcept;

private:
    explicit Connection(std::string connectionString);
    std::string m_connectionString;
    std::unique_ptr<Engine> m_engine;
    // Declared after the engine, so that it goes first: an appender uses its engine's handle.
    std::string m_spareTable;
    std::unique_ptr<TableAppender> m_spareAppender;
};

using ConnectionPtr = std::shared_ptr<Connection>;

// Connections that recordsets opened on a connection string use, one per string and thread, kept open so that
// every recordset does not pay for a new connection. Each sees committed data only; while commits on the
// string are batched on a file, its queries read through the batch's connection instead.
class ConnectionPool {
public:
    // The pooled connection for `connectionString`, opened on first use. Throws DbError.
    [[nodiscard]] static Connection& acquire(std::string_view connectionString);
    // Closes every pooled connection of this thread (the file is then free of the component).
    static void clear() noexcept;
    // How many connections this thread's pool holds open.
    [[nodiscard]] static std::size_t size() noexcept;

    // Queries that recordsets open on `connection`'s string on this thread read inside its batch, through
    // it, until endReadingThrough (CommitBatch, on an engine that readsThroughBatch). `connection` must
    // outlive that. Throws std::bad_alloc.
    static void readThrough(Connection& connection);
    static void endReadingThrough(const Connection& connection) noexcept;
    // The open connection that queries on `connectionString` read through now, or null.
    [[nodiscard]] static Connection* readingThrough(std::string_view connectionString) noexcept;

    // Queries that recordsets open on `connection`'s string on this thread read through it, until
    // endReadingOwnData, whenever its engine keepsOwnData() and no caller's transaction is open on it: then
    // it sees committed data only, as a connection of their own would, and the data it keeps as well.
    // `connection` must outlive that. Throws std::bad_alloc.
    static void readOwnData(Connection& connection);
    static void endReadingOwnData(const Connection& connection) noexcept;
};

// readOwnData for the life of the object, and the connection's engine allowed to keep data of its own
// meanwhile.
class ReadingOwnData final {
public:
    // Throws DbError when the connection is closed, std::bad_alloc.
    explicit ReadingOwnData(Connection& connection);
    ~ReadingOwnData();
    ReadingOwnData(const ReadingOwnData&) = delete;
    ReadingOwnData& operator=(const ReadingOwnData&) = delete;

private:
    Connection& m_connection;
};

}  // namespace tarvenish
