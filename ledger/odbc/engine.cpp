#include "ledger/odbc/engine.h"

#include "ledger/db/error.h"
#include "ledger/dialect/translation.h"
#include "ledger/odbc/appender.h"
#include "ledger/odbc/rows.h"
#include "ledger/odbc/schema_generation.h"
#include "ledger/odbc/session.h"
#include "ledger/odbc/text_calls.h"

namespace tarvenish {

namespace {

// Enough for every statement shape of a run and of the dialog; a shape costs one prepared statement.
constexpr std::size_t kCachedStatements = 64;

bool pairImagesWanted(std::string_view connectionString) noexcept {
    try {
        return pairImagesWanted(parseConnectionString(connectionString));
    } catch (const std::exception&) {
        return true;
    }
}

bool issuedBesideWanted(std::string_view connectionString) noexcept {
    try {
        return issuedBesideWanted(parseConnectionString(connectionString));
    } catch (const std::exception&) {
        return true;
    }
}

// Tells the images, whatever way the call ends, whether the statement may have changed the database.
class WriteWatch final {
public:
    WriteWatch(PairImages& images, PairImageSql& sql, StatementKind kind, bool writes) noexcept
        : m_images(images), m_sql(sql), m_kind(kind), m_writes(writes) {}
    ~WriteWatch() { m_images.ran(m_kind, m_writes, m_sql); }
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;

private:
    PairImages& m_images;
    PairImageSql& m_sql;
    StatementKind m_kind;
    bool m_writes;
};

}  // namespace

OdbcEngine::OdbcEngine(std::shared_ptr<OdbcSession> session, bool pairImages, bool issuedBeside) noexcept
    : m_session(std::move(session)),
      m_planner([this](const std::string& text) { return runQuery(text, text); }),
      m_shaped(*m_session, m_planner, kCachedStatements),
      m_transactions(*m_session),
      m_imageSql(*this),
      m_images(pairImages),
      m_beside(issuedBeside && m_session->kind() == OdbcServerKind::Sqlite, [this] { besideChanged(); }) {
    m_shaped.readThrough(&m_beside, &m_imageSql);
    m_images.readThrough(&m_beside);
}

std::unique_ptr<OdbcEngine> OdbcEngine::open(std::string_view connectionString) {
    return std::unique_ptr<OdbcEngine>(
        new OdbcEngine(OdbcSession::connect(connectionString, OdbcPurpose::Statements),
                       pairImagesWanted(connectionString), issuedBesideWanted(connectionString)));
}

OdbcEngine::~OdbcEngine() {
    m_images.drop(m_imageSql);
    m_beside.drop(m_imageSql);
    m_transactions.end();
}

void OdbcEngine::ImageSql::run(const std::string& sqliteText) {
    (void)m_engine.runQuery(sqliteText, sqliteText);
}

std::vector<std::string> OdbcEngine::ImageSql::firstColumn(const std::string& sqliteText) {
    const QueryResult result = m_engine.runQuery(sqliteText, sqliteText);
    std::vector<std::string> values;
    std::vector<Value> row;
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        result.rows.decode(i, row);
        values.push_back(row.empty() ? std::string() : row.front().displayText());
    }
    return values;
}

std::optional<long> OdbcEngine::runFromImage(const Statement& statement, std::string_view operation,
                                             QueryResult* rows, std::optional<std::uint64_t> version) {
    const std::optional<std::string> answer = m_images.answerFor(statement, m_imageSql, version);
    if (!answer) return std::nullopt;
    try {
        std::optional<long> changed = m_shaped.runAs(statement, *answer, operation, rows);
        if (!changed) m_images.answerFailed(m_imageSql);
        return changed;
    } catch (const DbError&) {
        // The image's table went with a rollback, say: a statement that failed changed nothing, and the
        // statement as built says what is wrong, if anything is.
        m_images.answerFailed(m_imageSql);
        if (rows != nullptr) *rows = QueryResult{};
        return std::nullopt;
    }
}

bool OdbcEngine::runBeside(const Statement& statement, std::string_view operation) {
    if (!IssuedColumnBeside::takes(statement.kind()) || m_session->kind() != OdbcServerKind::Sqlite)
        return false;
    bool ran = false;
    try {
        ran =
            m_beside.run(statement.kind(), translateForSqlite(statement.text(), operation).text, m_imageSql);
    } catch (const DbError& error) {
        throw DbError(std::string(operation), error.engineCode(), error.engineMessage(), statement.text(),
                      error.sqlState());
    }
    if (ran) m_images.drop(m_imageSql);
    return ran;
}

