// Indexes a host adds to its own tables never make a run slower: the per-pair statements keep the plan they
// have on the tables as we know them. Measured in SQLite's virtual-machine steps, not in time.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "command_support.h"
#include "component/run_context.h"
#include "ledger/db/connection.h"
#include "ledger/sqlite/engine.h"
#include "reconcile/run.h"

namespace tarvenish::test {
namespace {

// The steps of a whole run in-process on the file at `path`, as the library makes it.
std::uint64_t runSteps(const std::string& path) {
    const ConnectionPtr connection = Connection::open(path);
    auto& engine = dynamic_cast<SqliteEngine&>(connection->engine());
    const std::uint64_t before = engine.vmSteps();
    RunContext context;
    EXPECT_TRUE(executeRun(context, DialectChoice::fromHostFlag(1), connection));
    EXPECT_EQ(context.report.pairsRegenerated, 240);
    const std::uint64_t steps = engine.vmSteps() - before;
    ConnectionPool::clear();
    return steps;
}

class HostIndexes : public ::testing::TestWithParam<PairMode> {
protected:
    ScratchDir m_dir;
};

TEST_P(HostIndexes, DoNotMakeARunTakeMoreStepsPerPair) {
    const std::string plain = makeDemo(m_dir, "plain.db", GetParam(), 240, 0);
    const std::string indexed = m_dir.file("indexed.db");
    std::filesystem::copy_file(plain, indexed);
    // Each of these turned SQLite's plan to every opening header of the warehouse for each pair.
    LedgerFile(indexed).exec(
        "create index Host_RdRecord_IdTypeWhAcc on RdRecord (ID, cVouchType, cWhCode, cAccounter);"
        "create index Host_RdRecord_IdWh on RdRecord (ID, cWhCode);"
        "create index Host_RdRecords_IdInv on RdRecords (ID, cInvCode);"
        "create index Host_Warehouse_Dep on Warehouse (cDepCode, cWhCode);");
    const std::uint64_t plainSteps = runSteps(plain);
    const std::uint64_t indexedSteps = runSteps(indexed);
    EXPECT_LE(indexedSteps, plainSteps + plainSteps / 20) << plainSteps;
    EXPECT_EQ(sortedRows(LedgerFile(indexed), "select * from IA_Subsidiary"),
              sortedRows(LedgerFile(plain), "select * from IA_Subsidiary"));
}

INSTANTIATE_TEST_SUITE_P(BothModes, HostIndexes, ::testing::Values(PairMode::Warehouse, PairMode::Department),
                         [](const auto& p) {
                             return p.param == PairMode::Warehouse ? "Warehouse" : "Department";
                         });

}  // namespace
}  // namespace tarvenish::test
