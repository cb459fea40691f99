#include "ledger/dialect/bridge.h"

#include <optional>
#include <stdexcept>
#include <vector>

#include "base/ascii_text.h"
#include "base/date_reader.h"
#include "base/sql_tokenizer.h"

namespace tarvenish {
namespace {

// A table or column name without its brackets or quotes, lower-cased, for comparing names.
std::string nameKey(std::string_view name) {
    if (name.size() >= 2 && (name.front() == '[' || name.front() == '"' || name.front() == '`'))
        name = name.substr(1, name.size() - 2);
    std::string key(name);
    for (char& c : key) c = lowerAscii(c);
    return key;
}

class Rewriter final {
public:
    explicit Rewriter(std::string_view statement)
        : m_text(statement), m_tokens(tokenizeSql(statement)), m_output(m_tokens.size()) {
        for (std::size_t i = 0; i < m_tokens.size(); ++i)
            if (m_tokens[i].kind != TokenKind::Blank) m_significant.push_back(i);
    }

    SqliteTranslation run() {
        rewriteTokens();
        if (auto update = rewriteUpdateJoin()) return {std::move(*update), {}};
        if (auto create = rewriteSelectInto()) return {std::move(*create), createdTable()};
        return {emitTokens(0, m_tokens.size()), {}};
    }

private:
    std::string_view raw(std::size_t token) const {
        return m_text.substr(m_tokens[token].begin, m_tokens[token].end - m_tokens[token].begin);
    }
    // The n-th non-blank token's text as written.
    std::string_view sig(std::size_t n) const {
        return n < m_significant.size() ? raw(m_significant[n]) : std::string_view();
    }
    TokenKind sigKind(std::size_t n) const {
        return n < m_significant.size() ? m_tokens[m_significant[n]].kind : TokenKind::Blank;
    }
    bool sigIsWord(std::size_t n, std::string_view word) const {
        return sigKind(n) == TokenKind::Word && equalsNoCase(sig(n), word);
    }
    bool sigIsPunct(std::size_t n, char c) const { return sigKind(n) == TokenKind::Punct && sig(n)[0] == c; }
    bool sigIsName(std::size_t n) const {
        const TokenKind kind = sigKind(n);
        return kind == TokenKind::Word || kind == TokenKind::Bracketed || kind == TokenKind::Quoted;
    }

    void rewriteTokens() {
        for (std::size_t n = 0; n < m_significant.size(); ++n) {
            const std::size_t t = m_significant[n];
            const SqlToken& token = m_tokens[t];
            if (token.kind == TokenKind::Text && token.national) {
                m_output[t] = std::string(raw(t).substr(1));
            } else if (token.kind == TokenKind::DateLiteral) {
                const std::string_view inside = raw(t).substr(1, raw(t).size() - 2);
                const auto date = readDateLiteral(inside);
                if (!date)
                    throw std::invalid_argument("unreadable date literal #" + std::string(inside) +
                                                "# at offset " + std::to_string(token.begin));
                m_output[t] = "'" + dateTimeText(*date) + "'";
            } else if (token.kind == TokenKind::Word && equalsNoCase(raw(t), "isnull") &&
                       sigIsPunct(n + 1, '(') && !(n > 0 && sigIsPunct(n - 1, '.'))) {
                // the server's two-argument isnull is SQLite's ifnull; SQLite's own ISNULL is a postfix test
                m_output[t] = "ifnull";
            } else if (token.kind == TokenKind::Word && equalsNoCase(raw(t), "delete") &&
                       (n == 0 || sigIsPunct(n - 1, ';')) && sigIsPunct(n + 1, '*') &&
                       sigIsWord(n + 2, "from")) {
                // the desktop engine's "delete * from": drop the star and the blanks after it
                for (std::size_t k = m_significant[n + 1]; k < m_significant[n + 2]; ++k)
                    m_output[k] = std::string();
            }
        }
    }

    std::string emitTokens(std::size_t from, std::size_t to) const {
        std::string out;
        for (std::size_t t = from; t < to; ++t) {
            if (m_output[t])
                out += *m_output[t];
            else
                out += raw(t);
        }
        return out;
    }
    // The non-blank tokens from..to-1 with the blanks between them.
    std::string emitSig(std::size_t from, std::size_t to) const {
        if (from >= to) return {};
        return emitTokens(m_significant[from], m_significant[to - 1] + 1);
    }
    std::string leadingBlanks() const {
        return emitTokens(0, m_significant.empty() ? 0 : m_significant.front());
    }

    // The first non-blank token at or after `from` that is `word` at bracket depth 0, stopping at a
    // top-level ';'. nullopt when there is none.
    std::optional<std::size_t> findTopLevel(std::size_t from, std::string_view word) const {
        int depth = 0;
        for (std::size_t n = from; n < m_significant.size(); ++n) {
            if (sigIsPunct(n, '('))
                ++depth;
            else if (sigIsPunct(n, ')'))
                --depth;
            else if (depth == 0 && sigIsPunct(n, ';'))
                return std::nullopt;
            else if (depth == 0 && sigIsWord(n, word))
                return n;
        }
        return std::nullopt;
    }
    // The index of the top-level ';' ending the first statement, or the number of non-blank tokens.
    std::size_t statementEnd() const {
        int depth = 0;
        for (std::size_t n = 0; n < m_significant.size(); ++n) {
            if (sigIsPunct(n, '('))
                ++depth;
            else if (sigIsPunct(n, ')'))
                --depth;
            else if (depth == 0 && sigIsPunct(n, ';'))
                return n;
        }
        return m_significant.size();
    }

