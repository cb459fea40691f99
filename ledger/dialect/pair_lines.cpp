#include "ledger/dialect/pair_lines.h"

#include <stdexcept>

#include "base/ascii_text.h"
#include "base/significant_tokens.h"
#include "ledger/dialect/pair_plan.h"

namespace tarvenish {
namespace {

class FormReader final : private SignificantTokens {
public:
    explicit FormReader(std::string_view text) : SignificantTokens(text) {}

    std::optional<PairLinesForm> read() {
        PairLinesForm form;
        std::size_t n = 0;
        int depth = 0;
        for (; n < m_sig.size(); ++n) {
            depth += isPunct(n, '(') ? 1 : isPunct(n, ')') ? -1 : 0;
            if (depth == 0 && isWord(n, "from")) break;
        }
        if (n == m_sig.size()) return std::nullopt;
        form.head = std::string(m_text.substr(0, begin(n)));
        const std::size_t sourceBegin = n + 1;
        if (!isName(sourceBegin)) return std::nullopt;
        form.tables.emplace_back(sig(sourceBegin));
        n = sourceBegin + 1;
        for (;;) {
            if (isWord(n, "cross") && isWord(n + 1, "join") && isName(n + 2) && isWord(n + 3, "on")) {
                form.tables.emplace_back(sig(n + 2));
                n = skipTerm(n + 4);
                continue;
            }
            break;
        }
        if (!isWord(n, "where")) return std::nullopt;
        form.source = std::string(m_text.substr(begin(sourceBegin), end(n - 1) - begin(sourceBegin)));
        std::vector<std::pair<std::size_t, std::size_t>> terms;
        for (std::size_t at = n + 1; at < m_sig.size();) {
            const std::size_t termEnd = skipTerm(at);
            if (termEnd == at) return std::nullopt;
            terms.emplace_back(at, termEnd);
            if (termEnd == m_sig.size()) break;
            if (!isWord(termEnd, "and")) return std::nullopt;
            at = termEnd + 1;
        }
        if (terms.size() < 2) return std::nullopt;
        const auto key = pairTerm(terms[terms.size() - 2], form);
        const auto item = pairTerm(terms.back(), form);
        if (!key || !item) return std::nullopt;
        form.key = *key;
        form.item = *item;
        for (std::size_t t = 0; t + 2 < terms.size(); ++t)
            form.terms.emplace_back(
                m_text.substr(begin(terms[t].first), end(terms[t].second - 1) - begin(terms[t].first)));
        return form;
    }

private:
    bool isName(std::size_t n) const {
        if (kind(n) != TokenKind::Word) return false;
        for (const std::string_view keyword : {"cross", "join", "on", "where", "and", "or", "not", "select"})
            if (equalsNoCase(sig(n), keyword)) return false;
        return true;
    }

    // One past a join condition or a filter term starting at `n`: the next top-level "and", join or WHERE,
    // or the end. A term holding anything that could join two terms otherwise (or, between) or end the
    // statement's filter (a clause, a further statement) ends nowhere: the form does not apply.
    std::size_t skipTerm(std::size_t n) const {
        const std::size_t start = n;
        int depth = 0;
        for (; n < m_sig.size(); ++n) {
            if (isPunct(n, '(')) ++depth;
            if (isPunct(n, ')') && --depth < 0) return start;
            if (depth != 0) continue;
            if (isWord(n, "and") || isWord(n, "cross") || isWord(n, "where")) return n;
            for (const std::string_view word : {"or", "between", "group", "order", "having", "limit", "union",
                                                "except", "intersect", "window", "join", "left", "inner"})
                if (isWord(n, word)) return start;
            if (isPunct(n, ';') || isPunct(n, ',')) return start;
        }
        return depth == 0 ? n : start;
    }

    // "[+]T.c=?n" over the whole of [first, last), T one of the form's tables.
    std::optional<PairTerm> pairTerm(std::pair<std::size_t, std::size_t> range,
                                     const PairLinesForm& form) const {
        std::size_t n = range.first;
        if (isPunct(n, '+')) ++n;
        if (n + 6 != range.second || !isName(n) || !isPunct(n + 1, '.') || kind(n + 2) != TokenKind::Word ||
            !isPunct(n + 3, '=') || !isPunct(n + 4, '?') || kind(n + 5) != TokenKind::Number)
            return std::nullopt;
        bool known = false;
        for (const std::string& table : form.tables) known = known || equalsNoCase(table, sig(n));
        if (!known) return std::nullopt;
        return PairTerm{std::string(sig(n)), std::string(sig(n + 2)), "?" + std::string(sig(n + 5))};
    }
};

std::string columnOf(const PairTerm& term) {
    return term.table + "." + term.column;
}

}  // namespace

std::string PairLinesForm::lines() const {
    std::string text = source;
    for (const std::string& term : terms) text += "\n" + term;
    return text + "\n" + columnOf(key) + "\n" + columnOf(item);
}

std::optional<PairLinesForm> pairLinesForm(StatementKind kind, std::string_view fixedSqlite) {
    if (!hasFixedPairPlan(kind)) return std::nullopt;
    try {
        return FormReader(fixedSqlite).read();
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

std::string pairImageCreate(const PairLinesForm& form, std::string_view name, std::string_view itemType) {
    std::string text = "CREATE TEMP TABLE " + std::string(name) + " (pair_key, item";
    if (!itemType.empty()) text += " " + std::string(itemType);
    std::string key = "pair_key, item";
    for (std::size_t t = 0; t < form.tables.size(); ++t) {
        const std::string row = "row_" + std::to_string(t + 1);
        text += ", " + row + " INTEGER";
        key += ", " + row;
    }
    return text + ", PRIMARY KEY (" + key + ")) WITHOUT ROWID";
}

std::string pairImageFill(const PairLinesForm& form, std::string_view name) {
    std::string text = "INSERT INTO temp." + std::string(name) + " SELECT +" + columnOf(form.key) + ", " +
                       columnOf(form.item);
    for (const std::string& table : form.tables) text += ", " + table + ".rowid";
    text += " FROM " + form.source + " WHERE ";
    for (const std::string& term : form.terms) text += term + " AND ";
    // A line without a code or an item belongs to no pair: no filter's equality holds for a null.
    text += "+" + columnOf(form.key) + " IS NOT NULL AND +" + columnOf(form.item) + " IS NOT NULL";
    // In key order, so that the table grows at its end.
    text += " ORDER BY 1, 2";
    for (std::size_t t = 0; t < form.tables.size(); ++t) text += ", " + std::to_string(t + 3);
    return text;
}

std::string pairImageAnswer(const PairLinesForm& form, std::string_view name, std::string_view join) {
    std::string text = form.head + "FROM temp." + std::string(name) + " AS tarvenish_lines";
    for (std::size_t t = 0; t < form.tables.size(); ++t) {
        const std::string& table = form.tables[t];
        text +=
            " CROSS JOIN " + table + " ON " + table + ".rowid=tarvenish_lines.row_" + std::to_string(t + 1);
    }
    text += join;
    return text + " WHERE tarvenish_lines.pair_key=" + form.key.marker +
           " AND tarvenish_lines.item=" + form.item.marker;
}

}  // namespace tarvenish
