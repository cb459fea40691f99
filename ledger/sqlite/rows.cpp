#include "ledger/sqlite/rows.h"

#include <sqlite3.h>

#include <string>
#include <vector>

#include "base/ascii_text.h"
#include "ledger/db/column_type.h"

namespace tarvenish {

namespace {

// Stores the current row's field `index` as the Value the recordset would have read: a date column's
// number or date text as a date, without a Value or a string of its own.
void storeColumn(sqlite3_stmt* statement, int index, bool dateColumn, RowStore& rows) {
    switch (sqlite3_column_type(statement, index)) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 number = sqlite3_column_int64(statement, index);
            if (dateColumn)
                rows.putDate(Date{static_cast<double>(number)});
            else
                rows.putLong(number);
            return;
        }
        case SQLITE_FLOAT: {
            const double number = sqlite3_column_double(statement, index);
            if (dateColumn)
                rows.putDate(Date{number});
            else
                rows.putDouble(number);
            return;
        }
        case SQLITE_NULL:
            rows.putNull();
            return;
        default: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, index));
            const std::string_view text(bytes != nullptr ? bytes : "",
                                        static_cast<std::size_t>(sqlite3_column_bytes(statement, index)));
            Date date;
            if (dateColumn && parseDate(text, date))
                rows.putDate(date);
            else
                rows.putText(text);
            return;
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
    for (; rc == SQLITE_ROW; rc = sqlite3_step(statement)) {
        out.rows.beginRow(static_cast<std::size_t>(columnCount));
        for (int i = 0; i < columnCount; ++i) storeColumn(statement, i, dateColumns[i], out.rows);
        out.rows.endRow();
    }
    return rc;
}

}  // namespace tarvenish
