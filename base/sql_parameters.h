#pragma once
// Splits a statement into its shape and its literals, so that statements that differ only in the values they
// carry share one prepared statement.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvenish {

// One literal taken out of a statement, as SQLite would read it.
struct SqlLiteral {
    enum class Kind { Integer, Real, Text };
    Kind kind = Kind::Text;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;  // without quotes, a doubled apostrophe read as one
};

struct ParameterizedSql {
    // The statement with the n-th literal replaced by "?n"; everything else as written.
    std::string shape;
    std::vector<SqlLiteral> literals;
};

// The shape and literals of a single select, insert, update or delete of either host dialect; nullopt for
// any other statement (schema changes, several statements, a text that already has parameters) and for a
// text the tokenizer cannot read. Literals stay in the shape where a value would change the statement's
// meaning or its result columns: the select list of a query (its column names), ORDER BY and GROUP BY
// (a number there is a column position), a name after AS, type arguments, blob and date literals.
[[nodiscard]] std::optional<ParameterizedSql> parameterizeSql(std::string_view statement);

}  // namespace tarvenish
