#include "base/sql_tokenizer.h"

#include <stdexcept>
#include <string>

namespace tarvenish {
namespace {

using sql_token_detail::is;
using sql_token_detail::kDigit;
using sql_token_detail::kSpace;
using sql_token_detail::kWordPart;
using sql_token_detail::kWordStart;

bool isDigit(char c) {
    return is(c, kDigit);
}

[[noreturn]] void unterminated(std::string_view what, std::size_t offset) {
    throw std::invalid_argument("unterminated " + std::string(what) + " at offset " + std::to_string(offset));
}

// The end of a literal opened at `begin` and closed by `close`, where a doubled `close` stands for itself.
std::size_t quotedEnd(std::string_view text, std::size_t begin, char close, std::string_view what) {
    std::size_t i = begin + 1;
    while (true) {
        const std::size_t found = text.find(close, i);
        if (found == std::string_view::npos) unterminated(what, begin);
        if (found + 1 < text.size() && text[found + 1] == close) {
            i = found + 2;
            continue;
        }
        return found + 1;
    }
}

// The end of a literal opened at `begin` and closed by the next `close` (no escape: a bracketed name, a
// desktop date).
std::size_t closedEnd(std::string_view text, std::size_t begin, char close, std::string_view what) {
    const std::size_t found = text.find(close, begin + 1);
    if (found == std::string_view::npos) unterminated(what, begin);
    return found + 1;
}

std::size_t numberEnd(std::string_view text, std::size_t i) {
    while (i < text.size() && isDigit(text[i])) ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) ++j;
            i = j;
        }
    }
    return i;
}

}  // namespace

SqlToken sql_token_detail::readOtherToken(std::string_view text, std::size_t i) {
    const std::size_t size = text.size();
    const char c = text[i];
    const bool hasNext = i + 1 < size;
    SqlToken token;
    token.begin = i;
    if (is(c, kSpace)) {
        while (i < size && is(text[i], kSpace)) ++i;
        token.kind = TokenKind::Blank;
    } else if ((c == 'N' || c == 'n') && hasNext && text[i + 1] == '\'') {
        i = quotedEnd(text, i + 1, '\'', "text literal");
        token.kind = TokenKind::Text;
        token.national = true;
    } else if (is(c, kWordStart)) {
        while (i < size && is(text[i], kWordPart)) ++i;
        token.kind = TokenKind::Word;
    } else if (is(c, kDigit) || (c == '.' && hasNext && isDigit(text[i + 1]))) {
        i = numberEnd(text, i);
        token.kind = TokenKind::Number;
    } else {
        token.kind = TokenKind::Punct;
        ++i;
        switch (c) {
            case '-':
                if (hasNext && text[i] == '-') {
                    const std::size_t newline = text.find('\n', i);
                    i = newline == std::string_view::npos ? size : newline;
                    token.kind = TokenKind::Blank;
                }
                break;
            case '/':
                if (hasNext && text[i] == '*') {
                    const std::size_t close = text.find("*/", i + 1);
                    if (close == std::string_view::npos) unterminated("comment", token.begin);
                    i = close + 2;
                    token.kind = TokenKind::Blank;
                }
                break;
            case '\'':
                i = quotedEnd(text, token.begin, '\'', "text literal");
                token.kind = TokenKind::Text;
                break;
            case '[':
                i = closedEnd(text, token.begin, ']', "bracketed name");
                token.kind = TokenKind::Bracketed;
                break;
            case '"':
            case '`':
                i = quotedEnd(text, token.begin, c, "quoted name");
                token.kind = TokenKind::Quoted;
                break;
            case '#':
                i = closedEnd(text, token.begin, '#', "date literal");
                token.kind = TokenKind::DateLiteral;
                break;
            default:
                break;
        }
    }
    token.end = i;
    return token;
}

std::vector<SqlToken> tokenizeSql(std::string_view text) {
    std::vector<SqlToken> tokens;
    // About one token in three characters in the component's statements: one allocation for most.
    tokens.reserve(text.size() / 2 + 8);
    for (std::size_t i = 0; i < text.size(); i = tokens.back().end) tokens.push_back(readSqlToken(text, i));
    return tokens;
}

}  // namespace tarvenish
