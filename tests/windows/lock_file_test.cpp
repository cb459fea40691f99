#include <gtest/gtest.h>

#include <filesystem>

#include "ledger/db/run_lock.h"

namespace tarvenish {
namespace {

// The run lock on Windows is LockFileEx on the lock file beside the account set: a second run is refused at
// once, and the file goes with the run that made it.
TEST(RunLockOnWindows, ASecondRunIsRefusedWhileTheFirstHoldsTheLock) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tarvenish-lock-test";
    std::filesystem::create_directories(folder);
    const std::string set = (folder / "set.db").string();
    const std::string connection = "Data Source=" + set + ";";
    {
        const RunLock first(connection);
        ASSERT_EQ(first.status(), RunLockStatus::Held) << first.problem();
        EXPECT_TRUE(std::filesystem::exists(first.path()));
        const RunLock second(connection);
        EXPECT_EQ(second.status(), RunLockStatus::Busy);
        EXPECT_NE(second.problem().find("another run holds the account set"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(set + ".tarvenish-lock"));
    const RunLock again(connection);
    EXPECT_EQ(again.status(), RunLockStatus::Held) << again.problem();
}

}  // namespace
}  // namespace tarvenish
