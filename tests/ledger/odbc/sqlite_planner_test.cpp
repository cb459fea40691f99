#include "ledger/odbc/sqlite_planner.h"

#include <gtest/gtest.h>

#include <string>

#include "ledger/dialect/bridge.h"
#include "ledger/dialect/pair_plan.h"
#include "ledger/sql/statements.h"

namespace tarvenish {
namespace {

// Behind the driver a per-pair statement gets the same fixed plan as on the embedded engine, and no plan a
// host's indexes give is read for it.
TEST(OdbcSqlitePlanner, GivesAPerPairStatementItsFixedPlan) {
    OdbcSqlitePlanner planner([](const std::string& text) -> QueryResult {
        ADD_FAILURE() << "asked the driver: " << text;
        return {};
    });
    const Statement totals = sql::stockTotals(Dialect::Server, PairMode::Department, 2, "D'1", "I1");
    const std::string sqlite = translateToSqlite(totals.shape());
    const auto fixed = pairPlanForm(totals.kind(), sqlite);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(planner.shapeInJoinOrder(totals.kind(), totals.shape(), totals.text(), sqlite), *fixed);
}

}  // namespace
}  // namespace tarvenish
