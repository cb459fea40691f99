#include "ledger/dialect/pair_plan.h"

#include <stdexcept>
#include <vector>

#include "base/ascii_text.h"
#include "base/significant_tokens.h"

namespace tarvenish {
namespace {

struct Edit {
    std::size_t begin = 0;  // offset in the text
    std::size_t end = 0;    // one past what the edit replaces; begin for an insertion
    std::string with;
};

class PairPlanReader final : private SignificantTokens {
public:
    explicit PairPlanReader(std::string_view text) : SignificantTokens(text) {}

    std::optional<std::string> rewrite() {
        const auto from = firstTopLevelFrom();
        if (!from) return std::nullopt;
        std::size_t n = *from + 1;
        const bool bracketed = isPunct(n, '(');
        if (bracketed) drop(n++);
        const std::size_t left = n;
        if (!isTable(left) || !isWord(left + 1, "left")) return std::nullopt;
        n = left + 2;
        if (isWord(n, "outer")) ++n;
        if (!isWord(n, "join")) return std::nullopt;
        const std::size_t right = n + 1;
        if (!isTable(right) || !isWord(right + 1, "on")) return std::nullopt;
        replace(left, right, std::string(sig(right)) + " cross join " + std::string(sig(left)));
        n = conditionEnd(right + 2);
        if (bracketed) {
            if (!isPunct(n, ')')) return std::nullopt;
            drop(n++);
        }
        std::vector<std::string_view> joined;
        while (isWord(n, "left")) {
            const std::size_t joinWord = isWord(n + 1, "outer") ? n + 2 : n + 1;
            if (!isWord(joinWord, "join") || !isTable(joinWord + 1) || !isWord(joinWord + 2, "on"))
                return std::nullopt;
            replace(n, joinWord, "cross join");
            joined.push_back(sig(joinWord + 1));
            n = conditionEnd(joinWord + 3);
        }
        if (!isWord(n, "where")) return std::nullopt;
        const std::size_t filterEnd = conditionEnd(n + 1);
        // A left join's added rows carry nulls in the right table's columns: an equality on one of them
        // in the filter rejects them, so the cross join leaves the same rows.
        if (!filterHoldsEquality(n + 1, filterEnd, sig(right))) return std::nullopt;
        for (const std::string_view table : joined)
            if (!filterHoldsEquality(n + 1, filterEnd, table)) return std::nullopt;
        for (std::size_t at = n + 1; at < filterEnd; ++at) {
            if (!isColumnOf(at) || equalsNoCase(sig(at), sig(right))) continue;
            m_edits.push_back({begin(at), begin(at), "+"});
        }
        return applied();
    }

private:
    static bool isKeyword(std::string_view word) {
        for (const std::string_view keyword :
             {"left",  "right", "inner",  "outer",     "full",   "cross", "natural",
              "join",  "on",    "using",  "where",     "group",  "order", "having",
              "limit", "union", "except", "intersect", "window", "not",   "and",
              "or",    "is",    "null",   "select",    "from",   "as",    "indexed"}) {
            if (equalsNoCase(word, keyword)) return true;
        }
        return false;
    }
    // A table named by one word, without an alias.
    bool isTable(std::size_t n) const { return kind(n) == TokenKind::Word && !isKeyword(sig(n)); }
    // The table part of "table.column", not itself the column of a longer name.
    bool isColumnOf(std::size_t n) const {
        return isTable(n) && isPunct(n + 1, '.') && kind(n + 2) == TokenKind::Word && !isPunct(n - 1, '.');
    }

    bool filterHoldsEquality(std::size_t from, std::size_t to, std::string_view table) const {
        for (std::size_t n = from; n + 3 < to; ++n)
            if (isColumnOf(n) && equalsNoCase(sig(n), table) && isPunct(n + 3, '=')) return true;
        return false;
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

    // The end of a join condition or a filter starting at `n`: the next join, clause or closing bracket at
    // its level.
    std::size_t conditionEnd(std::size_t n) const {
        int depth = 0;
        for (; n < m_sig.size(); ++n) {
            if (isPunct(n, '(')) ++depth;
            if (isPunct(n, ')') && --depth < 0) return n;
            if (depth != 0) continue;
            if (isPunct(n, ';') || isPunct(n, ',')) return n;
            for (const std::string_view word :
                 {"left", "right", "inner", "cross", "join", "where", "group", "order", "having", "limit",
                  "union", "except", "intersect", "window"})
                if (isWord(n, word)) return n;
        }
        return n;
    }

    void drop(std::size_t n) { m_edits.push_back({begin(n), end(n), ""}); }
    // Replaces the tokens first..last and the blanks between them.
    void replace(std::size_t first, std::size_t last, std::string with) {
        m_edits.push_back({begin(first), end(last), std::move(with)});
    }

    std::string applied() const {
        std::string out;
        out.reserve(m_text.size() + m_edits.size() + 16);
        std::size_t at = 0;
        // The edits were made front to back, each after the one before.
        for (const Edit& edit : m_edits) {
            out += m_text.substr(at, edit.begin - at);
            out += edit.with;
            at = edit.end;
        }
        out += m_text.substr(at);
        return out;
    }

    std::vector<Edit> m_edits;
};

}  // namespace

bool hasFixedPairPlan(StatementKind kind) noexcept {
    return kind == StatementKind::StockTotals || kind == StatementKind::RegenerationInsert ||
           kind == StatementKind::ReceiptLines;
}

std::optional<std::string> pairPlanForm(StatementKind kind, std::string_view sqliteText) {
    if (!hasFixedPairPlan(kind)) return std::nullopt;
    try {
        return PairPlanReader(sqliteText).rewrite();
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

}  // namespace tarvenish
