#include "ledger/odbc/rows.h"

#include <charconv>
#include <string>
#include <vector>

#include "base/ascii_text.h"
#include "ledger/db/column_type.h"
#include "ledger/odbc/session.h"
#include "ledger/odbc/text_calls.h"

namespace tarvenish {

namespace {

constexpr std::string_view kOperation = "query";

enum class Reading { WholeNumber, Number, Date, Text };

Reading readingOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
        case SQL_BIT:
            return Reading::WholeNumber;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            return Reading::Number;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATE:
        case SQL_TIMESTAMP:
            return Reading::Date;
        default:
            return Reading::Text;
    }
}

// The column's text, read in pieces as long as the driver has more; nullopt for Null.
std::optional<std::string> readText(const OdbcSession& session, const OdbcHandle& statement,
                                    SQLUSMALLINT column, std::string_view sql) {
    std::optional<std::string> text;
    const SQLRETURN rc = odbcGetText(statement.get(), column, text);
    if (!succeeded(rc) && rc != SQL_NO_DATA) session.fail(kOperation, statement, std::string(sql));
    return text;
}

// A whole-number column may hold any value in a SQLite database: only an integer text becomes a Long.
Value wholeNumber(std::string text) {
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc() && end == text.data() + text.size()) return Value::longInt(number);
    double real = 0;
    const auto [realEnd, realError] = std::from_chars(text.data(), text.data() + text.size(), real);
    if (realError == std::errc() && realEnd == text.data() + text.size()) return Value::real(real);
    return Value::text(std::move(text));
}

Value dateOrText(std::string text) {
    // A server's timestamp text carries fractions of a second the reader does not take.
    std::string_view shown = text;
    if (const std::size_t dot = shown.rfind('.'); dot != std::string_view::npos && dot > 10) {
        const std::string_view fraction = shown.substr(dot + 1);
        if (fraction.find_first_not_of('0') == std::string_view::npos) shown = shown.substr(0, dot);
    }
    Date date;
    if (parseDate(shown, date)) return Value::date(date);
    return Value::text(std::move(text));
}

Value readValue(const OdbcSession& session, const OdbcHandle& statement, SQLUSMALLINT column, Reading reading,
                std::string_view sql) {
    if (reading == Reading::Number) {
        double number = 0;
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement.get(), column, SQL_C_DOUBLE, &number, 0, &indicator);
        if (succeeded(rc)) return indicator == SQL_NULL_DATA ? Value::null() : Value::real(number);
        // A text where a number was declared (a SQLite column holds anything) comes back as text below.
        if (diagnosticOf(SQL_HANDLE_STMT, statement.get()).sqlState != "22018")
            session.fail(kOperation, statement, std::string(sql));
    }
    std::optional<std::string> text = readText(session, statement, column, sql);
    if (!text) return Value::null();
    switch (reading) {
        case Reading::WholeNumber:
            return wholeNumber(std::move(*text));
        case Reading::Date:
            return dateOrText(std::move(*text));
        default:
            return Value::text(std::move(*text));
    }
}

}  // namespace

void readOdbcRows(const OdbcSession& session, const OdbcHandle& statement, std::string_view sql,
                  QueryResult& out) {
    SQLSMALLINT columnCount = 0;
    if (!succeeded(SQLNumResultCols(statement.get(), &columnCount)))
        session.fail(kOperation, statement, std::string(sql));
    // A statement without a result set (a schema change, say) has no rows to read.
    if (columnCount == 0) return;
    std::vector<Reading> readings;
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(columnCount); ++i) {
        std::string name;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        if (!succeeded(odbcDescribeColumn(statement.get(), i, name, sqlType, size, digits, nullable)))
            session.fail(kOperation, statement, std::string(sql));
        Column column{std::move(name), upperAsciiCopy(odbcColumnTypeName(statement.get(), i))};
        // A date column read as the embedded engine reads it: by its declared type.
        readings.push_back(isDateType(column.declType) ? Reading::Date : readingOf(sqlType));
        out.columns.push_back(std::move(column));
    }
    std::vector<Value> row;
    row.reserve(readings.size());
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement.get());
        if (rc == SQL_NO_DATA) break;
        if (!succeeded(rc)) session.fail(kOperation, statement, std::string(sql));
        row.clear();
        for (std::size_t i = 0; i < readings.size(); ++i)
            row.push_back(readValue(session, statement, static_cast<SQLUSMALLINT>(i + 1), readings[i], sql));
        out.rows.append(row);
    }
}

}  // namespace tarvenish