void OdbcEngine::besideChanged() noexcept {
    // The real column put in place changes the table's columns: on every connection of the process.
    m_shaped.clear();
    m_images.forgetAnswers();
    odbcSchemaMayHaveChanged();
    m_schemaGeneration = odbcSchemaGeneration();
}

std::optional<Dialect> OdbcEngine::nativeDialect() const noexcept {
    switch (m_session->kind()) {
        case OdbcServerKind::TransactSql:
            return Dialect::Server;
        case OdbcServerKind::Desktop:
            return Dialect::Desktop;
        default:
            return std::nullopt;
    }
}

std::string OdbcEngine::databaseFile() const {
    return m_session->databaseFile();
}

OdbcEngine::DriverText OdbcEngine::textFor(std::string_view sql, std::string_view operation) {
    if (m_session->kind() != OdbcServerKind::Sqlite) return {std::string(sql), {}};
    SqliteTranslation translation = translateForSqlite(sql, operation);
    translation.text = m_beside.reading(std::move(translation.text), m_imageSql);
    return {m_planner.inJoinOrder(std::move(translation.text)), std::move(translation.createdTable)};
}

bool OdbcEngine::runsShaped(const Statement& statement) {
    if (m_session->kind() != OdbcServerKind::Sqlite || statement.runsAsText()) return false;
    // Another connection may have changed a table since this one prepared its statements. SQLite learns of
    // it only when a statement it runs reads the database: until then it would prepare by the tables it
    // knew, and the driver would describe the result by their old columns.
    if (const std::uint64_t now = odbcSchemaGeneration(); now != m_schemaGeneration) {
        m_shaped.clear();
        m_schemaGeneration = now;
        (void)runQuery("select count(*) from sqlite_master", "read the schema afresh");
    }
    return true;
}

std::optional<std::uint64_t> OdbcEngine::dataVersion() noexcept {
    // Only a speed-up hangs on it: a driver that cannot say leaves every statement to run.
    try {
        const QueryResult result = runQuery("PRAGMA data_version", "PRAGMA data_version");
        if (result.rows.empty()) return std::nullopt;
        std::vector<Value> row;
        result.rows.decode(0, row);
        if (row.empty()) return std::nullopt;
        return static_cast<std::uint64_t>(row.front().asLong());
    } catch (...) {
        return std::nullopt;
    }
}

void OdbcEngine::execute(const Statement& built) {
    constexpr std::string_view kOperation = "execute";
    m_transactions.settleOutsideTransaction();
    // A rewrite of every stock-ledger line that would change none of them. This connection's own writes
    // since the column was added are seen by its statements (each one forgets it); another's by SQLite's
    // data version.
    bool alreadyZero = false;
    if (built.kind() == StatementKind::IssuedColumnZero && m_session->kind() == OdbcServerKind::Sqlite) {
        const std::optional<std::uint64_t> version = dataVersion();
        alreadyZero = version && m_issuedColumn.alreadyZero(built.kind(), *version);
    }
    m_issuedColumn.forget();
    if (alreadyZero) {
        m_changes = 0;
        return;
    }
    if (runBeside(built, kOperation)) {
        m_changes = 0;
        return;
    }
    const std::optional<std::uint64_t> version =
        m_beside.beforeReading(built.kind(), built.runsAsText(), m_imageSql);
    const WriteWatch watch(m_images, m_imageSql, built.kind(), true);
    if (runsShaped(built)) {
        if (const std::optional<long> changed = runFromImage(built, kOperation, nullptr, version)) {
            m_changes = *changed;
            return;
        }
        if (const std::optional<long> changed = m_shaped.run(built, kOperation, nullptr)) {
            m_changes = *changed;
            return;
        }
    }
    const std::string& sql = built.text();
    // A statement sent as text may change the schema (the component's schema changes all go so), and a
    // prepared query describes its result by the columns its tables had when it was prepared: on every
    // connection of the process.
    m_shaped.clear();
    odbcSchemaMayHaveChanged();
    m_schemaGeneration = odbcSchemaGeneration();
    DriverText driverText = textFor(sql, kOperation);
    std::string& text = driverText.text;
    const bool addsIssuedColumn =
        built.kind() == StatementKind::IssuedColumnAdd && m_session->kind() == OdbcServerKind::Sqlite;
    if (addsIssuedColumn) text = withIssuedColumnDefault(built.kind(), std::move(text));
    const OdbcHandle statement = m_session->newStatement();
    SQLRETURN rc = odbcExecDirect(statement.get(), text);
    // A statement that changes no row answers SQL_NO_DATA.
    if (!succeeded(rc) && rc != SQL_NO_DATA) m_session->fail(kOperation, statement, std::string(sql));
    SQLLEN count = 0;
    m_changes = rc != SQL_NO_DATA && succeeded(SQLRowCount(statement.get(), &count)) && count > 0
                    ? static_cast<long>(count)
                    : 0;
    // A server reports a failure of a later statement of a batch only as its result is reached.
    while (succeeded(rc = SQLMoreResults(statement.get()))) {
    }
    if (rc != SQL_NO_DATA) m_session->fail(kOperation, statement, std::string(sql));
    if (!driverText.createdTable.empty()) m_planner.indexFirstColumn(driverText.createdTable);
    if (addsIssuedColumn) {
        if (const std::optional<std::uint64_t> version = dataVersion())
            m_issuedColumn.ran(built.kind(), *version);
    }
}

