#include "ledger/sqlite/pair_image_sql.h"

#include <sqlite3.h>

#include "ledger/db/error.h"

namespace tarvenish {

namespace {

StatementPtr prepared(SqliteDatabase& db, const std::string& text) {
    sqlite3_stmt* raw = nullptr;
    const int rc =
        sqlite3_prepare_v2(db.handle(), text.c_str(), static_cast<int>(text.size()), &raw, nullptr);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK) db.fail("build the image of the pairs' lines", rc, text);
    if (!statement) throw DbError("build the image of the pairs' lines", SQLITE_MISUSE, "empty", text);
    return statement;
}

}  // namespace

void SqlitePairImageSql::run(const std::string& sqliteText) {
    const StatementPtr statement = prepared(m_db, sqliteText);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    m_db.countSteps(statement.get());
    if (rc != SQLITE_DONE) m_db.fail("build the image of the pairs' lines", rc, sqliteText);
}

std::vector<std::string> SqlitePairImageSql::firstColumn(const std::string& sqliteText) {
    const StatementPtr statement = prepared(m_db, sqliteText);
    std::vector<std::string> values;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
        values.emplace_back(text != nullptr ? text : "");
    }
    m_db.countSteps(statement.get());
    if (rc != SQLITE_DONE) m_db.fail("read the schema of the pairs' lines", rc, sqliteText);
    return values;
}

std::optional<std::uint64_t> SqlitePairImageSql::dataVersion() {
    // The pragma reads the file afresh, where the pager's own counter learns of another connection's
    // commit only once this one reads again.
    if (!m_dataVersion) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db.handle(), "PRAGMA data_version", -1, &raw, nullptr) != SQLITE_OK) {
            sqlite3_finalize(raw);
            return std::nullopt;
        }
        m_dataVersion.reset(raw);
    }
    sqlite3_stmt* statement = m_dataVersion.get();
    std::optional<std::uint64_t> version;
    if (sqlite3_step(statement) == SQLITE_ROW)
        version = static_cast<std::uint64_t>(sqlite3_column_int64(statement, 0));
    sqlite3_reset(statement);
    return version;
}

}  // namespace tarvenish
