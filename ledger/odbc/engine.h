#pragma once
// The engine on an ODBC data source: a database server that speaks the host's server dialect gets the
// statements exactly as built; a SQLite database behind the SQLite ODBC driver gets them through the same
// dialect bridge as the embedded engine, one prepared statement per statement shape with the values bound.
// Errors carry the SQLSTATE and the statement as the component built it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ledger/db/batched_commits.h"
#include "ledger/db/engine.h"
#include "ledger/db/engine_factory.h"
#include "ledger/dialect/issued_beside.h"
#include "ledger/dialect/issued_column.h"
#include "ledger/dialect/pair_image.h"
#include "ledger/odbc/shaped_statements.h"
#include "ledger/odbc/sqlite_planner.h"
#include "ledger/odbc/transactions.h"

namespace tarvenish {

class OdbcSession;

class OdbcEngine final : public Engine, public BatchedCommits {
public:
    // Connects by an ODBC connection string ("Driver=...;..." or "DSN=...;..."). Throws DbError.
    [[nodiscard]] static std::unique_ptr<OdbcEngine> open(std::string_view connectionString);
    // Rolls back an open transaction of the caller and disconnects.
    ~OdbcEngine() override;

    void execute(const Statement& statement) override;
    [[nodiscard]] QueryResult query(const Statement& statement) override;
    [[nodiscard]] QueryResult queryInBatch(const Statement& statement) override;
    // True with SQLite behind the driver; a server's reads stay on connections of their own.
    [[nodiscard]] bool readsThroughBatch() const noexcept override;
    [[nodiscard]] std::unique_ptr<TableAppender> openAppender(std::string_view table) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    [[nodiscard]] bool inTransaction() const override { return m_transactions.inTransaction(); }
    void batchCommits(bool on) override { m_transactions.batchCommits(on); }
    void settle() override;
    [[nodiscard]] std::size_t unsettledTransactions() const override { return m_transactions.unsettled(); }
    [[nodiscard]] std::chrono::steady_clock::time_point batchStart() const override {
        return m_transactions.batchStart();
    }
    [[nodiscard]] long changes() const override { return m_changes; }
    void makeDurable() override;
    [[nodiscard]] std::optional<Dialect> nativeDialect() const noexcept override;
    // The database file of a SQLite or desktop-file data source, as its driver names it; empty for a server.
    [[nodiscard]] std::string databaseFile() const override;
    [[nodiscard]] BatchedCommits* batchedCommits() noexcept override { return this; }
    // A statement sent through the driver runs to its end; a stop request is seen between statements.
    [[nodiscard]] StopInterruption* stopInterruption() noexcept override { return nullptr; }
    [[nodiscard]] bool keepsOwnData() const noexcept override { return m_beside.active(); }
    void allowOwnData(bool on) noexcept override { m_beside.allow(on, m_imageSql); }

    // Diagnostic: the images of the pairs' lines built so far, rebuilds included.
    [[nodiscard]] std::size_t pairImageBuilds() const noexcept { return m_images.builds(); }

private:
    OdbcEngine(std::shared_ptr<OdbcSession> session, bool pairImages, bool issuedBeside) noexcept;
    // SQLite behind the driver: runs a statement of the issued-quantity pass on the column kept beside the
    // table; false when it is to run as it is.
    bool runBeside(const Statement& statement, std::string_view operation);
    // Forgets every prepared text: what the column kept beside makes of a text has changed.
    void besideChanged() noexcept;
    // The statements of the images on this connection.
    class ImageSql final : public PairImageSql {
    public:
        explicit ImageSql(OdbcEngine& engine) noexcept : m_engine(engine) {}
        void run(const std::string& sqliteText) override;
        [[nodiscard]] std::vector<std::string> firstColumn(const std::string& sqliteText) override;
        [[nodiscard]] std::optional<std::uint64_t> dataVersion() override { return m_engine.dataVersion(); }

    private:
        OdbcEngine& m_engine;
    };
    // SQLite behind the driver: runs a built per-pair statement from the image of its lines; nullopt, having
    // changed nothing, when it must run as it is. Returns the rows it changed.
    [[nodiscard]] std::optional<long> runFromImage(const Statement& statement, std::string_view operation,
                                                   QueryResult* rows, std::optional<std::uint64_t> version);
    struct DriverText {
        std::string text;          // what reaches the driver
        std::string createdTable;  // the table a select-into makes on SQLite, else empty
    };
    // The text that reaches the driver: as built for a server, rewritten for SQLite.
    [[nodiscard]] DriverText textFor(std::string_view sql, std::string_view operation);
    // Runs `text` as it is and reads its rows; errors carry `original`.
    [[nodiscard]] QueryResult runQuery(std::string text, std::string_view original);
    // True when the statement goes through the prepared statement of its shape: a built statement to a
    // SQLite database behind the driver. A server gets every text exactly as built.
    [[nodiscard]] bool runsShaped(const Statement& statement);
    // SQLite behind the driver: the counter it moves on every change another connection makes to the file.
    // nullopt when the driver cannot say.
    [[nodiscard]] std::optional<std::uint64_t> dataVersion() noexcept;

    std::shared_ptr<OdbcSession> m_session;
    OdbcSqlitePlanner m_planner;
    OdbcShapedStatements m_shaped;  // SQLite only: the prepared statement of each recent shape
    // The process's schema generation when m_shaped was last known fresh.
    std::uint64_t m_schemaGeneration = 0;
    OdbcTransactions m_transactions;
    long m_changes = 0;
    IssuedColumnZero m_issuedColumn;  // SQLite only
    ImageSql m_imageSql;
    PairImages m_images;          // SQLite only
    IssuedColumnBeside m_beside;  // SQLite only
};

// The ODBC engine as openEngine knows it: "odbc", a connection string with Driver= or DSN=.
[[nodiscard]] EngineKind odbcEngineKind();

}  // namespace tarvenish
