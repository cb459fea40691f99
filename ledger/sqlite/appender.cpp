#include "ledger/sqlite/appender.h"

#include <sqlite3.h>

#include <algorithm>

#include "base/ascii_text.h"
#include "ledger/db/appended_row.h"
#include "ledger/db/error.h"
#include "ledger/db/sqlite_names.h"

namespace tarvenish {

namespace {

std::string upper(const unsigned char* text) {
    return upperAsciiCopy(text != nullptr ? reinterpret_cast<const char*>(text) : "");
}

int bind(sqlite3_stmt* statement, int index, const Value& value) {
    switch (value.kind()) {
        case ValueKind::Empty:
        case ValueKind::Null:
            return sqlite3_bind_null(statement, index);
        case ValueKind::Integer:
        case ValueKind::Long:
        case ValueKind::Boolean:
            return sqlite3_bind_int64(statement, index, value.rawInteger());
        case ValueKind::Double:
            return sqlite3_bind_double(statement, index, value.rawDouble());
        case ValueKind::Date: {
            const std::string text = dateText(value.rawDate());
            return sqlite3_bind_text(statement, index, text.c_str(), static_cast<int>(text.size()),
                                     SQLITE_TRANSIENT);
        }
        case ValueKind::Text:
            return sqlite3_bind_text(statement, index, value.rawText().c_str(),
                                     static_cast<int>(value.rawText().size()), SQLITE_TRANSIENT);
    }
    return SQLITE_MISUSE;
}

}  // namespace

SqliteAppender::SqliteAppender(std::shared_ptr<SqliteDatabase> db, std::string_view table)
    : m_db(std::move(db)), m_table(unquotedName(table)) {
    constexpr std::string_view kOperation = "open table";
    // The table's schema only: the ledger table can hold millions of rows.
    const std::string text = "select name, type from pragma_table_info(?1)";
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(m_db->handle(), text.c_str(), -1, &raw, nullptr);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK) m_db->fail(kOperation, rc, m_table);
    sqlite3_bind_text(statement.get(), 1, m_table.c_str(), static_cast<int>(m_table.size()),
                      SQLITE_TRANSIENT);
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const auto* name = sqlite3_column_text(statement.get(), 0);
        Column column{name != nullptr ? reinterpret_cast<const char*>(name) : "",
                      upper(sqlite3_column_text(statement.get(), 1))};
        m_affinities.push_back(affinityOf(column.declType));
        m_columns.push_back(std::move(column));
    }
    m_db->countSteps(statement.get());
    if (rc != SQLITE_DONE) m_db->fail(kOperation, rc, m_table);
    if (m_columns.empty())
        throw DbError(std::string(kOperation), SQLITE_ERROR, "no such table: " + m_table, m_table);
}

std::optional<Value> SqliteAppender::convert(std::size_t column, const Value& value) const {
    return convertForColumn(m_affinities.at(column), value);
}

SqliteAppender::Insert& SqliteAppender::insertFor(const std::vector<std::size_t>& assigned) {
    const auto found = m_inserts.find(assigned);
    if (found != m_inserts.end()) return found->second;
    std::string text = insertWithParameters(m_table, m_columns, assigned);
    sqlite3_stmt* raw = nullptr;
    const int rc =
        sqlite3_prepare_v2(m_db->handle(), text.c_str(), static_cast<int>(text.size()), &raw, nullptr);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK) m_db->fail("update row", rc, text);
    return m_inserts.emplace(assigned, Insert{std::move(text), std::move(statement)}).first->second;
}

void SqliteAppender::insert(const std::vector<std::optional<Value>>& row) {
    const std::vector<std::size_t> assigned = assignedColumns(row, m_columns.size(), m_table, SQLITE_MISUSE);
    Insert& prepared = insertFor(assigned);
    sqlite3_stmt* statement = prepared.statement.get();
    int index = 1;
    for (const std::size_t column : assigned) {
        const int rc = bind(statement, index++, *row[column]);
        if (rc != SQLITE_OK) {
            sqlite3_clear_bindings(statement);
            m_db->fail("update row", rc, prepared.text);
        }
    }
    const int rc = sqlite3_step(statement);
    m_db->countSteps(statement);
    if (rc != SQLITE_DONE) {
        // The message must be read before reset, which starts the statement afresh.
        const std::string message = sqlite3_errmsg(m_db->handle());
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        throw DbError("update row", rc, message, prepared.text);
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
}

}  // namespace tarvenish
