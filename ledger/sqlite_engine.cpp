#include "ledger/sqlite_engine.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <stdexcept>

#include "ledger/busy_timeout.h"
#include "ledger/column_type.h"
#include "ledger/db_error.h"
#include "ledger/sqlite_appender.h"
#include "ledger/sqlite_dialect.h"
#include "ledger/sqlite_handle.h"
#include "ledger/sqlite_join_order.h"
#include "ledger/stop_request.h"

namespace tarvenish {

namespace {

// Virtual-machine steps between two looks at a stop request while statements may be interrupted.
constexpr int kStopCheckSteps = 1000;
// Enough for every statement shape of a run and of the dialog; a shape costs one prepared statement.
constexpr std::size_t kCachedStatements = 64;
// Pages this connection keeps in memory (negative: KiB). Two connections to an account set stay well
// inside a small process.
constexpr const char* kCacheSize = "PRAGMA cache_size=-32768";
// Right joins came with SQLite 3.39.0.
constexpr int kRightJoinVersion = 3039000;
// A batch of callers' transactions is committed at the first of these: each commit of its own would write
// the changed pages to the journal again and sync.
constexpr std::size_t kBatchTransactions = 256;
constexpr std::chrono::milliseconds kBatchAge{250};
constexpr const char* kSavepoint = "SAVEPOINT tarvenish_transaction";
constexpr const char* kRollbackSavepoint = "ROLLBACK TO tarvenish_transaction";
constexpr const char* kReleaseSavepoint = "RELEASE tarvenish_transaction";

bool isUri(std::string_view source) {
    return source.size() >= 5 && (source.substr(0, 5) == "file:" || source.substr(0, 5) == "FILE:");
}

std::string upper(const char* text) {
    std::string out = text != nullptr ? text : "";
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return out;
}

Value readColumn(sqlite3_stmt* statement, int index, bool dateColumn) {
    switch (sqlite3_column_type(statement, index)) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 number = sqlite3_column_int64(statement, index);
            return dateColumn ? Value::date(Date{static_cast<double>(number)}) : Value::longInt(number);
        }
        case SQLITE_FLOAT: {
            const double number = sqlite3_column_double(statement, index);
            return dateColumn ? Value::date(Date{number}) : Value::real(number);
        }
        case SQLITE_NULL:
            return Value::null();
        default: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, index));
            std::string text(bytes != nullptr ? bytes : "",
                             static_cast<std::size_t>(sqlite3_column_bytes(statement, index)));
            Date date;
            if (dateColumn && parseDate(text, date)) return Value::date(date);
            return Value::text(std::move(text));
        }
    }
}

bool containsNoCase(std::string_view text, std::string_view word) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

// True when SQLite's plan for `statement` scans the right table of a left join once per outer row.
// Reads the columns and every row of a statement whose first step answered `rc`; returns the last step's
// answer. The columns are read after the first step: a statement prepared afresh for a changed schema has its
// new ones.
int readRows(sqlite3_stmt* statement, int rc, QueryResult& out) {
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return rc;
    const int columnCount = sqlite3_column_count(statement);
    std::vector<bool> dateColumns;
    for (int i = 0; i < columnCount; ++i) {
        const char* name = sqlite3_column_name(statement, i);
        Column column{name != nullptr ? name : "", upper(sqlite3_column_decltype(statement, i))};
        dateColumns.push_back(isDateType(column.declType));
        out.columns.push_back(std::move(column));
    }
    std::vector<Value> row;
    row.reserve(static_cast<std::size_t>(columnCount));
    for (; rc == SQLITE_ROW; rc = sqlite3_step(statement)) {
        row.clear();
        for (int i = 0; i < columnCount; ++i) row.push_back(readColumn(statement, i, dateColumns[i]));
        out.rows.append(row);
    }
    return rc;
}

