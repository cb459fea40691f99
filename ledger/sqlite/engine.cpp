#include "ledger/sqlite/engine.h"

#include <sqlite3.h>

#include "ledger/db/error.h"
#include "ledger/db/stop_request.h"
#include "ledger/dialect/bridge.h"
#include "ledger/dialect/translation.h"
#include "ledger/sqlite/appender.h"
#include "ledger/sqlite/handle.h"
#include "ledger/sqlite/open.h"
#include "ledger/sqlite/prepare.h"
#include "ledger/sqlite/rows.h"
#include "ledger/sqlite/table_index.h"

namespace tarvenish {

namespace {

// Virtual-machine steps between two looks at a stop request while statements may be interrupted.
constexpr int kStopCheckSteps = 1000;
// Enough for every statement shape of a run and of the dialog; a shape costs one prepared statement.
constexpr std::size_t kCachedStatements = 64;

// Tells the images, whatever way the call ends, whether a statement of the engine changed the database.
class WriteWatch final {
public:
    WriteWatch(const SqliteDatabase& db, PairImages& images, PairImageSql& sql, StatementKind kind) noexcept
        : m_db(db), m_images(images), m_sql(sql), m_kind(kind), m_writes(db.writes()) {}
    ~WriteWatch() { m_images.ran(m_kind, m_db.writes() != m_writes, m_sql); }
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;

private:
    const SqliteDatabase& m_db;
    PairImages& m_images;
    PairImageSql& m_sql;
    StatementKind m_kind;
    std::uint64_t m_writes;
};

}  // namespace

SqliteEngine::SqliteEngine(std::shared_ptr<SqliteDatabase> db, bool pairImages, bool issuedBeside) noexcept
    : m_db(std::move(db)),
      m_statements(*m_db, kCachedStatements),
      m_transactions(*m_db),
      m_imageSql(*m_db),
      m_images(pairImages),
      m_beside(issuedBeside, [this] { besideChanged(); }) {
    m_statements.readThrough(&m_beside, &m_imageSql);
    m_images.readThrough(&m_beside);
}

std::unique_ptr<SqliteEngine> SqliteEngine::open(const ConnectionSettings& settings) {
    std::unique_ptr<SqliteEngine> engine(new SqliteEngine(
        openSqliteDatabase(settings), pairImagesWanted(settings), issuedBesideWanted(settings)));
    engine->m_file = settings.dataSource;
    return engine;
}

SqliteEngine::~SqliteEngine() {
    m_statements.clear();
    m_images.drop(m_imageSql);
    m_beside.drop(m_imageSql);
    m_imageSql.clear();
    m_transactions.end();
}

bool SqliteEngine::runFromImage(const Statement& statement, std::string_view operation, QueryResult* rows,
                                std::optional<std::uint64_t> version) {
    const std::optional<std::string> answer = m_images.answerFor(statement, m_imageSql, version);
    if (!answer) return false;
    try {
        m_statements.runAs(statement, *answer, operation, rows);
        return true;
    } catch (const DbError& error) {
        if (error.engineCode() == SQLITE_INTERRUPT) throw;
        // The image's table went with a rollback, say: a statement that failed changed nothing, and the
        // statement as built says what is wrong, if anything is.
        m_images.answerFailed(m_imageSql);
        if (rows != nullptr) *rows = QueryResult{};
        return false;
    }
}

bool SqliteEngine::runBeside(const Statement& statement, std::string_view operation) {
    if (!IssuedColumnBeside::takes(statement.kind())) return false;
    bool ran = false;
    try {
        ran =
            m_beside.run(statement.kind(), translateForSqlite(statement.text(), operation).text, m_imageSql);
    } catch (const DbError& error) {
        // The statement as the component built it is what the failure is about.
        throw DbError(std::string(operation), error.engineCode(), error.engineMessage(), statement.text());
    }
    if (ran) m_images.drop(m_imageSql);
    return ran;
}

void SqliteEngine::besideChanged() noexcept {
    m_statements.clear();
    m_images.forgetAnswers();
}

void SqliteEngine::run(const std::string& sqliteText, std::string_view original, std::string_view operation) {
    const char* tail = sqliteText.c_str();
    const char* const end = tail + sqliteText.size();
    bool ranAny = false;
    while (tail < end) {
        std::size_t consumed = 0;
        StatementPtr statement =
            prepareInJoinOrder(*m_db, std::string_view(tail, static_cast<std::size_t>(end - tail)), consumed,
                               original, operation);
        if (consumed == 0) break;
        tail += consumed;
        if (!statement) continue;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        }
        m_db->countSteps(statement.get());
        if (rc != SQLITE_DONE) m_db->fail(operation, rc, std::string(original));
        ranAny = true;
    }
    if (!ranAny)
        throw DbError(std::string(operation), SQLITE_MISUSE, "the statement is empty", std::string(original));
}

void SqliteEngine::settleOutsideTransaction() {
    if (m_transactions.outsideCallersTransaction()) m_transactions.settle();
}

std::optional<std::uint64_t> SqliteEngine::dataVersion() noexcept {
    // Only a speed-up hangs on it: when it cannot say, every statement runs.
    try {
        return m_imageSql.dataVersion();
    } catch (...) {
        return std::nullopt;
    }
}

