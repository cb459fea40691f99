#include "ledger/dialect/join_planner.h"

#include "base/ascii_text.h"
#include "ledger/dialect/join_order.h"
#include "ledger/dialect/sqlite_library.h"

namespace tarvenish {

namespace {

// Right joins came with SQLite 3.39.0; the ODBC driver runs on the process's one SQLite library too.
constexpr int kRightJoinVersion = 3039000;

// Whether the plan of `sqliteText` scans the right table of a left join once per outer row; nullopt when the
// plan cannot be read.
std::optional<bool> scansInsideLeftJoin(const std::string& sqliteText, const ExplainPlan& explain) {
    const std::optional<std::vector<std::string>> plan = explain(sqliteText);
    if (!plan) return std::nullopt;
    for (const std::string& detail : *plan)
        if (detail.starts_with("SCAN ") && detail.ends_with("LEFT-JOIN")) return true;
    return false;
}

}  // namespace

bool mayTurnLeftJoin(std::string_view sqliteText) {
    return linkedSqliteVersion() >= kRightJoinVersion && containsNoCase(sqliteText, "join") &&
           containsNoCase(sqliteText, "left");
}

std::optional<std::string> joinOrderThatHelps(std::string_view sqliteText, const ExplainPlan& explain) {
    if (scansInsideLeftJoin(std::string(sqliteText), explain) != true) return std::nullopt;
    std::optional<std::string> turned = rightJoinForm(sqliteText);
    // A turned form whose plan cannot be read is no better known than the statement as it is.
    if (!turned || scansInsideLeftJoin(*turned, explain) != false) return std::nullopt;
    return turned;
}

}  // namespace tarvenish
