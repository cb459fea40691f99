#include "ledger/db/appended_row.h"

#include "ledger/db/error.h"
#include "ledger/db/sqlite_names.h"

namespace tarvenish {

std::vector<std::size_t> assignedColumns(const std::vector<std::optional<Value>>& row,
                                         std::size_t tableColumns, std::string_view table, int code) {
    if (row.size() != tableColumns)
        throw DbError("update row", code,
                      "the row has " + std::to_string(row.size()) + " fields, the table " +
                          std::to_string(tableColumns),
                      std::string(table));
    std::vector<std::size_t> assigned;
    for (std::size_t i = 0; i < row.size(); ++i)
        if (row[i]) assigned.push_back(i);
    return assigned;
}

std::string insertWithParameters(std::string_view table, const std::vector<Column>& columns,
                                 const std::vector<std::size_t>& assigned) {
    std::string text = "INSERT INTO " + quotedName(table);
    if (assigned.empty()) return text + " DEFAULT VALUES";
    std::string names;
    std::string marks;
    for (const std::size_t index : assigned) {
        names += (names.empty() ? "" : ", ") + quotedName(columns.at(index).name);
        marks += marks.empty() ? "?" : ", ?";
    }
    return text + " (" + names + ") VALUES (" + marks + ")";
}

}  // namespace tarvenish