void SqliteEngine::execute(const Statement& statement) {
    settleOutsideTransaction();
    constexpr std::string_view kOperation = "execute";
    // A rewrite of every stock-ledger line that would change none of them. This connection's own writes
    // since the column was added are seen by its statements (each one forgets it); another's by the data
    // version.
    bool alreadyZero = false;
    if (statement.kind() == StatementKind::IssuedColumnZero) {
        const std::optional<std::uint64_t> version = dataVersion();
        alreadyZero = version && m_issuedColumn.alreadyZero(statement.kind(), *version);
    }
    m_issuedColumn.forget();
    if (alreadyZero) return;
    if (runBeside(statement, kOperation)) return;
    const std::optional<std::uint64_t> version =
        m_beside.beforeReading(statement.kind(), statement.runsAsText(), m_imageSql);
    const WriteWatch watch(*m_db, m_images, m_imageSql, statement.kind());
    if (!statement.runsAsText()) {
        if (runFromImage(statement, kOperation, nullptr, version)) return;
        if (m_statements.run(statement, kOperation, nullptr)) return;
    }
    const std::string& sql = statement.text();
    SqliteTranslation translation = translateForSqlite(sql, kOperation);
    translation.text = withIssuedColumnDefault(statement.kind(), std::move(translation.text));
    translation.text = m_beside.reading(std::move(translation.text), m_imageSql);
    run(translation.text, sql, kOperation);
    if (!translation.createdTable.empty()) indexFirstColumn(m_db->handle(), translation.createdTable);
    if (statement.kind() == StatementKind::IssuedColumnAdd) {
        if (const std::optional<std::uint64_t> version = dataVersion())
            m_issuedColumn.ran(statement.kind(), *version);
    }
}

long SqliteEngine::changes() const {
    return static_cast<long>(sqlite3_changes64(m_db->handle()));
}

void SqliteEngine::interruptOnStopRequest(bool on) noexcept {
    // A non-zero answer of the progress handler makes the statement in hand fail with SQLITE_INTERRUPT.
    if (on) {
        sqlite3_progress_handler(
            m_db->handle(), kStopCheckSteps, [](void*) { return stopRequested() != 0 ? 1 : 0; }, nullptr);
    } else {
        sqlite3_progress_handler(m_db->handle(), 0, nullptr, nullptr);
    }
}

QueryResult SqliteEngine::query(const Statement& statement) {
    settleOutsideTransaction();
    return queryInBatch(statement);
}

QueryResult SqliteEngine::queryInBatch(const Statement& built) {
    constexpr std::string_view kOperation = "query";
    // A query's text may write as well.
    m_issuedColumn.forget();
    const std::optional<std::uint64_t> version =
        m_beside.beforeReading(built.kind(), built.runsAsText(), m_imageSql);
    const WriteWatch watch(*m_db, m_images, m_imageSql, built.kind());
    if (!built.runsAsText()) {
        QueryResult result;
        if (!runFromImage(built, kOperation, &result, version)) m_statements.run(built, kOperation, &result);
        return result;
    }
    const std::string& sql = built.text();
    const std::string text = m_beside.reading(translateForSqlite(sql, kOperation).text, m_imageSql);
    std::size_t consumed = 0;
    StatementPtr statement = prepareInJoinOrder(*m_db, text, consumed, sql, kOperation);
    if (!statement)
        throw DbError(std::string(kOperation), SQLITE_MISUSE, "the statement is empty", std::string(sql));
    // Only the first statement's rows could be returned; refuse rather than drop the others unseen.
    if (holdsFurtherStatement(*m_db, std::string_view(text).substr(consumed)))
        throw DbError(std::string(kOperation), SQLITE_ERROR, "a query must be a single statement",
                      std::string(sql));

    QueryResult result;
    const int rc = readRows(statement.get(), sqlite3_step(statement.get()), result);
    m_db->countSteps(statement.get());
    if (rc != SQLITE_DONE) m_db->fail(kOperation, rc, std::string(sql));
    return result;
}

std::unique_ptr<TableAppender> SqliteEngine::openAppender(std::string_view table) {
    settleOutsideTransaction();
    m_issuedColumn.forget();
    m_images.appending(table, m_imageSql);
    return std::make_unique<SqliteAppender>(m_db, table);
}

void SqliteEngine::begin() {
    m_transactions.begin();
}

void SqliteEngine::commit() {
    m_transactions.commit();
}

void SqliteEngine::rollback() {
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

bool SqliteEngine::inTransaction() const {
    return m_transactions.inTransaction();
}

void SqliteEngine::batchCommits(bool on) {
    m_transactions.batchCommits(on);
}

void SqliteEngine::settle() {
    try {
        m_transactions.settle();
    } catch (...) {
        // A batch lost as a whole takes the images built in it along.
        m_images.forget();
        m_beside.rolledBack(m_imageSql);
        throw;
    }
}

void SqliteEngine::makeDurable() {
    settleOutsideTransaction();
    // A write-ahead log kept with normal syncs reaches the disk at its checkpoints only: syncing it now makes
    // every commit in it durable, whatever checkpoint a reader holds back. A rollback journal has nothing to
    // sync: its commits were synced as they were made.
    sqlite3_file* log = nullptr;
    if (sqlite3_file_control(m_db->handle(), "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) != SQLITE_OK ||
        log == nullptr || log->pMethods == nullptr || !isWriteAheadLog(m_db->handle()))
        return;
    const int rc = log->pMethods->xSync(log, SQLITE_SYNC_NORMAL);
    if (rc != SQLITE_OK) m_db->fail("make the committed work durable", rc, {});
}

std::size_t SqliteEngine::unsettledTransactions() const {
    return m_transactions.unsettledTransactions();
}

std::chrono::steady_clock::time_point SqliteEngine::batchStart() const {
    return m_transactions.batchStart();
}

std::uint64_t SqliteEngine::vmSteps() const noexcept {
    return m_db->vmSteps();
}

EngineKind sqliteEngineKind() {
    return {"sqlite", [](std::string_view, const ConnectionSettings& settings) -> std::unique_ptr<Engine> {
                return SqliteEngine::open(settings);
            }};
}

}  // namespace tarvenish
