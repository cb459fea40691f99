#pragma once
// What a database engine offers the connection and recordset layer. One implementation per engine;
// the connection string chooses which (openEngine, ledger/db/engine_factory.h).

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/db/row_store.h"
#include "ledger/db/value.h"
#include "ledger/sql/dialect.h"
#include "ledger/sql/statement.h"

namespace tarvenish {

class BatchedCommits;
class StopInterruption;

struct Column {
    std::string name;      // as the statement or the table names it
    std::string declType;  // the declared type where the engine knows it (upper case), else empty
};

// Every row of a query, read at once (a client-side cursor).
struct QueryResult {
    std::vector<Column> columns;
    RowStore rows;
};

// Appends rows to one table without reading the table's rows.
class TableAppender {
public:
    virtual ~TableAppender() = default;
    [[nodiscard]] virtual const std::vector<Column>& columns() const = 0;
    // Converts a value to the column's declared type as a database server would (numeric text to a number,
    // date text to a date, anything to text for a text column). nullopt when the value does not convert.
    [[nodiscard]] virtual std::optional<Value> convert(std::size_t column, const Value& value) const = 0;
    // Stores one row; a column without a value takes the table's default. Throws DbError.
    virtual void insert(const std::vector<std::optional<Value>>& row) = 0;
};

class Engine {
public:
    virtual ~Engine() = default;
    // Runs one statement of either dialect: a built one through the prepared statement of its shape with its
    // values bound where the engine prepares statements, else as text. Throws DbError carrying its text.
    virtual void execute(const Statement& statement) = 0;
    // Runs one query and reads all its rows; makes a batch durable first, as any statement outside a
    // caller's transaction does. Throws DbError carrying its text.
    [[nodiscard]] virtual QueryResult query(const Statement& statement) = 0;
    // Prepares to append to `table`. Throws DbError when the table does not exist.
    [[nodiscard]] virtual std::unique_ptr<TableAppender> openAppender(std::string_view table) = 0;
    // Begins a transaction of the caller. Throws DbError, also when one is already open.
    virtual void begin() = 0;
    // Commits the caller's transaction: durable at once, or into the open batch while commits are batched
    // (BatchedCommits::batchCommits). Throws DbError.
    virtual void commit() = 0;
    // Undoes the caller's transaction only. Throws DbError.
    virtual void rollback() = 0;
    // True while a caller's transaction is open.
    [[nodiscard]] virtual bool inTransaction() const = 0;
    // Rows changed by the last data-changing statement that execute() ran.
    [[nodiscard]] virtual long changes() const = 0;
    // Makes every committed transaction survive a power cut now, not only a crash of the program (a
    // write-ahead log kept with normal syncs reaches the disk only at its checkpoints). Throws DbError.
    virtual void makeDurable() = 0;
    // The one dialect whose texts the database takes as built and no other: the server dialect for a
    // server, the desktop dialect for a desktop-file driver (both reached through ODBC); none when either
    // dialect's texts reach it through the dialect bridge.
    [[nodiscard]] virtual std::optional<Dialect> nativeDialect() const noexcept = 0;
    // The database file the engine works on, as its connection names it (a path or a SQLite URI); empty for
    // a server, whose data lie in no file of this machine.
    [[nodiscard]] virtual std::string databaseFile() const = 0;
    // The engine's batch of commits; null when every commit is durable at once.
    [[nodiscard]] virtual BatchedCommits* batchedCommits() noexcept = 0;
    // The engine's interruption of statements by a stop request; null when a statement runs to its end.
    [[nodiscard]] virtual StopInterruption* stopInterruption() noexcept = 0;
    // True while the connection keeps data of its own that its statements read (a temporary table in place
    // of a column): another connection on the same file would not see them.
    [[nodiscard]] virtual bool keepsOwnData() const noexcept { return false; }
    // Whether the engine may keep such data: only while every query on the connection's string reads
    // through this connection (ReadingOwnData). Taken back, whatever it keeps goes.
    virtual void allowOwnData(bool on) noexcept { (void)on; }
};

// The parts of a connection string: a bare file path, or "key=value;" pairs (keys case-insensitive) of which
// "Data Source" names the file. A string with "Driver=" or "DSN=" names an ODBC data source instead. Other
// keys are kept for engines that want them.
struct ConnectionSettings {
    std::string engine = "sqlite";  // from "Engine=" or "Provider=" when given; "odbc" for Driver= or DSN=
    std::string dataSource;
    std::vector<std::pair<std::string, std::string>> others;  // keys lower-cased
};
// Throws DbError when the text is empty or names no data source.
[[nodiscard]] ConnectionSettings parseConnectionString(std::string_view text);
// True when the connection string sets `key` (lower-case) to Off, No, 0 or False.
[[nodiscard]] bool switchedOff(const ConnectionSettings& settings, std::string_view key) noexcept;

}  // namespace tarvenish
