#pragma once
// Appends rows to one SQLite table, knowing only its columns: the table's rows are never read.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/db/column_type.h"
#include "ledger/db/engine.h"
#include "ledger/sqlite/handle.h"

namespace tarvenish {

class SqliteAppender final : public TableAppender {
public:
    // Reads the columns of `table` (brackets or double quotes around the name allowed). Throws DbError when
    // there is no such table.
    SqliteAppender(std::shared_ptr<SqliteDatabase> db, std::string_view table);

    [[nodiscard]] const std::vector<Column>& columns() const override { return m_columns; }
    [[nodiscard]] std::optional<Value> convert(std::size_t column, const Value& value) const override;
    void insert(const std::vector<std::optional<Value>>& row) override;

private:
    struct Insert {
        std::string text;
        StatementPtr statement;
    };
    // The prepared INSERT naming exactly the assigned columns, made once per shape.
    Insert& insertFor(const std::vector<std::size_t>& assigned);

    std::shared_ptr<SqliteDatabase> m_db;
    std::string m_table;
    std::vector<Column> m_columns;
    std::vector<ColumnAffinity> m_affinities;
    std::map<std::vector<std::size_t>, Insert> m_inserts;
};

}  // namespace tarvenish
