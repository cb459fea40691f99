#include "base/sql_tokenizer.h"

#include <stdexcept>
#include <string>

namespace tarvenish {
namespace {

bool isWordStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool isWordPart(unsigned char c) {
    return isWordStart(c) || (c >= '0' && c <= '9') || c == '$';
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool isSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
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

std::size_t numberEnd(std::string_view text, std::size_t i) {
    while (i < text.size() && isDigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(static_cast<unsigned char>(text[i]))) ++i;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && isDigit(static_cast<unsigned char>(text[j]))) {
            while (j < text.size() && isDigit(static_cast<unsigned char>(text[j]))) ++j;
            i = j;
        }
    }
    return i;
}

}  // namespace

std::vector<SqlToken> tokenizeSql(std::string_view text) {
    std::vector<SqlToken> tokens;
    // About one token in four characters in the component's statements: one allocation for most.
    tokens.reserve(text.size() / 4 + 8);
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t begin = i;
        SqlToken token;
        if (isSpace(c)) {
            while (i < text.size() && isSpace(static_cast<unsigned char>(text[i]))) ++i;
            token.kind = TokenKind::Blank;
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            const std::size_t newline = text.find('\n', i);
            i = newline == std::string_view::npos ? text.size() : newline;
            token.kind = TokenKind::Blank;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const std::size_t close = text.find("*/", i + 2);
            if (close == std::string_view::npos) unterminated("comment", begin);
            i = close + 2;
            token.kind = TokenKind::Blank;
        } else if (c == '\'') {
            i = quotedEnd(text, i, '\'', "text literal");
            token.kind = TokenKind::Text;
        } else if ((c == 'N' || c == 'n') && i + 1 < text.size() && text[i + 1] == '\'') {
            i = quotedEnd(text, i + 1, '\'', "text literal");
            token.kind = TokenKind::Text;
            token.national = true;
        } else if (c == '[') {
            const std::size_t close = text.find(']', i + 1);
            if (close == std::string_view::npos) unterminated("bracketed name", begin);
            i = close + 1;
            token.kind = TokenKind::Bracketed;
        } else if (c == '"' || c == '`') {
            i = quotedEnd(text, i, static_cast<char>(c), "quoted name");
            token.kind = TokenKind::Quoted;
        } else if (c == '#') {
            const std::size_t close = text.find('#', i + 1);
            if (close == std::string_view::npos) unterminated("date literal", begin);
            i = close + 1;
            token.kind = TokenKind::DateLiteral;
        } else if (isWordStart(c)) {
            while (i < text.size() && isWordPart(static_cast<unsigned char>(text[i]))) ++i;
            token.kind = TokenKind::Word;
        } else if (isDigit(c) ||
                   (c == '.' && i + 1 < text.size() && isDigit(static_cast<unsigned char>(text[i + 1])))) {
            i = numberEnd(text, i);
            token.kind = TokenKind::Number;
        } else {
            ++i;
            token.kind = TokenKind::Punct;
        }
        token.begin = begin;
        token.end = i;
        tokens.push_back(token);
    }
    return tokens;
}

}  // namespace tarvenish
