#include "base/sql_shape_memory.h"

#include <stdexcept>

namespace tarvenish {
namespace {

// "?n" for the n-th parameter, as the shape writes it.
std::size_t markerLength(std::size_t n) {
    std::size_t length = 2;
    for (std::size_t rest = n / 10; rest > 0; rest /= 10) ++length;
    return length;
}

}  // namespace

std::optional<ParameterizedSql> SqlShapeMemory::splitLike(const ParameterizedSql& known,
                                                          std::string_view statement) {
    const std::string_view shape = known.shape;
    ParameterizedSql result;
    std::size_t at = 0;     // in the statement
    std::size_t since = 0;  // in the shape
    for (std::size_t n = 0; n < known.parameterOffsets.size(); ++n) {
        const std::size_t offset = known.parameterOffsets[n];
        const std::string_view fixed = shape.substr(since, offset - since);
        if (statement.substr(at, fixed.size()) != fixed) return std::nullopt;
        if (n == 0) result.literals.reserve(known.literals.size());
        at += fixed.size();
        since = offset + markerLength(n + 1);
        // A letter, a digit, a point, an apostrophe or an exponent's sign ("1e-") before the literal could
        // join it to the token before, whatever the remembered statement had there: the whole statement is
        // read then.
        if (at < 2 || at >= statement.size()) return std::nullopt;
        const char before = statement[at - 1];
        if (before == '.' || before == '\'' || sql_token_detail::is(before, sql_token_detail::kWordPart))
            return std::nullopt;
        if ((before == '+' || before == '-') && (statement[at - 2] == 'e' || statement[at - 2] == 'E'))
            return std::nullopt;
        const SqlToken token = readSqlToken(statement, at);
        std::optional<SqlLiteral> literal = sqlLiteralOf(statement, token);
        if (!literal) return std::nullopt;
        result.literals.push_back(std::move(*literal));
        at = token.end;
    }
    if (statement.substr(at) != shape.substr(since)) return std::nullopt;
    result.shape = known.shape;
    result.parameterOffsets = known.parameterOffsets;
    return result;
}

void SqlShapeMemory::noteUsed(std::size_t index) noexcept {
    if (m_last < m_shapes.size())
        m_shapes[m_last].followedBy[m_beforeLast] = static_cast<std::uint8_t>(index);
    m_beforeLast = m_last;
    m_last = index;
}

std::optional<ParameterizedSql> SqlShapeMemory::parameterize(std::string_view statement) {
    const std::size_t count = m_shapes.size();
    std::size_t predicted = m_last < count ? m_shapes[m_last].followedBy[m_beforeLast] : 0;
    if (predicted >= count) predicted = 0;
    try {
        for (std::size_t tried = 0; tried < count; ++tried) {
            const std::size_t index = tried == 0 ? predicted : (tried <= predicted ? tried - 1 : tried);
            if (std::optional<ParameterizedSql> split = splitLike(m_shapes[index].shaped, statement)) {
                noteUsed(index);
                return split;
            }
        }
    } catch (const std::invalid_argument&) {
        // a literal that does not end: the whole statement is read and refused below
    }
    std::optional<ParameterizedSql> read = parameterizeSql(statement);
    if (!read || read->literals.empty()) return read;
    std::size_t index = m_shapes.size();
    if (index < kRemembered) {
        m_shapes.push_back({*read, {}});
    } else {
        index = m_nextReplaced;
        m_shapes[index] = {*read, {}};
        m_nextReplaced = (m_nextReplaced + 1) % kRemembered;
    }
    noteUsed(index);
    return read;
}

}  // namespace tarvenish
