#include "ledger/sqlite/table_index.h"

#include <sqlite3.h>

#include <string>
#include <vector>

#include "ledger/db/sqlite_names.h"
#include "ledger/sqlite/handle.h"

namespace tarvenish {

namespace {

// A narrow table's index carries its other columns too, so that a lookup by the first column reads the
// index alone; a wide table's would be a second copy of it.
constexpr std::size_t kCoveredColumns = 4;

}  // namespace

void indexFirstColumn(sqlite3* db, std::string_view table) noexcept {
    try {
        const std::string name(unquotedName(table));
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, "select name from pragma_table_info(?1) order by cid", -1, &raw,
                               nullptr) != SQLITE_OK) {
            sqlite3_finalize(raw);
            return;
        }
        StatementPtr statement(raw);
        sqlite3_bind_text(raw, 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        std::vector<std::string> columns;
        while (sqlite3_step(raw) == SQLITE_ROW) {
            const auto* column = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
            if (column == nullptr) return;
            columns.emplace_back(column);
        }
        statement.reset();
        if (columns.empty()) return;
        std::string indexed = quotedName(columns.front());
        if (columns.size() <= kCoveredColumns) {
            for (std::size_t i = 1; i < columns.size(); ++i) indexed += ", " + quotedName(columns[i]);
        }
        const std::string text = "CREATE INDEX IF NOT EXISTS " + quotedName(name + "_" + columns.front()) +
                                 " ON " + quotedName(name) + " (" + indexed + ")";
        // Only a speed-up: the statements that follow are right without it.
        sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr);
    } catch (...) {
    }
}

}  // namespace tarvenish
