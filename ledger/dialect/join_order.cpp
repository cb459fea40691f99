#include "ledger/dialect/join_order.h"

#include <stdexcept>
#include <vector>

#include "base/ascii_text.h"
#include "base/significant_tokens.h"

namespace tarvenish {
namespace {

class JoinReader final : private SignificantTokens {
public:
    explicit JoinReader(std::string_view text) : SignificantTokens(text) {}

    std::optional<std::string> rewrite() const {
        const auto from = firstTopLevelFrom();
        if (!from || bareStarInSelectList(*from)) return std::nullopt;
        const std::size_t leftBegin = *from + 1;
        const auto leftEnd = tableEnd(leftBegin);
        if (!leftEnd) return std::nullopt;
        std::size_t n = *leftEnd;
        if (!isWord(n, "left")) return std::nullopt;
        ++n;
        if (isWord(n, "outer")) ++n;
        if (!isWord(n, "join")) return std::nullopt;
        const std::size_t rightBegin = n + 1;
        const auto rightEnd = tableEnd(rightBegin);
        if (!rightEnd || !isWord(*rightEnd, "on")) return std::nullopt;
        const std::size_t conditionEnd = clauseEnd(*rightEnd + 1);
        if (conditionEnd == *rightEnd + 1) return std::nullopt;

        std::string out(m_text.substr(0, m_tokens[m_sig[leftBegin]].begin));
        out += source(rightBegin, *rightEnd);
        out += " right join ";
        out += source(leftBegin, *leftEnd);
        out += ' ';
        out += source(*rightEnd, conditionEnd);
        out += m_text.substr(m_tokens[m_sig[conditionEnd - 1]].end);
        return out;
    }

private:
    bool isName(std::size_t n) const {
        const TokenKind k = kind(n);
        return k == TokenKind::Word || k == TokenKind::Bracketed || k == TokenKind::Quoted;
    }
    // The text of the non-blank tokens from..to-1 with the blanks between them.
    std::string_view source(std::size_t from, std::size_t to) const {
        const std::size_t begin = m_tokens[m_sig[from]].begin;
        return m_text.substr(begin, m_tokens[m_sig[to - 1]].end - begin);
    }

    std::optional<std::size_t> firstTopLevelFrom() const {
        int depth = 0;
        for (std::size_t n = 0; n < m_sig.size(); ++n) {
            if (isPunct(n, '(')) ++depth;
            if (isPunct(n, ')')) --depth;
            if (depth == 0 && isPunct(n, ';')) return std::nullopt;
            if (depth == 0 && isWord(n, "from")) return n;
        }
        return std::nullopt;
    }

    // A "*" standing for every column: after SELECT, DISTINCT, ALL or a comma.
    bool bareStarInSelectList(std::size_t from) const {
        for (std::size_t n = 1; n < from; ++n) {
            if (!isPunct(n, '*')) continue;
            if (isPunct(n - 1, ',') || isWord(n - 1, "select") || isWord(n - 1, "distinct") ||
                isWord(n - 1, "all"))
                return true;
        }
        return false;
    }

    static bool isKeyword(std::string_view word) {
        for (const std::string_view keyword :
             {"left",  "right", "inner",  "outer",     "full",   "cross",   "natural",
              "join",  "on",    "using",  "where",     "group",  "order",   "having",
              "limit", "union", "except", "intersect", "window", "indexed", "not"}) {
            if (equalsNoCase(word, keyword)) return true;
        }
        return false;
    }

    // One past a plain table reference "[schema.]name [[AS] alias]" starting at `n`; nullopt for anything
    // else (a subquery, a parenthesised join, a table-valued function).
    std::optional<std::size_t> tableEnd(std::size_t n) const {
        if (!isName(n) || (kind(n) == TokenKind::Word && isKeyword(sig(n)))) return std::nullopt;
        ++n;
        if (isPunct(n, '.')) {
            if (!isName(n + 1)) return std::nullopt;
            n += 2;
        }
        if (isPunct(n, '(')) return std::nullopt;
        if (isWord(n, "as")) {
            if (!isName(n + 1)) return std::nullopt;
            return n + 2;
        }
        if (isName(n) && !(kind(n) == TokenKind::Word && isKeyword(sig(n)))) return n + 1;
        return n;
    }

    // The end of a join condition starting at `n`: the next join, clause or closing bracket at its level.
    std::size_t clauseEnd(std::size_t n) const {
        int depth = 0;
        for (; n < m_sig.size(); ++n) {
            if (isPunct(n, '(')) ++depth;
            if (isPunct(n, ')') && --depth < 0) return n;
            if (depth != 0) continue;
            if (isPunct(n, ';') || isPunct(n, ',')) return n;
            if (kind(n) == TokenKind::Word && isKeyword(sig(n)) && !isWord(n, "on") && !isWord(n, "not"))
                return n;
        }
        return n;
    }
};

}  // namespace

std::optional<std::string> rightJoinForm(std::string_view sqliteStatement) {
    try {
        return JoinReader(sqliteStatement).rewrite();
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

}  // namespace tarvenish