    // The n-th non-blank token of a "select ... into T" when it is T.
    std::optional<std::size_t> selectIntoTarget() const {
        if (!sigIsWord(0, "select")) return std::nullopt;
        const auto into = findTopLevel(1, "into");
        if (!into) return std::nullopt;
        const auto from = findTopLevel(1, "from");
        if (from && *from < *into) return std::nullopt;
        if (!sigIsName(*into + 1)) return std::nullopt;
        return *into + 1;
    }
    std::string createdTable() const {
        const auto target = selectIntoTarget();
        return target ? std::string(sig(*target)) : std::string();
    }

    // "select ... into T from ..." becomes "create table T as select ... from ...".
    std::optional<std::string> rewriteSelectInto() const {
        const auto target = selectIntoTarget();
        if (!target) return std::nullopt;
        const auto into = std::optional<std::size_t>(*target - 1);
        const std::size_t afterName = *into + 2;
        std::string out = leadingBlanks() + "create table " + emitSig(*into + 1, *into + 2) + " as ";
        out += emitTokens(m_significant[0], m_significant[*into]);
        if (afterName < m_significant.size()) out += emitTokens(m_significant[afterName], m_tokens.size());
        return out;
    }

    // The desktop engine's "UPDATE A INNER JOIN B ON cond SET X.col = expr [WHERE w]" becomes SQLite's
    // "UPDATE X SET col = expr FROM <the other table> WHERE cond [AND (w)]". A form this does not know is
    // left for SQLite to reject with its own message.
    std::optional<std::string> rewriteUpdateJoin() const {
        if (!sigIsWord(0, "update") || !sigIsName(1)) return std::nullopt;
        std::size_t n = 2;
        if (sigIsWord(n, "inner")) ++n;
        if (!sigIsWord(n, "join") || !sigIsName(n + 1) || !sigIsWord(n + 2, "on")) return std::nullopt;
        const std::size_t tableA = 1;
        const std::size_t tableB = n + 1;
        const std::size_t condBegin = n + 3;
        const auto set = findTopLevel(condBegin, "set");
        if (!set || *set == condBegin) return std::nullopt;
        const std::size_t end = statementEnd();
        const auto where = findTopLevel(*set + 1, "where");
        const std::size_t assignEnd = where ? *where : end;

        // Each assignment starts after SET or a top-level comma; its target may be qualified by A or B.
        std::string assignments;
        std::optional<std::string> target;
        std::size_t start = *set + 1;
        int depth = 0;
        for (std::size_t k = *set + 1; k <= assignEnd; ++k) {
            const bool last = k == assignEnd;
            if (!last && sigIsPunct(k, '(')) ++depth;
            if (!last && sigIsPunct(k, ')')) --depth;
            if (!last && !(depth == 0 && sigIsPunct(k, ','))) continue;
            if (start >= k) return std::nullopt;
            std::size_t columnAt = start;
            if (sigIsName(start) && sigIsPunct(start + 1, '.') && start + 2 < k) {
                const std::string qualifier = nameKey(sig(start));
                if (target && *target != qualifier) return std::nullopt;
                target = qualifier;
                columnAt = start + 2;
            } else {
                return std::nullopt;
            }
            if (!assignments.empty()) assignments += ", ";
            assignments += emitSig(columnAt, k);
            start = k + 1;
        }
        if (!target) return std::nullopt;
        std::size_t updated = 0;
        std::size_t other = 0;
        if (*target == nameKey(sig(tableA))) {
            updated = tableA, other = tableB;
        } else if (*target == nameKey(sig(tableB))) {
            updated = tableB, other = tableA;
        } else {
            return std::nullopt;
        }
        std::string out = leadingBlanks() + emitSig(0, 1) + " " + emitSig(updated, updated + 1) + " " +
                          emitSig(*set, *set + 1) + " " + assignments + " FROM " + emitSig(other, other + 1) +
                          " WHERE ";
        if (where)
            out += "(" + emitSig(condBegin, *set) + ") AND (" + emitSig(*where + 1, end) + ")";
        else
            out += emitSig(condBegin, *set);
        if (end < m_significant.size()) out += emitTokens(m_significant[end], m_tokens.size());
        return out;
    }

    std::string_view m_text;
    std::vector<SqlToken> m_tokens;
    std::vector<std::optional<std::string>> m_output;  // a token's replacement text, when it has one
    std::vector<std::size_t> m_significant;            // indices of the non-blank tokens
};

}  // namespace

std::string translateToSqlite(std::string_view statement) {
    return Rewriter(statement).run().text;
}

SqliteTranslation translateStatement(std::string_view statement) {
    return Rewriter(statement).run();
}

}  // namespace tarvenish
