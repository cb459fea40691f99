// The issued-quantity pass on SQLite: its column reads 0 from the moment it is added, the update that sets it
// to 0 rewrites no line unless something else wrote in between, and what the run leaves of the stock ledger's
// lines is what it found.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "command_support.h"
#include "front.h"
#include "ledger/db/connection.h"
#include "ledger/sql/statements.h"
#include "ledger/sqlite/engine.h"

namespace tarvenish::test {
namespace {

constexpr std::size_t kAddColumn = 0;
constexpr std::size_t kZeroColumn = 1;

class IssuedColumn : public ::testing::Test {
protected:
    void SetUp() override { m_path = makeDemo(m_dir, "set.db", PairMode::Warehouse, 200, 0); }
    void TearDown() override { ConnectionPool::clear(); }

    // The steps the zeroing update takes after the column was added and `between` ran on another connection.
    std::uint64_t zeroingSteps(const std::string& between) {
        const ConnectionPtr connection = Connection::open(m_path);
        auto& engine = dynamic_cast<SqliteEngine&>(connection->engine());
        const auto statements = sql::issuedQuantityPrepare(Dialect::Server);
        connection->execute(statements[kAddColumn]);
        if (!between.empty()) LedgerFile(m_path).exec(between);
        const std::uint64_t before = engine.vmSteps();
        connection->execute(statements[kZeroColumn]);
        return engine.vmSteps() - before;
    }

    ScratchDir m_dir;
    std::string m_path;
};

TEST_F(IssuedColumn, ReadsZeroOnEveryLineWithoutARewrite) {
    const std::string lines = LedgerFile(m_path).scalar("select count(*) from RdRecords").value();
    EXPECT_LT(zeroingSteps(""), 100u) << lines << " lines";
    EXPECT_EQ(LedgerFile(m_path).scalar("select count(*) from RdRecords where isOutQuantity_s = 0 and "
                                        "typeof(isOutQuantity_s) = 'real'"),
              lines);
}

TEST_F(IssuedColumn, IsZeroedAgainAfterAnotherConnectionWroteIt) {
    (void)zeroingSteps(
        "update RdRecords set isOutQuantity_s = 5 where autoid = (select min(autoid) from RdRecords)");
    EXPECT_EQ(LedgerFile(m_path).scalar("select count(*) from RdRecords where isOutQuantity_s <> 0"), "0");
}

class IssuedColumnRun : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

TEST_P(IssuedColumnRun, LeavesTheLinesTableAsItFoundIt) {
    const std::string path = makeDemo(m_dir, "set.db", PairMode::Warehouse, 12, 0);
    const auto schema = [&] {
        return LedgerFile(path).scalar("select sql from sqlite_master where name = 'RdRecords'");
    };
    const auto before = schema();
    Scenario scenario;
    scenario.accountSet = path;
    const FrontResult result = runThrough(GetParam(), scenario);
    EXPECT_TRUE(answered(result, Outcome::Done)) << result.err;
    EXPECT_EQ(schema(), before);
    EXPECT_FALSE(LedgerFile(path).hasColumn("RdRecords", "isOutQuantity_s"));
}

INSTANTIATE_TEST_SUITE_P(BothFronts, IssuedColumnRun, ::testing::Values(Front::Command, Front::Library),
                         [](const auto& p) { return frontName(p.param); });

}  // namespace
}  // namespace tarvenish::test
