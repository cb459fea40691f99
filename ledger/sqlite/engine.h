#pragma once
// The engine on a SQLite database file: the component's statements are rewritten into SQLite's SQL on the
// way in, and errors carry the statement as the component built it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ledger/db/batched_commits.h"
#include "ledger/db/engine.h"
#include "ledger/db/engine_factory.h"
#include "ledger/db/stop_interruption.h"
#include "ledger/dialect/issued_beside.h"
#include "ledger/dialect/issued_column.h"
#include "ledger/dialect/pair_image.h"
#include "ledger/sqlite/pair_image_sql.h"
#include "ledger/sqlite/shaped_statements.h"
#include "ledger/sqlite/transactions.h"

namespace tarvenish {

class SqliteDatabase;

class SqliteEngine final : public Engine, public BatchedCommits, public StopInterruption {
public:
    // Opens an existing database file (or a SQLite URI); never creates one. Throws DbError naming the file
    // when it is missing or is not a database.
    [[nodiscard]] static std::unique_ptr<SqliteEngine> open(const ConnectionSettings& settings);
    // Rolls back an open transaction of the caller and commits the work held back.
    ~SqliteEngine() override;

    void execute(const Statement& statement) override;
    [[nodiscard]] QueryResult query(const Statement& statement) override;
    [[nodiscard]] QueryResult queryInBatch(const Statement& statement) override;
    [[nodiscard]] bool readsThroughBatch() const noexcept override { return true; }
    [[nodiscard]] std::unique_ptr<TableAppender> openAppender(std::string_view table) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    [[nodiscard]] bool inTransaction() const override;
    void batchCommits(bool on) override;
    void settle() override;
    [[nodiscard]] std::size_t unsettledTransactions() const override;
    [[nodiscard]] std::chrono::steady_clock::time_point batchStart() const override;
    [[nodiscard]] long changes() const override;
    void interruptOnStopRequest(bool on) noexcept override;
    void makeDurable() override;
    // The data source the engine was opened on.
    [[nodiscard]] std::string databaseFile() const override { return m_file; }
    [[nodiscard]] std::optional<Dialect> nativeDialect() const noexcept override { return std::nullopt; }
    [[nodiscard]] BatchedCommits* batchedCommits() noexcept override { return this; }
    [[nodiscard]] StopInterruption* stopInterruption() noexcept override { return this; }
    [[nodiscard]] bool keepsOwnData() const noexcept override { return m_beside.active(); }
    void allowOwnData(bool on) noexcept override { m_beside.allow(on, m_imageSql); }

    // Diagnostic: the virtual-machine steps of every statement run on this database so far, appenders
    // included. Reading a table's rows costs at least one step per row.
    [[nodiscard]] std::uint64_t vmSteps() const noexcept;

    // Diagnostic: the images of the pairs' lines built so far, rebuilds included.
    [[nodiscard]] std::size_t pairImageBuilds() const noexcept { return m_images.builds(); }

    // Diagnostic: the prepared statements kept for reuse.
    [[nodiscard]] std::size_t cachedStatements() const noexcept { return m_statements.size(); }

private:
    SqliteEngine(std::shared_ptr<SqliteDatabase> db, bool pairImages, bool issuedBeside) noexcept;
    // Runs a statement of the issued-quantity pass on the column kept beside the table; false when it is to
    // run as it is.
    bool runBeside(const Statement& statement, std::string_view operation);
    // Forgets every prepared text: what the column kept beside makes of a text has changed.
    void besideChanged() noexcept;
    // Runs a built per-pair statement from the image of its lines; false, having changed nothing, when it
    // must run as it is. Throws DbError when stopped.
    // `version`: the data version already read for the statement, if any.
    bool runFromImage(const Statement& statement, std::string_view operation, QueryResult* rows,
                      std::optional<std::uint64_t> version);
    // Runs every statement of an SQLite text; `original` is what errors carry.
    void run(const std::string& sqliteText, std::string_view original, std::string_view operation);
    // Makes held-back work durable before a statement outside a caller's transaction, which must not join it.
    void settleOutsideTransaction();
    // The counter SQLite moves on every commit another connection makes to the file; nullopt when it
    // cannot say.
    [[nodiscard]] std::optional<std::uint64_t> dataVersion() noexcept;

    std::shared_ptr<SqliteDatabase> m_db;
    SqliteShapedStatements m_statements;
    SqliteTransactions m_transactions;
    IssuedColumnZero m_issuedColumn;
    SqlitePairImageSql m_imageSql;
    PairImages m_images;
    IssuedColumnBeside m_beside;
    std::string m_file;
};

// The embedded engine as openEngine knows it: "sqlite", a file path or "Data Source=".
[[nodiscard]] EngineKind sqliteEngineKind();

}  // namespace tarvenish