bool OdbcEngine::readsThroughBatch() const noexcept {
    return m_session->kind() == OdbcServerKind::Sqlite;
}

QueryResult OdbcEngine::query(const Statement& statement) {
    m_transactions.settleOutsideTransaction();
    return queryInBatch(statement);
}

QueryResult OdbcEngine::queryInBatch(const Statement& statement) {
    // A query's text may write as well.
    m_issuedColumn.forget();
    const std::optional<std::uint64_t> version =
        m_beside.beforeReading(statement.kind(), statement.runsAsText(), m_imageSql);
    const WriteWatch watch(m_images, m_imageSql, statement.kind(), !onlyReads(statement.text()));
    if (runsShaped(statement)) {
        QueryResult result;
        if (runFromImage(statement, "query", &result, version)) return result;
        if (m_shaped.run(statement, "query", &result)) return result;
    }
    return runQuery(textFor(statement.text(), "query").text, statement.text());
}

QueryResult OdbcEngine::runQuery(std::string text, std::string_view sql) {
    constexpr std::string_view kOperation = "query";
    const OdbcHandle statement = m_session->newStatement();
    const SQLRETURN rc = odbcExecDirect(statement.get(), text);
    if (!succeeded(rc) && rc != SQL_NO_DATA) m_session->fail(kOperation, statement, std::string(sql));
    QueryResult result;
    readOdbcRows(*m_session, statement, sql, result);
    return result;
}

std::unique_ptr<TableAppender> OdbcEngine::openAppender(std::string_view table) {
    m_transactions.settleOutsideTransaction();
    m_issuedColumn.forget();
    m_images.appending(table, m_imageSql);
    return std::make_unique<OdbcAppender>(m_session, table);
}

void OdbcEngine::makeDurable() {
    m_transactions.settleOutsideTransaction();
    // A SQLite file's write-ahead log reaches the disk at its checkpoints; a server makes its commits durable
    // itself.
    if (m_session->kind() == OdbcServerKind::Sqlite)
        (void)runQuery("PRAGMA wal_checkpoint(PASSIVE)", "PRAGMA wal_checkpoint(PASSIVE)");
}

void OdbcEngine::settle() {
    try {
        m_transactions.settle();
    } catch (...) {
        // A batch lost as a whole may take the column kept beside, or its rows, along.
        m_beside.rolledBack(m_imageSql);
        throw;
    }
}

void OdbcEngine::begin() {
    m_transactions.begin();
}

void OdbcEngine::commit() {
    m_transactions.commit();
}

void OdbcEngine::rollback() {
    try {
        m_transactions.rollback();
    } catch (...) {
        m_images.forget();
        throw;
    }
    // The images built since the transaction began went with it; any other is built afresh, to be sure.
    m_images.drop(m_imageSql);
    m_beside.rolledBack(m_imageSql);
}

EngineKind odbcEngineKind() {
    return {"odbc",
            [](std::string_view connectionString, const ConnectionSettings&) -> std::unique_ptr<Engine> {
                return OdbcEngine::open(connectionString);
            }};
}

}  // namespace tarvenish
