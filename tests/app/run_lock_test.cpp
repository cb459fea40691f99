// One run at a time on an account set: a second run is refused before it changes anything.

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>
#include <string>

#include "command_support.h"
#include "front.h"
#include "ledger/db/run_lock.h"

// A scenario names only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

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

// An account set on a file system nobody may write to: what only reads needs no lock file of its own.
class ReadOnlyAccountSet : public ::testing::TestWithParam<Front> {
protected:
    void SetUp() override {
        m_mount = m_dir.file("mounted");
        std::filesystem::create_directory(m_mount);
        if (::mount("tarvenish-test", m_mount.c_str(), "tmpfs", 0, "size=16m") != 0)
            GTEST_SKIP() << "no file system can be mounted here";
        m_path = makeDemo(m_dir, "mounted/ledger.db", PairMode::Warehouse);
        // A journal for history to list, then the file system is made read-only under the set.
        ASSERT_EQ(runCommand({"run", "--db", m_path, "--ui", "none", "--on-mismatch", "skip"}).exitCode, 3);
        // A write-ahead log cannot be read where its index file cannot be made; a rollback journal can.
        LedgerFile(m_path).exec("PRAGMA journal_mode=DELETE");
        ASSERT_EQ(::mount(nullptr, m_mount.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    }
    void TearDown() override {
        if (!m_path.empty()) ::umount(m_mount.c_str());
    }
    ScratchDir m_dir;
    std::string m_mount;
    std::string m_path;
};

TEST_P(ReadOnlyAccountSet, IsVerifiedListedAndDryRunButNotRun) {
    if (GetParam() == Front::Command) {
        const CommandResult verified = runCommand({"verify", "--db", m_path});
        EXPECT_EQ(verified.exitCode, 3) << verified.out << verified.err;
        const CommandResult history = runCommand({"history", "--db", m_path});
        EXPECT_EQ(history.exitCode, 0) << history.out << history.err;
        EXPECT_NE(history.out.find("    1  "), std::string::npos) << history.out;
    }
    const FrontResult dry = runThrough(GetParam(), Scenario{.accountSet = m_path, .dryRun = true});
    EXPECT_TRUE(answered(dry, Outcome::PairsLeft)) << dry.out << dry.err;
    const FrontResult real = runThrough(GetParam(), Scenario{.accountSet = m_path});
    EXPECT_TRUE(answered(real, Outcome::Refused)) << real.out << real.err;
    EXPECT_FALSE(std::filesystem::exists(m_path + ".tarvenish-lock"));
}

INSTANTIATE_TEST_SUITE_P(BothFronts, ReadOnlyAccountSet, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

}  // namespace
}  // namespace tarvenish::test
