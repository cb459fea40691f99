#include "ledger/dialect/join_order.h"
#include "ledger/dialect/join_planner.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarvenish {
namespace {

TEST(RightJoinForm, SwapsTheFirstLeftJoinAndKeepsTheRest) {
    const auto turned = rightJoinForm(
        "create table F as select A.id, sum(B.q) as s FROM A left join A B on A.id=B.ref left join H R1 on "
        "B.hid=R1.id group by A.id");
    ASSERT_TRUE(turned);
    EXPECT_EQ(
        *turned,
        "create table F as select A.id, sum(B.q) as s FROM A B right join A on A.id=B.ref left join H R1 "
        "on B.hid=R1.id group by A.id");
}

TEST(RightJoinForm, LeavesStatementsItCannotTurnSafely) {
    // a bare star would list the columns in another order
    EXPECT_FALSE(rightJoinForm("select * from A left join B on A.id=B.ref"));
    EXPECT_FALSE(rightJoinForm("select A.id from (A left join B on A.id=B.ref)"));
    EXPECT_FALSE(rightJoinForm("select A.id from A inner join B on A.id=B.ref"));
    EXPECT_FALSE(rightJoinForm("delete from A where id=1"));
    EXPECT_FALSE(rightJoinForm("select A.id from A left join B using (id)"));
}

// The turn is taken only on a plan read: a turned form whose plan cannot be read is not known to be better.
TEST(JoinPlanner, TurnsALeftJoinOnlyWhenTheTurnedPlanWasReadAndScansNoMore) {
    const std::string statement = "select A.id from A left join B on A.id=B.ref";
    const std::vector<std::string> scanning = {"SCAN A", "SCAN B LEFT-JOIN"};
    const auto explainTurned = [&](std::optional<std::vector<std::string>> turnedPlan) {
        return [&, turnedPlan](const std::string& text) -> std::optional<std::vector<std::string>> {
            return text == statement ? std::optional(scanning) : turnedPlan;
        };
    };
    EXPECT_TRUE(joinOrderThatHelps(statement, explainTurned(std::vector<std::string>{"SCAN B", "SEARCH A"})));
    EXPECT_FALSE(joinOrderThatHelps(statement, explainTurned(std::nullopt)));
    EXPECT_FALSE(joinOrderThatHelps(statement, explainTurned(scanning)));
}

TEST(RightJoinForm, GivesTheSameRowsAsTheLeftJoin) {
    if (sqlite3_libversion_number() < 3039000) GTEST_SKIP() << "this SQLite has no right join";
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    // a number column joined to a text column, with a code that is a number only after conversion
    ASSERT_EQ(sqlite3_exec(raw,
                           "create table L (autoid integer primary key, q float, ref varchar(30));"
                           "insert into L values (1, 5, null), (2, 7, '1'), (3, 2, '0001'), (4, 1, 'x'),"
                           " (5, 3, '2'), (6, 4, null);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const std::string left =
        "select L.autoid, ifnull(sum(R.q),0) as s, count(R.autoid) FROM L left join L R on L.autoid=R.ref "
        "group by L.autoid order by L.autoid";
    const auto turned = rightJoinForm(left);
    ASSERT_TRUE(turned);
    const auto rows = [&](const std::string& sql) {
        std::string out;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(raw, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(raw));
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                out += text ? text : "NULL";
                out += c + 1 < sqlite3_column_count(statement) ? "|" : "\n";
            }
        }
        sqlite3_finalize(statement);
        return out;
    };
    EXPECT_EQ(rows(*turned), rows(left));
    EXPECT_EQ(rows(left), "1|9.0|2\n2|3.0|1\n3|0|0\n4|0|0\n5|0|0\n6|0|0\n");
}

}  // namespace
}  // namespace tarvenish
