#include "ledger/sqlite/shaped_statements.h"

#include <sqlite3.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "ledger/db/error.h"
#include "ledger/dialect/issued_beside.h"
#include "ledger/dialect/pair_plan.h"
#include "ledger/dialect/translation.h"
#include "ledger/sqlite/handle.h"
#include "ledger/sqlite/prepare.h"
#include "ledger/sqlite/rows.h"

namespace tarvenish {

namespace {

int bindValue(sqlite3_stmt* statement, int index, const StatementValue& value) {
    switch (value.kind) {
        case StatementValue::Kind::Integer:
            return sqlite3_bind_int64(statement, index, value.integer);
        case StatementValue::Kind::Text:
            // the value outlives the statement's use: the bindings are cleared before the call returns
            return sqlite3_bind_text(statement, index, value.text.c_str(),
                                     static_cast<int>(value.text.size()), SQLITE_STATIC);
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

}  // namespace

SqliteStatementCache::Entry* SqliteShapedStatements::entryFor(const Statement& shaped,
                                                              std::string_view operation,
                                                              const QueryResult* rows) {
    if (SqliteStatementCache::Entry* entry = m_statements.find(shaped.shape())) return entry;
    const std::string_view original = shaped.text();
    SqliteTranslation translation;
    try {
        translation = translateStatement(shaped.shape());
    } catch (const std::invalid_argument&) {
        // the original's own message, with offsets in its own text
        translation = translateForSqlite(original, operation);
    }
    std::string text = std::move(translation.text);
    if (m_beside != nullptr && m_besideSql != nullptr)
        text = m_beside->reading(std::move(text), *m_besideSql);
    std::size_t consumed = 0;
    StatementPtr statement;
    if (std::optional<std::string> fixed = pairPlanForm(shaped.kind(), text)) {
        try {
            statement = prepareInJoinOrder(m_db, *fixed, consumed, original, operation);
            text = std::move(*fixed);
        } catch (const DbError&) {
            // The statement as built still runs, in the plan SQLite chooses for it.
            statement.reset();
        }
    }
    if (!statement) statement = prepareInJoinOrder(m_db, text, consumed, original, operation);
    if (!statement)
        throw DbError(std::string(operation), SQLITE_MISUSE, "the statement is empty", std::string(original));
    if (holdsFurtherStatement(m_db, std::string_view(text).substr(consumed))) {
        if (rows == nullptr) return nullptr;
        throw DbError(std::string(operation), SQLITE_ERROR, "a query must be a single statement",
                      std::string(original));
    }
    return &m_statements.insert(shaped.shape(), {text, std::move(statement)});
}

bool SqliteShapedStatements::run(const Statement& shaped, std::string_view operation, QueryResult* rows) {
    SqliteStatementCache::Entry* entry = entryFor(shaped, operation, rows);
    if (entry == nullptr) return false;
    step(*entry, shaped.shape(), shaped, operation, rows);
    return true;
}

void SqliteShapedStatements::runAs(const Statement& shaped, const std::string& sqliteText,
                                   std::string_view operation, QueryResult* rows) {
    SqliteStatementCache::Entry* entry = m_statements.find(sqliteText);
    if (entry == nullptr) {
        std::size_t consumed = 0;
        StatementPtr statement = prepareInJoinOrder(m_db, sqliteText, consumed, shaped.text(), operation);
        if (!statement)
            throw DbError(std::string(operation), SQLITE_MISUSE, "the statement is empty", shaped.text());
        entry = &m_statements.insert(sqliteText, {sqliteText, std::move(statement)});
    }
    step(*entry, sqliteText, shaped, operation, rows);
}

void SqliteShapedStatements::step(SqliteStatementCache::Entry& entry, const std::string& key,
                                  const Statement& shaped, std::string_view operation, QueryResult* rows) {
    sqlite3_stmt* statement = entry.statement.get();
    StatementUse use(statement);
    const auto fail = [&](int rc) {
        // The message must be read before reset, which starts the statement afresh.
        const char* text = sqlite3_errmsg(m_db.handle());
        std::string message = text != nullptr ? text : sqlite3_errstr(rc);
        use.release();
        // A statement that failed (its table dropped, say) is prepared afresh next time.
        m_statements.erase(key);
        throw DbError(std::string(operation), rc, std::move(message), shaped.text());
    };
    const std::vector<StatementValue>& values = shaped.values();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int rc = bindValue(statement, static_cast<int>(i + 1), values[i]);
        if (rc != SQLITE_OK) fail(rc);
    }
    int rc = sqlite3_step(statement);
    if (rows != nullptr) rc = readRows(statement, rc, *rows);
    while (rc == SQLITE_ROW) rc = sqlite3_step(statement);
    m_db.countSteps(statement);
    if (rc != SQLITE_DONE) fail(rc);
}

}  // namespace tarvenish
