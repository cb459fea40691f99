#include "ledger/sqlite_table_index.h"

#include <sqlite3.h>

#include <string>

#include "ledger/sqlite_handle.h"
#include "ledger/sqlite_names.h"

namespace tarvenish {

void indexFirstColumn(sqlite3* db, std::string_view table) noexcept {
    try {
        const std::string name(unquotedName(table));
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

}  // namespace tarvenish
