// One run at a time on an account set: a second run is refused before it changes anything.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "command_support.h"
#include "ledger/run_lock.h"

namespace tarvenish::test {
namespace {

constexpr std::string_view kAllOpeningRows = "select * from IA_Subsidiary";

class RunLockOfTheCommand : public ::testing::Test {
protected:
    [[nodiscard]] CommandResult run(const std::string& path) const {
        return runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "balance"});
    }
    ScratchDir m_dir;
    std::string m_path = makeDemo(m_dir, "ledger.db", PairMode::Warehouse);
};

TEST_F(RunLockOfTheCommand, RefusesASecondRunWithExitFiveAndTheSetEndsAsOneRunLeavesIt) {
    const std::string twin = m_dir.file("twin.db");
    std::filesystem::copy_file(m_path, twin);
    const auto before = sortedRows(LedgerFile(m_path), kAllOpeningRows);
    {
        // This process stands for the first run: a lock on another open file conflicts as another
        // process's would.
        const RunLock first("Data Source=" + m_path + ";");
        ASSERT_EQ(first.status(), RunLockStatus::Held) << first.problem();
        const auto second = run(m_path);
        EXPECT_EQ(second.exitCode, 5) << second.out << second.err;
        EXPECT_NE(second.out.find(m_path + ".tarvenish-lock"), std::string::npos) << second.out;
        EXPECT_EQ(sortedRows(LedgerFile(m_path), kAllOpeningRows), before);
        EXPECT_FALSE(LedgerFile(m_path).hasColumn("RdRecords", "isOutQuantity_s"));
    }
    ASSERT_EQ(run(m_path).exitCode, 0);
    ASSERT_EQ(run(twin).exitCode, 0);
    EXPECT_EQ(sortedRows(LedgerFile(m_path), kAllOpeningRows), sortedRows(LedgerFile(twin), kAllOpeningRows));
    EXPECT_FALSE(std::filesystem::exists(m_path + ".tarvenish-lock"));
}

TEST_F(RunLockOfTheCommand, RefusesWithExitTwoWhenTheLockFileCannotBeMade) {
    // A folder in the lock file's place stops its creation even for a superuser, as a read-only folder would.
    std::filesystem::create_directory(m_path + ".tarvenish-lock");
    const auto before = sortedRows(LedgerFile(m_path), kAllOpeningRows);
    const auto result = runCommand({"run", "--db", m_path, "--ui", "none"});
    EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
    EXPECT_NE(result.out.find(m_path + ".tarvenish-lock"), std::string::npos) << result.out;
    EXPECT_EQ(sortedRows(LedgerFile(m_path), kAllOpeningRows), before);
}

}  // namespace
}  // namespace tarvenish::test
