#include "ledger/sqlite_engine.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "ledger/column_type.h"
#include "ledger/db_error.h"
#include "ledger/sqlite_appender.h"
#include "ledger/sqlite_handle.h"
#include "platform/sqlite_dialect.h"

namespace tarvenish {

namespace {

constexpr int kBusyTimeoutMs = 5000;

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

}  // namespace

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
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    // Opening is lazy: reading the schema is what finds a file that is not a database.
    const int check = sqlite3_exec(raw, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    if (check != SQLITE_OK) db->fail(operation, check, {});
    const int functions = registerDialectFunctions(raw);
    if (functions != SQLITE_OK) db->fail(operation, functions, {});
    return std::unique_ptr<SqliteEngine>(new SqliteEngine(std::move(db)));
}

SqliteEngine::~SqliteEngine() {
    // Appenders may keep the handle open after the engine is gone, so the transaction must end here.
    if (inTransaction()) sqlite3_exec(m_db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

std::string SqliteEngine::translate(std::string_view sql, std::string_view operation) const {
    try {
        return translateToSqlite(sql);
    } catch (const std::invalid_argument& e) {
        throw DbError(std::string(operation), SQLITE_ERROR,
                      std::string("cannot read the statement: ") + e.what(), std::string(sql));
    }
}

void SqliteEngine::run(const std::string& sqliteText, std::string_view original, std::string_view operation) {
    sqlite3* db = m_db->handle();
    const char* tail = sqliteText.c_str();
    const char* const end = tail + sqliteText.size();
    bool ranAny = false;
    while (tail < end) {
        sqlite3_stmt* raw = nullptr;
        const char* next = nullptr;
        const int prepared = sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail), &raw, &next);
        StatementPtr statement(raw);
        if (prepared != SQLITE_OK) m_db->fail(operation, prepared, std::string(original));
        if (next == tail) break;
        tail = next;
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

void SqliteEngine::execute(std::string_view sql) {
    run(translate(sql, "execute"), sql, "execute");
}

long SqliteEngine::changes() const {
    return static_cast<long>(sqlite3_changes64(m_db->handle()));
}

QueryResult SqliteEngine::query(std::string_view sql) {
    constexpr std::string_view kOperation = "query";
    const std::string text = translate(sql, kOperation);
    sqlite3* db = m_db->handle();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int prepared = sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size()), &raw, &tail);
    StatementPtr statement(raw);
    if (prepared != SQLITE_OK) m_db->fail(kOperation, prepared, std::string(sql));
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
    const int columnCount = sqlite3_column_count(statement.get());
    std::vector<bool> dateColumns;
    for (int i = 0; i < columnCount; ++i) {
        const char* name = sqlite3_column_name(statement.get(), i);
        Column column{name != nullptr ? name : "", upper(sqlite3_column_decltype(statement.get(), i))};
        dateColumns.push_back(isDateType(column.declType));
        result.columns.push_back(std::move(column));
    }
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        std::vector<Value> row;
        row.reserve(static_cast<std::size_t>(columnCount));
        for (int i = 0; i < columnCount; ++i) row.push_back(readColumn(statement.get(), i, dateColumns[i]));
        result.rows.push_back(std::move(row));
    }
    m_db->countSteps(statement.get());
    if (rc != SQLITE_DONE) m_db->fail(kOperation, rc, std::string(sql));
    return result;
}

std::unique_ptr<TableAppender> SqliteEngine::openAppender(std::string_view table) {
    return std::make_unique<SqliteAppender>(m_db, table);
}

void SqliteEngine::begin() {
    run("BEGIN IMMEDIATE", "BEGIN IMMEDIATE", "begin transaction");
}

void SqliteEngine::commit() {
    run("COMMIT", "COMMIT", "commit transaction");
}

void SqliteEngine::rollback() {
    run("ROLLBACK", "ROLLBACK", "roll back transaction");
}

bool SqliteEngine::inTransaction() const {
    return sqlite3_get_autocommit(m_db->handle()) == 0;
}

std::uint64_t SqliteEngine::vmSteps() const noexcept {
    return m_db->vmSteps();
}

}  // namespace tarvenish
