#pragma once
// The engine on a SQLite database file: the component's statements are rewritten into SQLite's SQL on the
// way in, and errors carry the statement as the component built it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/sql_parameters.h"
#include "ledger/engine.h"
#include "ledger/sqlite_dialect.h"
#include "ledger/sqlite_statement_cache.h"

namespace tarvenish {

class SqliteDatabase;

class SqliteEngine final : public Engine {
public:
    // Opens an existing database file (or a SQLite URI); never creates one. Throws DbError naming the file
    // when it is missing or is not a database.
    [[nodiscard]] static std::unique_ptr<SqliteEngine> open(const ConnectionSettings& settings);
    // Rolls back an open transaction of the caller and commits the work held back.
    ~SqliteEngine() override;

    void execute(std::string_view sql) override;
    [[nodiscard]] QueryResult query(std::string_view sql) override;
    [[nodiscard]] std::unique_ptr<TableAppender> openAppender(std::string_view table) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    [[nodiscard]] bool inTransaction() const override;
    void batchCommits(bool on) override;
    void settle() override;
    [[nodiscard]] std::size_t unsettledTransactions() const override;
    [[nodiscard]] long changes() const override;
    void interruptOnStopRequest(bool on) noexcept override;

    // Diagnostic: the virtual-machine steps of every statement run on this database so far, appenders
    // included. Reading a table's rows costs at least one step per row.
    [[nodiscard]] std::uint64_t vmSteps() const noexcept;

    // Diagnostic: the prepared statements kept for reuse.
    [[nodiscard]] std::size_t cachedStatements() const noexcept { return m_statements.size(); }

private:
    explicit SqliteEngine(std::shared_ptr<SqliteDatabase> db) noexcept;
    // The statement in SQLite's SQL. Throws DbError for `operation` carrying the original text.
    [[nodiscard]] SqliteTranslation translate(std::string_view sql, std::string_view operation) const;
    // Runs every statement of an SQLite text; `original` is what errors carry.
    void run(const std::string& sqliteText, std::string_view original, std::string_view operation);
    // Prepares the first statement of `text`, in the join order that spares SQLite a scan per outer row.
    // `consumed` is set to the length of the statement's text. Throws DbError carrying `original`.
    [[nodiscard]] StatementPtr prepareFirst(std::string_view text, std::size_t& consumed,
                                            std::string_view original, std::string_view operation);
    // Runs a statement through the prepared statement of its shape, its literals bound; fills `rows` when
    // given. False, having run nothing, when the shape is several statements. Throws DbError.
    bool runShaped(const ParameterizedSql& shaped, std::string_view original, std::string_view operation,
                   QueryResult* rows);
    // Indexes the first column of a table that a select-into made: the key later statements look it up by.
    void indexFirstColumn(std::string_view table) noexcept;
    // Forgets a batch that the engine ended on its own (SQLite rolls back the whole transaction on some
    // errors): its transactions are lost.
    void noticeEndedBatch() noexcept;
    // Commits the batch when enough transactions or time have gathered in it. Throws DbError.
    void commitBatchWhenDue();

    std::shared_ptr<SqliteDatabase> m_db;
    SqliteStatementCache m_statements;
    // The real transaction that the callers' transactions are savepoints in, while one is open.
    bool m_batching = false;
    bool m_batchOpen = false;
    bool m_savepointOpen = false;
    std::size_t m_released = 0;
    std::chrono::steady_clock::time_point m_batchStart{};
};

}  // namespace tarvenish
