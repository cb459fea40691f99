#include "ledger/dialect/join_planner.h"

#include <sqlite3.h>

#include "base/ascii_text.h"
#include "ledger/dialect/join_order.h"

namespace tarvenish {

namespace {

// Right joins came with SQLite 3.39.0; the ODBC driver runs on the process's one SQLite library too.
constexpr int kRightJoinVersion = 3039000;

// True when the plan of `sqliteText` scans the right table of a left join once per outer row.
bool scansInsideLeftJoin(const std::string& sqliteText, const ExplainPlan& explain) {
    for (const std::string& detail : explain(sqliteText))
        if (detail.starts_with("SCAN ") && detail.ends_with("LEFT-JOIN")) return true;
    return false;
}

}  // namespace

bool mayTurnLeftJoin(std::string_view sqliteText) {
    return sqlite3_libversion_number() >= kRightJoinVersion && containsNoCase(sqliteText, "join") &&
           containsNoCase(sqliteText, "left");
}

std::optional<std::string> joinOrderThatHelps(std::string_view sqliteText, const ExplainPlan& explain) {
    if (!scansInsideLeftJoin(std::string(sqliteText), explain)) return std::nullopt;
    std::optional<std::string> turned = rightJoinForm(sqliteText);
    if (!turned || scansInsideLeftJoin(*turned, explain)) return std::nullopt;
    return turned;
}

}  // namespace tarvenish
