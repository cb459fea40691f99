// `tarvenish undo` puts back the opening rows a run changed, exactly as they were, pair by pair; a pair
// changed after the run is left alone and named until --force; `history` and `undo` wait for no run.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "command_support.h"
#include "ledger/db/run_lock.h"
#include "ledger/sql/host_tables.h"

namespace tarvenish::test {
namespace {

constexpr std::string_view kOpeningRows = "select * from IA_Subsidiary where cVouType='34'";

// The account set's opening rows as a multiset of whole rows; by department without the department code,
// which the run's department fill sets and undo leaves.
std::vector<std::string> openingRows(const std::string& path, PairMode mode) {
    const int blanked =
        mode == PairMode::Department ? static_cast<int>(host::openingRowColumn("cdepcode")) : -1;
    return sortedRows(LedgerFile(path), kOpeningRows, blanked);
}

CommandResult run(const std::string& path, int accSql = 1) {
    return runCommand({"run", "--db", path, "--acc-sql", std::to_string(accSql), "--ui", "none",
                       "--on-mismatch", "balance"});
}

class UndoOfARun : public ::testing::TestWithParam<std::tuple<PairMode, int>> {
protected:
    ScratchDir m_dir;
};

TEST_P(UndoOfARun, PutsBackEveryOpeningRowOfTheRebuiltAndConfirmedPairs) {
    const auto [mode, accSql] = GetParam();
    const std::string path = makeDemo(m_dir, "ledger.db", mode);
    const auto before = openingRows(path, mode);
    const CommandResult rebuilt = run(path, accSql);
    ASSERT_EQ(rebuilt.exitCode, 0) << rebuilt.out << rebuilt.err;
    ASSERT_NE(openingRows(path, mode), before);
    EXPECT_NE(rebuilt.out.find("journal: run 1 "), std::string::npos) << rebuilt.out;

    const CommandResult undone = runCommand({"undo", "--db", path, "--run", "1"});
    EXPECT_EQ(undone.exitCode, 0) << undone.out << undone.err;
    EXPECT_EQ(openingRows(path, mode), before);
    EXPECT_EQ(LedgerFile(path).scalar("select count(*) from tarvenish_runs where undone is null"), "0");
}

INSTANTIATE_TEST_SUITE_P(
    BothModesAndDialects, UndoOfARun,
    ::testing::Combine(::testing::Values(PairMode::Warehouse, PairMode::Department), ::testing::Values(0, 1)),
    [](const auto& instance) {
        return std::string(std::get<0>(instance.param) == PairMode::Warehouse ? "Warehouse" : "Department") +
               (std::get<1>(instance.param) == 1 ? "Server" : "Desktop");
    });

class UndoAfterAHandEdit : public ::testing::Test {
protected:
    ScratchDir m_dir;
    std::string m_path = makeDemo(m_dir, "ledger.db", PairMode::Warehouse);
};

TEST_F(UndoAfterAHandEdit, LeavesAndNamesTheEditedPairRestoresTheOthersAndForceRestoresItToo) {
    const std::string editedPair = "cWhCode='W01' and cInvCode='I00001'";
    const std::string editedRows = std::string(kOpeningRows) + " and " + editedPair;
    const std::string otherRows = std::string(kOpeningRows) + " and not (" + editedPair + ")";
    const auto before = openingRows(m_path, PairMode::Warehouse);
    const auto othersBefore = sortedRows(LedgerFile(m_path), otherRows);
    ASSERT_EQ(run(m_path).exitCode, 0);
    LedgerFile(m_path).exec("update IA_Subsidiary set cMemo='corrected by hand' where " + editedPair);
    const auto edited = sortedRows(LedgerFile(m_path), editedRows);

    const CommandResult refused = runCommand({"undo", "--db", m_path});
    EXPECT_EQ(refused.exitCode, 3) << refused.out << refused.err;
    EXPECT_NE(refused.out.find("W01/I00001"), std::string::npos) << refused.out;
    EXPECT_EQ(sortedRows(LedgerFile(m_path), editedRows), edited);
    EXPECT_EQ(sortedRows(LedgerFile(m_path), otherRows), othersBefore);

    const CommandResult forced = runCommand({"undo", "--db", m_path, "--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.out << forced.err;
    EXPECT_EQ(openingRows(m_path, PairMode::Warehouse), before);
}

// Restores share a batch of commits: a trigger that rolls the whole transaction back at one pair takes the
// pairs restored with it along, which then hold the run's rows and are said failed, never restored; undo run
// again once the trigger is gone puts every pair back.
TEST(UndoInBatches, SaysFailedForEveryPairLostWithItsBatchAndCompletesWhenRunAgain) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "ledger.db", PairMode::Warehouse, 24, 25);
    const auto before = openingRows(path, PairMode::Warehouse);
    ASSERT_EQ(run(path).exitCode, 0);
    const auto rebuilt = openingRows(path, PairMode::Warehouse);
    LedgerFile(path).exec(
        "create trigger refuse_restore after insert on IA_Subsidiary when new.cWhCode='W02' and "
        "new.cInvCode='I00001' begin select raise(rollback, 'not this pair'); end;");

    const CommandResult refused = runCommand({"undo", "--db", path});
    EXPECT_EQ(refused.exitCode, 3) << refused.out << refused.err;
    const auto now = openingRows(path, PairMode::Warehouse);
    // Each pair holds its rows from before the run or the run's, and the summary counts what stands.
    std::size_t failed = 0;
    for (std::size_t at = refused.out.find("could not be restored"); at != std::string::npos;
         at = refused.out.find("could not be restored", at + 1))
        ++failed;
    EXPECT_GE(failed, 1U);
    EXPECT_NE(refused.out.find(std::to_string(failed) + " failed"), std::string::npos) << refused.out;
    for (const auto& row : now)
        EXPECT_TRUE(std::binary_search(before.begin(), before.end(), row) ||
                    std::binary_search(rebuilt.begin(), rebuilt.end(), row))
            << row;

    LedgerFile(path).exec("drop trigger refuse_restore");
    const CommandResult again = runCommand({"undo", "--db", path});
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    EXPECT_EQ(openingRows(path, PairMode::Warehouse), before);
}

TEST(UndoAndHistory, AreRefusedWithExitFiveWhileARunHoldsTheAccountSet) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "ledger.db", PairMode::Warehouse);
    ASSERT_EQ(run(path).exitCode, 0);
    const auto rebuilt = openingRows(path, PairMode::Warehouse);
    const RunLock first("Data Source=" + path + ";");
    ASSERT_EQ(first.status(), RunLockStatus::Held) << first.problem();
    EXPECT_EQ(runCommand({"undo", "--db", path}).exitCode, 5);
    EXPECT_EQ(runCommand({"history", "--db", path}).exitCode, 5);
    EXPECT_EQ(openingRows(path, PairMode::Warehouse), rebuilt);
}

}  // namespace
}  // namespace tarvenish::test
