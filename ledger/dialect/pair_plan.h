#pragma once
// The per-pair statements join a pair's receipt headers with their lines. Without statistics SQLite chooses
// their plan from the indexes it finds, and an index a host adds (on RdRecord(ID, cVouchType, cWhCode), say)
// can make it read every opening header of the warehouse for each pair. Their plan is fixed instead: the
// lines first, reached by the item's code, then each line's header by its key, and no other term of the
// filter may drive an index.

#include <optional>
#include <string>
#include <string_view>

#include "ledger/sql/statement.h"

namespace tarvenish {

// True for the kinds whose SQLite text pairPlanForm fixes: the pair's totals, the insert-select of its
// opening rows and the dialog's receipt lines.
[[nodiscard]] bool hasFixedPairPlan(StatementKind kind) noexcept;

// For a statement of kind `kind` in SQLite's SQL whose first FROM reads "[(]A LEFT JOIN B ON cond[)]", then
// perhaps further "LEFT JOIN T ON cond", then "WHERE filter": the same statement with "B CROSS JOIN A", each
// further left join a cross join, and a unary "+" before every column of the filter that is not B's, so that
// SQLite loops over B, then A, then the rest, in that order. The rows are the same because the filter holds
// an equality on a column of B and of each further table (checked), which no row a left join adds with
// nulls passes. The "+" takes the column's affinity from the comparison: the filter's columns are codes
// compared with texts, which a text column holds as texts. nullopt for any other kind or text.
[[nodiscard]] std::optional<std::string> pairPlanForm(StatementKind kind, std::string_view sqliteText);

}  // namespace tarvenish
