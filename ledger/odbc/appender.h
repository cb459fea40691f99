#pragma once
// Appends rows to one table through ODBC with a parameterised INSERT, knowing only the table's columns.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/db/column_type.h"
#include "ledger/db/engine.h"
#include "ledger/odbc/handle.h"

namespace tarvenish {

class OdbcSession;

class OdbcAppender final : public TableAppender {
public:
    // Reads the columns of `table` from the driver's catalog. Throws DbError when there is no such table.
    OdbcAppender(std::shared_ptr<OdbcSession> session, std::string_view table);

    [[nodiscard]] const std::vector<Column>& columns() const override { return m_columns; }
    [[nodiscard]] std::optional<Value> convert(std::size_t column, const Value& value) const override;
    void insert(const std::vector<std::optional<Value>>& row) override;

private:
    struct Insert {
        std::string text;
        OdbcHandle statement;
    };
    // The prepared INSERT naming exactly the assigned columns, made once per shape.
    Insert& insertFor(const std::vector<std::size_t>& assigned);

    std::shared_ptr<OdbcSession> m_session;
    std::string m_table;
    std::vector<Column> m_columns;
    std::vector<ColumnAffinity> m_affinities;
    std::map<std::vector<std::size_t>, Insert> m_inserts;
};

}  // namespace tarvenish
