#include "ledger/odbc/appender.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <variant>

#include "base/ascii_text.h"
#include "ledger/db/appended_row.h"
#include "ledger/db/error.h"
#include "ledger/db/sqlite_names.h"
#include "ledger/odbc/session.h"
#include "ledger/odbc/text_calls.h"

namespace tarvenish {

namespace {

constexpr std::string_view kUpdate = "update row";

// One bound parameter's buffer, alive until the INSERT has run.
struct Parameter {
    std::variant<std::monostate, std::int64_t, double, std::string, SQL_TIMESTAMP_STRUCT> data;
    SQLLEN indicator = 0;
    OdbcBoundText text;
};

SQL_TIMESTAMP_STRUCT timestampOf(Date date) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    splitDate(date, year, month, day, hour, minute, second);
    SQL_TIMESTAMP_STRUCT out{};
    out.year = static_cast<SQLSMALLINT>(year);
    out.month = static_cast<SQLUSMALLINT>(month);
    out.day = static_cast<SQLUSMALLINT>(day);
    out.hour = static_cast<SQLUSMALLINT>(hour);
    out.minute = static_cast<SQLUSMALLINT>(minute);
    out.second = static_cast<SQLUSMALLINT>(second);
    return out;
}

// Binds `value` as parameter `index`; `parameter` keeps its buffer.
SQLRETURN bind(SQLHSTMT statement, SQLUSMALLINT index, const Value& value, bool datesAsText,
               Parameter& parameter) {
    switch (value.kind()) {
        case ValueKind::Empty:
        case ValueKind::Null:
            parameter.indicator = SQL_NULL_DATA;
            return SQLBindParameter(statement, index, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr,
                                    0, &parameter.indicator);
        case ValueKind::Integer:
        case ValueKind::Long:
        case ValueKind::Boolean:
            parameter.data = value.rawInteger();
            return SQLBindParameter(statement, index, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                    &std::get<std::int64_t>(parameter.data), 0, nullptr);
        case ValueKind::Double:
            parameter.data = value.rawDouble();
            return SQLBindParameter(statement, index, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                                    &std::get<double>(parameter.data), 0, nullptr);
        case ValueKind::Date:
            // A SQLite database keeps the date's text, as the embedded engine writes it.
            if (!datesAsText) {
                parameter.data = timestampOf(value.rawDate());
                return SQLBindParameter(statement, index, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP,
                                        SQL_TYPE_TIMESTAMP, 19, 0,
                                        &std::get<SQL_TIMESTAMP_STRUCT>(parameter.data), 0, nullptr);
            }
            parameter.data = dateText(value.rawDate());
            break;
        case ValueKind::Text:
            parameter.data = value.rawText();
            break;
    }
    return odbcBindText(statement, index, std::get<std::string>(parameter.data), parameter.text);
}

std::string columnText(SQLHSTMT statement, SQLUSMALLINT column) {
    std::optional<std::string> text;
    if (!succeeded(odbcGetText(statement, column, text))) return {};
    return text.value_or(std::string());
}

}  // namespace

OdbcAppender::OdbcAppender(std::shared_ptr<OdbcSession> session, std::string_view table)
    : m_session(std::move(session)), m_table(unquotedName(table)) {
    constexpr std::string_view kOperation = "open table";
    // The table's schema only, from the catalog: the ledger table can hold millions of rows.
    const OdbcHandle statement = m_session->newStatement();
    if (!succeeded(odbcColumns(statement.get(), m_table))) m_session->fail(kOperation, statement, m_table);
    std::optional<std::string> schema;
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement.get());
        if (rc == SQL_NO_DATA) break;
        if (!succeeded(rc)) m_session->fail(kOperation, statement, m_table);
        // A server may hold a table of that name in several schemas: the first one's columns are the table's.
        const std::string rowSchema = columnText(statement.get(), 2);
        if (!schema) schema = rowSchema;
        if (rowSchema != *schema) continue;
        // The catalog's columns 4 and 6: COLUMN_NAME and TYPE_NAME.
        Column column{columnText(statement.get(), 4), upperAsciiCopy(columnText(statement.get(), 6))};
        m_affinities.push_back(affinityOf(column.declType));
        m_columns.push_back(std::move(column));
    }
    if (m_columns.empty()) throw DbError(std::string(kOperation), 0, "no such table: " + m_table, m_table);
}

std::optional<Value> OdbcAppender::convert(std::size_t column, const Value& value) const {
    return convertForColumn(m_affinities.at(column), value);
}

OdbcAppender::Insert& OdbcAppender::insertFor(const std::vector<std::size_t>& assigned) {
    const auto found = m_inserts.find(assigned);
    if (found != m_inserts.end()) return found->second;
    std::string text = insertWithParameters(m_table, m_columns, assigned);
    OdbcHandle statement = m_session->newStatement();
    if (!succeeded(odbcPrepare(statement.get(), text))) m_session->fail(kUpdate, statement, text);
    return m_inserts.emplace(assigned, Insert{std::move(text), std::move(statement)}).first->second;
}

void OdbcAppender::insert(const std::vector<std::optional<Value>>& row) {
    const std::vector<std::size_t> assigned = assignedColumns(row, m_columns.size(), m_table, 0);
    Insert& prepared = insertFor(assigned);
    SQLHSTMT statement = prepared.statement.get();
    std::vector<Parameter> parameters(assigned.size());
    const bool datesAsText = m_session->kind() == OdbcServerKind::Sqlite;
    for (std::size_t i = 0; i < assigned.size(); ++i) {
        if (!succeeded(bind(statement, static_cast<SQLUSMALLINT>(i + 1), *row[assigned[i]], datesAsText,
                            parameters[i])))
            m_session->fail(kUpdate, prepared.statement, prepared.text);
    }
    const SQLRETURN rc = SQLExecute(statement);
    // The next insert of this shape binds every parameter afresh, so a failure may leave them bound.
    if (!succeeded(rc) && rc != SQL_NO_DATA) m_session->fail(kUpdate, prepared.statement, prepared.text);
    SQLFreeStmt(statement, SQL_CLOSE);
    SQLFreeStmt(statement, SQL_RESET_PARAMS);
}

}  // namespace tarvenish
