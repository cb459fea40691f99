#pragma once
// Splits a statement of either host dialect into tokens, so that rewrites never look inside a literal or a
// quoted name. Every character of the statement belongs to exactly one token.

#include <cstddef>
#include <string_view>
#include <vector>

namespace tarvenish {

enum class TokenKind {
    Blank,        // white space and comments
    Word,         // a name or keyword
    Number,       // a numeric literal
    Text,         // '...' with '' for an apostrophe, or N'...'
    Bracketed,    // [name]
    Quoted,       // "name" or `name`
    DateLiteral,  // #...#, the desktop engine's date
    Punct,        // any other single character
};

struct SqlToken {
    TokenKind kind = TokenKind::Blank;
    std::size_t begin = 0;  // offset in the statement
    std::size_t end = 0;    // one past the last character
    bool national = false;  // a Text token written N'...'
};

// Tokenizes `statement` in one pass. Throws std::invalid_argument naming the offset of an unterminated
// literal, quoted name or date.
[[nodiscard]] std::vector<SqlToken> tokenizeSql(std::string_view statement);

}  // namespace tarvenish
