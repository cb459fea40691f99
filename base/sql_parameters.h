#pragma once
// Splits a statement into its shape and its literals, so that statements that differ only in the values they
// carry share one prepared statement.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/sql_tokenizer.h"

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
    // Where the n-th "?n" starts in shape: a "?n" inside a name or a kept literal is no parameter.
    std::vector<std::size_t> parameterOffsets;
};

// The shape and literals of a single select, insert, update or delete of either host dialect; nullopt for
// any other statement (schema changes, several statements, a text that already has parameters) and for a
// text the tokenizer cannot read. Literals stay in the shape where a value would change the statement's
// meaning or its result columns: the select list of a query (its column names), ORDER BY and GROUP BY
// (a number there is a column position), a name after AS, type arguments, blob and date literals.
[[nodiscard]] std::optional<ParameterizedSql> parameterizeSql(std::string_view statement);

// The value of a Text or Number token of `statement` as SQLite reads it; nullopt for any other token and
// for an integer too large for 64 bits.
[[nodiscard]] std::optional<SqlLiteral> sqlLiteralOf(std::string_view statement, const SqlToken& token);

}  // namespace tarvenish
