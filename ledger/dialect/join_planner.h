#pragma once
// The join order both engines ask of SQLite's query planner: a left join whose plan scans its right table
// once per outer row is run as the right join that drives the loop from the other side (join_order.h), when
// the turned plan does not scan so. The engines differ only in how they read a plan.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvenish {

// The detail lines of SQLite's query plan for one statement of SQLite's SQL (EXPLAIN QUERY PLAN's fourth
// column); nullopt when the statement cannot be explained.
using ExplainPlan = std::function<std::optional<std::vector<std::string>>(const std::string& sqliteText)>;

// True when `sqliteText` may hold a left join worth turning: the SQLite of this process knows right joins
// and the text speaks of a left join.
[[nodiscard]] bool mayTurnLeftJoin(std::string_view sqliteText);

// The right-join form of `sqliteText` when its plan scans the right table of a left join once per outer
// row and the turned form's plan, read, does not; nullopt otherwise (also when either plan cannot be read).
[[nodiscard]] std::optional<std::string> joinOrderThatHelps(std::string_view sqliteText,
                                                            const ExplainPlan& explain);

}  // namespace tarvenish
