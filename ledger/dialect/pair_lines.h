#pragma once
// A per-pair statement in its fixed plan reads the pair's lines as "<head> FROM T1 cross join T2 ON ... WHERE
// <terms> and [+]K=?k and I=?i": every line of the item I in every warehouse, to keep those whose key K is
// the pair's. The lines are the same for every pair of a run, so they can be found once, keyed by (K, I) and
// by the row of each joined table, and each pair's statement then reads only its own rows.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/sql/statement.h"

namespace tarvenish {

// A table.column of the filter and the marker ("?2") it is compared with.
struct PairTerm {
    std::string table;
    std::string column;
    std::string marker;
};

struct PairLinesForm {
    std::string head;                 // the text before FROM, blanks included
    std::string source;               // the tables and their join conditions, between FROM and WHERE
    std::vector<std::string> tables;  // in join order
    std::vector<std::string> terms;   // the filter's other terms
    PairTerm key;                     // the pair's code: a warehouse or a department
    PairTerm item;                    // the pair's item
    // The lines this form reads whatever the pair: the same for every statement that may share an image.
    [[nodiscard]] std::string lines() const;
};

// The form of `fixedSqlite`, the fixed plan of a per-pair statement of kind `kind` (pairPlanForm); nullopt
// for any other kind or text.
[[nodiscard]] std::optional<PairLinesForm> pairLinesForm(StatementKind kind, std::string_view fixedSqlite);

// The temporary table `name` of the lines' keys: the pair's code without a type, so that it compares as the
// filter's "+K" does; the item with `itemType`, the declared type of its column, so that it compares as the
// column does; then the row of each table. The key orders each pair's rows as the plain plan visits them.
[[nodiscard]] std::string pairImageCreate(const PairLinesForm& form, std::string_view name,
                                          std::string_view itemType);
// Fills the table `name` with the keys of every line the form reads.
[[nodiscard]] std::string pairImageFill(const PairLinesForm& form, std::string_view name);
// The statement reading one pair's rows through the table `name`: the same head, the same markers; `join`
// added after the last of the form's tables.
[[nodiscard]] std::string pairImageAnswer(const PairLinesForm& form, std::string_view name,
                                          std::string_view join = {});

}  // namespace tarvenish
