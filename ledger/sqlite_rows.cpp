#include "ledger/sqlite_rows.h"

#include <sqlite3.h>

#include <string>
#include <vector>

#include "ledger/column_type.h"
#include "base/ascii_text.h"

namespace tarvenish {

namespace {

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

int readRows(sqlite3_stmt* statement, int rc, QueryResult& out) {
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return rc;
    const int columnCount = sqlite3_column_count(statement);
    std::vector<bool> dateColumns;
    for (int i = 0; i < columnCount; ++i) {
        const char* name = sqlite3_column_name(statement, i);
        const char* declType = sqlite3_column_decltype(statement, i);
        Column column{name != nullptr ? name : "", upperAsciiCopy(declType != nullptr ? declType : "")};
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

}  // namespace tarvenish