bool scansInsideLeftJoin(sqlite3* db, std::string_view statement) {
    const std::string text = "EXPLAIN QUERY PLAN " + std::string(statement);
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size()), &raw, nullptr) != SQLITE_OK)
        return false;
    StatementPtr plan(raw);
    if (!plan) return false;
    constexpr std::string_view kScan = "SCAN ";
    constexpr std::string_view kLeftJoin = "LEFT-JOIN";
    while (sqlite3_step(plan.get()) == SQLITE_ROW) {
        const auto* detail = reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3));
        const std::string_view step = detail != nullptr ? detail : "";
        if (step.starts_with(kScan) && step.ends_with(kLeftJoin)) return true;
    }
    return false;
}

std::string_view bareName(std::string_view name) {
    if (name.size() >= 2 &&
        ((name.front() == '[' && name.back() == ']') || (name.front() == '"' && name.back() == '"') ||
         (name.front() == '`' && name.back() == '`')))
        return name.substr(1, name.size() - 2);
    return name;
}

std::string quotedName(std::string_view name) {
    std::string out = "\"";
    for (const char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

int bindLiteral(sqlite3_stmt* statement, int index, const SqlLiteral& literal) {
    switch (literal.kind) {
        case SqlLiteral::Kind::Integer:
            return sqlite3_bind_int64(statement, index, literal.integer);
        case SqlLiteral::Kind::Real:
            return sqlite3_bind_double(statement, index, literal.real);
        case SqlLiteral::Kind::Text:
            // the literal outlives the statement's use: the bindings are cleared before the call returns
            return sqlite3_bind_text(statement, index, literal.text.c_str(),
                                     static_cast<int>(literal.text.size()), SQLITE_STATIC);
    }
    return SQLITE_MISUSE;
}

// Leaves a reused statement ready for its next use, whatever happened to this one.
class StatementUse final {
public:
    explicit StatementUse(sqlite3_stmt* statement) noexcept : m_statement(statement) {}
    ~StatementUse() { release(); }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    void release() noexcept {
        if (m_statement == nullptr) return;
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        m_statement = nullptr;
    }

private:
    sqlite3_stmt* m_statement;
};

// The journal settings of a connection. A rollback journal stays as the file has it, with full syncs:
// the file belongs to the host. In WAL mode a commit is safe with normal syncs (a power cut may lose the
// last commits, never the file's consistency). "Journal Mode=WAL" in the connection string lets a host
// that wants its file in WAL mode say so; that mode stays with the file.
void applyJournalSettings(sqlite3* db, const ConnectionSettings& settings, SqliteDatabase& owner,
                          std::string_view operation) {
    for (const auto& [key, value] : settings.others) {
        if (key != "journal mode") continue;
        std::string text = "PRAGMA journal_mode='";
        for (const char c : value) {
            if (c == '\'') text += '\'';
            text += c;
        }
        text += '\'';
        const int rc = sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) owner.fail(operation, rc, text);
    }
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &raw, nullptr) != SQLITE_OK) return;
    StatementPtr statement(raw);
    if (sqlite3_step(statement.get()) != SQLITE_ROW) return;
    const auto* mode = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    if (mode != nullptr && upper(mode) == "WAL")
        sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
}

}  // namespace

SqliteEngine::SqliteEngine(std::shared_ptr<SqliteDatabase> db) noexcept
    : m_db(std::move(db)), m_statements(kCachedStatements) {}

