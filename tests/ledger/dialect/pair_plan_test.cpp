#include "ledger/dialect/pair_plan.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/automation_date.h"
#include "ledger/db/connection.h"
#include "ledger/db/host_schema.h"
#include "ledger/dialect/bridge.h"
#include "ledger/sql/statements.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

// The detail lines of SQLite's plan for `text` on `db`.
std::vector<std::string> plan(sqlite3* db, const std::string& text) {
    sqlite3_stmt* raw = nullptr;
    const std::string explain = "EXPLAIN QUERY PLAN " + text;
    EXPECT_EQ(sqlite3_prepare_v2(db, explain.c_str(), -1, &raw, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    std::vector<std::string> details;
    while (sqlite3_step(raw) == SQLITE_ROW)
        details.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(raw, 3)));
    sqlite3_finalize(raw);
    return details;
}

class PairPlan : public ::testing::TestWithParam<std::tuple<Dialect, PairMode>> {};

// Every per-pair statement the builders make gets the fixed plan: should a builder's text change so that the
// form no longer applies, the statement would silently fall back to whatever plan the host's indexes give.
TEST_P(PairPlan, ReachesThePairsLinesByTheItemWhateverIndexesTheHostAdds) {
    const auto [dialect, mode] = GetParam();
    test::TempDatabase db;
    createHostSchema(*Connection::open(db.connectionString()));
    db.run(
        "alter table RdRecords add column isOutQuantity_s float;"
        "create index Host_RdRecord_IdTypeWhAcc on RdRecord (ID, cVouchType, cWhCode, cAccounter);"
        "create index Host_RdRecords_IdInv on RdRecords (ID, cInvCode);"
        "create index Host_Warehouse_Dep on Warehouse (cDepCode);");
    ConnectionPool::clear();
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(db.path().c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(registerDialectFunctions(handle), SQLITE_OK);
    const Date keep = makeDate(2026, 1, 1);
    for (const Statement& statement : {sql::stockTotals(dialect, mode, 2, "W'1", "I1"),
                                       sql::regenerationInsert(dialect, mode, keep, "W'1", "I1"),
                                       sql::receiptLines(dialect, mode, keep, 2, 2, "W'1", "I1")}) {
        SCOPED_TRACE(statement.text());
        const auto fixed = pairPlanForm(statement.kind(), translateToSqlite(statement.shape()));
        ASSERT_TRUE(fixed);
        const std::vector<std::string> details = plan(handle, *fixed);
        ASSERT_GE(details.size(), 2u);
        EXPECT_EQ(details[0], "SEARCH RdRecords USING INDEX RdRecords_InvCode (cInvCode=?)");
        EXPECT_TRUE(details[1].starts_with("SEARCH RdRecord USING ")) << details[1];
        EXPECT_TRUE(details[1].ends_with("(ID=?)")) << details[1];
    }
    sqlite3_close(handle);
}

INSTANTIATE_TEST_SUITE_P(BothDialectsAndModes, PairPlan,
                         ::testing::Combine(::testing::Values(Dialect::Desktop, Dialect::Server),
                                            ::testing::Values(PairMode::Warehouse, PairMode::Department)));

TEST(PairPlanForm, LeavesAJoinWhoseFilterWouldKeepTheRowsALeftJoinAdds) {
    EXPECT_FALSE(pairPlanForm(StatementKind::StockTotals,
                              "select sum(B.q) from (A left join B on A.id=B.id) where A.w=?1"));
    EXPECT_FALSE(
        pairPlanForm(StatementKind::Other, "select sum(B.q) from (A left join B on A.id=B.id) where B.i=?1"));
    EXPECT_EQ(pairPlanForm(StatementKind::StockTotals,
                           "select sum(B.q) from (A left join B on A.id=B.id) where A.w=?1 and B.i=?2"),
              "select sum(B.q) from B cross join A on A.id=B.id where +A.w=?1 and B.i=?2");
}

}  // namespace
}  // namespace tarvenish
