#pragma once
// Splits a statement of either host dialect into tokens, so that rewrites never look inside a literal or a
// quoted name. Every character of the statement belongs to exactly one token.

#include <array>
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
    std::size_t begin = 0;  // offset in the statement
    std::size_t end = 0;    // one past the last character
    TokenKind kind = TokenKind::Blank;
    bool national = false;  // a Text token written N'...'
};

namespace sql_token_detail {

// Every character of every statement is classified: one table look-up instead of a chain of comparisons.
enum CharClass : unsigned char {
    kSpace = 1,
    kWordStart = 2,  // a letter, '_' or any byte of a multi-byte UTF-8 character
    kWordPart = 4,   // a word's start, a digit or '$'
    kDigit = 8,
    kOpensOther = 16,  // may open a token other than a blank run, a word or one punctuation character
};

inline constexpr std::array<unsigned char, 256> kCharClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        unsigned char flags = 0;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') flags |= kSpace;
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80)
            flags |= kWordStart | kWordPart;
        if (c >= '0' && c <= '9') flags |= kDigit | kWordPart | kOpensOther;
        if (c == '$') flags |= kWordPart;
        for (const char other : std::string_view("Nn-/'[\"`#.")) {
            if (c == other) flags |= kOpensOther;
        }
        classes[static_cast<std::size_t>(c)] = flags;
    }
    return classes;
}();

[[nodiscard]] inline bool is(char c, CharClass charClass) noexcept {
    return (kCharClasses[static_cast<unsigned char>(c)] & charClass) != 0;
}

// The token at `offset` when it is a literal, a quoted name, a comment or a word starting with N.
[[nodiscard]] SqlToken readOtherToken(std::string_view statement, std::size_t offset);

}  // namespace sql_token_detail

// The token of `statement` that starts at `offset`, which must be less than its size. Throws
// std::invalid_argument naming the offset of an unterminated literal, quoted name or date.
[[nodiscard]] inline SqlToken readSqlToken(std::string_view statement, std::size_t offset) {
    using namespace sql_token_detail;
    // Blank runs, words and single punctuation characters are most tokens: read here, inline.
    const char c = statement[offset];
    if (is(c, kOpensOther)) return readOtherToken(statement, offset);
    SqlToken token;
    token.begin = offset;
    std::size_t i = offset + 1;
    if (is(c, kSpace)) {
        while (i < statement.size() && is(statement[i], kSpace)) ++i;
        token.kind = TokenKind::Blank;
    } else if (is(c, kWordStart)) {
        while (i < statement.size() && is(statement[i], kWordPart)) ++i;
        token.kind = TokenKind::Word;
    } else {
        token.kind = TokenKind::Punct;
    }
    token.end = i;
    return token;
}

// Tokenizes `statement` in one pass. Throws std::invalid_argument naming the offset of an unterminated
// literal, quoted name or date.
[[nodiscard]] std::vector<SqlToken> tokenizeSql(std::string_view statement);

}  // namespace tarvenish