std::unique_ptr<SqliteEngine> SqliteEngine::open(const ConnectionSettings& settings) {
    const std::string& source = settings.dataSource;
    const std::string operation = "open database \"" + source + "\"";
    // SQLite would report a missing file only as "unable to open database file"; say what is wrong.
    if (!isUri(source) && source != ":memory:" && !std::filesystem::exists(source))
        throw DbError(operation, SQLITE_CANTOPEN, "the file does not exist", {});
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(source.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
    auto db = std::make_shared<SqliteDatabase>(raw);
    if (rc != SQLITE_OK) db->fail(operation, rc, {});
    sqlite3_extended_result_codes(raw, 0);
    const auto timeout = std::clamp<long long>(busyTimeout().count(), 0, std::numeric_limits<int>::max());
    sqlite3_busy_timeout(raw, static_cast<int>(timeout));
    // Opening is lazy: reading the schema is what finds a file that is not a database.
    const int check = sqlite3_exec(raw, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    if (check != SQLITE_OK) db->fail(operation, check, {});
    const int functions = registerDialectFunctions(raw);
    if (functions != SQLITE_OK) db->fail(operation, functions, {});
    sqlite3_exec(raw, kCacheSize, nullptr, nullptr, nullptr);
    applyJournalSettings(raw, settings, *db, operation);
    return std::unique_ptr<SqliteEngine>(new SqliteEngine(std::move(db)));
}

SqliteEngine::~SqliteEngine() {
    m_statements.clear();
    // Appenders may keep the handle open after the engine is gone, so the transaction must end here.
    sqlite3* db = m_db->handle();
    if (sqlite3_get_autocommit(db) != 0) return;
    if (m_savepointOpen) {
        sqlite3_exec(db, kRollbackSavepoint, nullptr, nullptr, nullptr);
        sqlite3_exec(db, kReleaseSavepoint, nullptr, nullptr, nullptr);
    }
    // The released transactions were committed as far as their callers know.
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK && sqlite3_get_autocommit(db) == 0)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

SqliteTranslation SqliteEngine::translate(std::string_view sql, std::string_view operation) const {
    try {
        return translateStatement(sql);
    } catch (const std::invalid_argument& e) {
        throw DbError(std::string(operation), SQLITE_ERROR,
                      std::string("cannot read the statement: ") + e.what(), std::string(sql));
    }
}

void SqliteEngine::run(const std::string& sqliteText, std::string_view original, std::string_view operation) {
    const char* tail = sqliteText.c_str();
    const char* const end = tail + sqliteText.size();
    bool ranAny = false;
    while (tail < end) {
        std::size_t consumed = 0;
        StatementPtr statement = prepareFirst(std::string_view(tail, static_cast<std::size_t>(end - tail)),
                                              consumed, original, operation);
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

StatementPtr SqliteEngine::prepareFirst(std::string_view text, std::size_t& consumed,
                                        std::string_view original, std::string_view operation) {
    sqlite3* db = m_db->handle();
    sqlite3_stmt* raw = nullptr;
    const char* next = nullptr;
    const int prepared = sqlite3_prepare_v2(db, text.data(), static_cast<int>(text.size()), &raw, &next);
    StatementPtr statement(raw);
    if (prepared != SQLITE_OK) m_db->fail(operation, prepared, std::string(original));
    consumed = static_cast<std::size_t>(next - text.data());
    const std::string_view piece = text.substr(0, consumed);
    if (!statement || sqlite3_libversion_number() < kRightJoinVersion || !containsNoCase(piece, "join") ||
        !containsNoCase(piece, "left") || !scansInsideLeftJoin(db, piece))
        return statement;
    const auto turned = rightJoinForm(piece);
    if (!turned || scansInsideLeftJoin(db, *turned)) return statement;
    sqlite3_stmt* turnedRaw = nullptr;
    if (sqlite3_prepare_v2(db, turned->c_str(), static_cast<int>(turned->size()), &turnedRaw, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(turnedRaw);
        return statement;
    }
    return StatementPtr(turnedRaw);
}

bool SqliteEngine::runShaped(const ParameterizedSql& shaped, std::string_view original,
                             std::string_view operation, QueryResult* rows) {
    SqliteStatementCache::Entry* entry = m_statements.find(shaped.shape);
    if (entry == nullptr) {
        SqliteTranslation translation;
        try {
            translation = translateStatement(shaped.shape);
        } catch (const std::invalid_argument&) {
            // the original's own message, with offsets in its own text
            translation = translate(original, operation);
        }
        const std::string& text = translation.text;
        std::size_t consumed = 0;
        StatementPtr statement = prepareFirst(text, consumed, original, operation);
        if (!statement)
            throw DbError(std::string(operation), SQLITE_MISUSE, "the statement is empty",
                          std::string(original));
        {
            const std::string rest = text.substr(consumed);
            sqlite3_stmt* more = nullptr;
            const int restPrepared = sqlite3_prepare_v2(m_db->handle(), rest.c_str(),
                                                        static_cast<int>(rest.size()), &more, nullptr);
            StatementPtr moreStatement(more);
            if (restPrepared != SQLITE_OK || moreStatement) {
                if (rows == nullptr) return false;
                throw DbError(std::string(operation), SQLITE_ERROR, "a query must be a single statement",
                              std::string(original));
            }
        }
        entry = &m_statements.insert(shaped.shape, {text, std::move(statement)});
    }

    sqlite3_stmt* statement = entry->statement.get();
    StatementUse use(statement);
    const auto fail = [&](int rc) {
        // The message must be read before reset, which starts the statement afresh.
        const char* text = sqlite3_errmsg(m_db->handle());
        std::string message = text != nullptr ? text : sqlite3_errstr(rc);
        use.release();
        // A statement that failed (its table dropped, say) is prepared afresh next time.
        m_statements.erase(shaped.shape);
        throw DbError(std::string(operation), rc, std::move(message), std::string(original));
    };
    for (std::size_t i = 0; i < shaped.literals.size(); ++i) {
        const int rc = bindLiteral(statement, static_cast<int>(i + 1), shaped.literals[i]);
        if (rc != SQLITE_OK) fail(rc);
    }
    int rc = sqlite3_step(statement);
    if (rows != nullptr) rc = readRows(statement, rc, *rows);
    while (rc == SQLITE_ROW) rc = sqlite3_step(statement);
    m_db->countSteps(statement);
    if (rc != SQLITE_DONE) fail(rc);
    return true;
}

void SqliteEngine::indexFirstColumn(std::string_view table) noexcept {
    try {
        sqlite3* db = m_db->handle();
        const std::string name(bareName(table));
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, "select name from pragma_table_info(?1) order by cid limit 1", -1, &raw,
                               nullptr) != SQLITE_OK) {
            sqlite3_finalize(raw);
            return;
        }
        StatementPtr statement(raw);
        sqlite3_bind_text(raw, 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(raw) != SQLITE_ROW) return;
        const auto* column = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
        if (column == nullptr) return;
        const std::string text = "CREATE INDEX IF NOT EXISTS " + quotedName(name + "_" + column) + " ON " +
                                 quotedName(name) + " (" + quotedName(column) + ")";
        statement.reset();
        // Only a speed-up: the statements that follow are right without it.
        sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr);
    } catch (...) {
    }
}

void SqliteEngine::execute(std::string_view sql) {
    // A statement outside a transaction of the caller must not join the held-back batch.
    if (!m_savepointOpen) settle();
    constexpr std::string_view kOperation = "execute";
    if (const auto shaped = parameterizeSql(sql); shaped && runShaped(*shaped, sql, kOperation, nullptr))
        return;
    const SqliteTranslation translation = translate(sql, kOperation);
    run(translation.text, sql, kOperation);
    if (!translation.createdTable.empty()) indexFirstColumn(translation.createdTable);
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

QueryResult SqliteEngine::query(std::string_view sql) {
    // A statement outside a transaction of the caller must not join the held-back batch.
    if (!m_savepointOpen) settle();
    constexpr std::string_view kOperation = "query";
    if (const auto shaped = parameterizeSql(sql)) {
        QueryResult result;
        runShaped(*shaped, sql, kOperation, &result);
        return result;
    }
    const std::string text = translate(sql, kOperation).text;
    sqlite3* db = m_db->handle();
    std::size_t consumed = 0;
    StatementPtr statement = prepareFirst(text, consumed, sql, kOperation);
    const char* tail = text.c_str() + consumed;
    if (!statement)
        throw DbError(std::string(kOperation), SQLITE_MISUSE, "the statement is empty", std::string(sql));
    {
        // Only the first statement's rows could be returned; refuse rather than drop the others unseen.
        sqlite3_stmt* rest = nullptr;
        const int restPrepared =
            sqlite3_prepare_v2(db, tail, static_cast<int>(text.c_str() + text.size() - tail), &rest, nullptr);
        StatementPtr restStatement(rest);
        if (restPrepared != SQLITE_OK || restStatement)
            throw DbError(std::string(kOperation), SQLITE_ERROR, "a query must be a single statement",
                          std::string(sql));
    }

    QueryResult result;
    const int rc = readRows(statement.get(), sqlite3_step(statement.get()), result);
    m_db->countSteps(statement.get());
    if (rc != SQLITE_DONE) m_db->fail(kOperation, rc, std::string(sql));
    return result;
}

std::unique_ptr<TableAppender> SqliteEngine::openAppender(std::string_view table) {
    // A statement outside a transaction of the caller must not join the held-back batch.
    if (!m_savepointOpen) settle();
    return std::make_unique<SqliteAppender>(m_db, table);
}

void SqliteEngine::noticeEndedBatch() noexcept {
    if (!m_batchOpen || sqlite3_get_autocommit(m_db->handle()) == 0) return;
    m_batchOpen = false;
    m_savepointOpen = false;
    m_released = 0;
}

void SqliteEngine::begin() {
    noticeEndedBatch();
    if (m_savepointOpen)
        throw DbError("begin transaction", SQLITE_ERROR, "cannot start a transaction within a transaction",
                      "BEGIN IMMEDIATE");
    if (!m_batchOpen) {
        run("BEGIN IMMEDIATE", "BEGIN IMMEDIATE", "begin transaction");
        m_batchOpen = true;
        m_released = 0;
        m_batchStart = std::chrono::steady_clock::now();
    }
    run(kSavepoint, kSavepoint, "begin transaction");
    m_savepointOpen = true;
}

void SqliteEngine::commit() {
    noticeEndedBatch();
    if (!m_savepointOpen)
        throw DbError("commit transaction", SQLITE_ERROR, "cannot commit - no transaction is active",
                      "COMMIT");
    run(kReleaseSavepoint, kReleaseSavepoint, "commit transaction");
    m_savepointOpen = false;
    ++m_released;
    commitBatchWhenDue();
}

void SqliteEngine::commitBatchWhenDue() {
    if (m_batching && m_released < kBatchTransactions &&
        std::chrono::steady_clock::now() - m_batchStart < kBatchAge)
        return;
    settle();
}

void SqliteEngine::rollback() {
    noticeEndedBatch();
    if (!m_savepointOpen)
        throw DbError("roll back transaction", SQLITE_ERROR, "cannot rollback - no transaction is active",
                      "ROLLBACK");
    run(kRollbackSavepoint, kRollbackSavepoint, "roll back transaction");
    run(kReleaseSavepoint, kReleaseSavepoint, "roll back transaction");
    m_savepointOpen = false;
    if (m_released == 0) {
        // Nothing of the batch is left to keep: give up the write lock now.
        m_batchOpen = false;
        run("ROLLBACK", "ROLLBACK", "roll back transaction");
    }
}

bool SqliteEngine::inTransaction() const {
    return m_savepointOpen && sqlite3_get_autocommit(m_db->handle()) == 0;
}

void SqliteEngine::batchCommits(bool on) {
    if (!on) settle();
    m_batching = on;
}

void SqliteEngine::settle() {
    noticeEndedBatch();
    if (m_savepointOpen)
        throw DbError("commit transaction", SQLITE_ERROR, "a transaction of the caller is still open",
                      "COMMIT");
    if (!m_batchOpen) return;
    m_batchOpen = false;
    m_released = 0;
    try {
        run("COMMIT", "COMMIT", "commit transaction");
    } catch (...) {
        // A commit that failed (a busy reader, a full disk) may leave the transaction open: the batch is
        // lost as a whole, never half kept.
        if (sqlite3_get_autocommit(m_db->handle()) == 0)
            sqlite3_exec(m_db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::size_t SqliteEngine::unsettledTransactions() const {
    return m_batchOpen && sqlite3_get_autocommit(m_db->handle()) == 0 ? m_released : 0;
}

std::uint64_t SqliteEngine::vmSteps() const noexcept {
    return m_db->vmSteps();
}

}  // namespace tarvenish
