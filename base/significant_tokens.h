#pragma once
// A statement's tokens without its blanks, numbered from 0, for the readers that recognise a statement's
// form: each position past the last reads as a blank.

#include <cstddef>
#include <string_view>
#include <vector>

#include "base/ascii_text.h"
#include "base/sql_tokenizer.h"

namespace tarvenish {

class SignificantTokens {
public:
    explicit SignificantTokens(std::string_view text) : m_text(text), m_tokens(tokenizeSql(text)) {
        for (std::size_t i = 0; i < m_tokens.size(); ++i)
            if (m_tokens[i].kind != TokenKind::Blank) m_sig.push_back(i);
    }

protected:
    // The text of token `n`; empty past the last.
    [[nodiscard]] std::string_view sig(std::size_t n) const {
        if (n >= m_sig.size()) return {};
        const SqlToken& token = m_tokens[m_sig[n]];
        return m_text.substr(token.begin, token.end - token.begin);
    }
    // Where token `n` begins and ends in the statement; `n` must be a token.
    [[nodiscard]] std::size_t begin(std::size_t n) const { return m_tokens[m_sig[n]].begin; }
    [[nodiscard]] std::size_t end(std::size_t n) const { return m_tokens[m_sig[n]].end; }
    [[nodiscard]] TokenKind kind(std::size_t n) const {
        return n < m_sig.size() ? m_tokens[m_sig[n]].kind : TokenKind::Blank;
    }
    // Token `n` is the word `word`, in any case.
    [[nodiscard]] bool isWord(std::size_t n, std::string_view word) const {
        return kind(n) == TokenKind::Word && equalsNoCase(sig(n), word);
    }
    [[nodiscard]] bool isPunct(std::size_t n, char c) const {
        return kind(n) == TokenKind::Punct && sig(n)[0] == c;
    }

    std::string_view m_text;
    std::vector<SqlToken> m_tokens;
    std::vector<std::size_t> m_sig;  // the positions in m_tokens of the tokens that are not blank
};

}  // namespace tarvenish
