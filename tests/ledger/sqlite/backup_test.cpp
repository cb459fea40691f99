// A backup never loses what was at its path: it makes a new file, or, when allowed, replaces a regular file
// only whole, once the copy is complete.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ledger/db/error.h"
#include "ledger/sqlite/backup.h"
#include "support/temp_database.h"

namespace tarvenish::test {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SqliteBackup : public ::testing::Test {
protected:
    TempDatabase m_source;
    fs::path m_target = m_source.path().string() + ".copy";

    void SetUp() override { std::ofstream(m_target, std::ios::binary) << "keep me"; }
    void TearDown() override { fs::remove(m_target); }

    // Files beside the target that a backup made and left behind.
    [[nodiscard]] int leftBehind() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(m_target.parent_path()))
            if (entry.path().string().starts_with(m_target.string() + ".tarvenish-backup-")) ++count;
        return count;
    }
};

TEST_F(SqliteBackup, ThatFailsLeavesTheFileItWouldReplaceAsItWas) {
    const fs::path notADatabase = m_target.string() + ".txt";
    std::ofstream(notADatabase, std::ios::binary) << std::string(4096, 'x');
    EXPECT_THROW(backupSqliteFile(notADatabase.string(), m_target.string(), ExistingBackup::ReplaceFile),
                 DbError);
    EXPECT_EQ(contents(m_target), "keep me");
    EXPECT_EQ(leftBehind(), 0);
    fs::remove(notADatabase);
}

}  // namespace
}  // namespace tarvenish::test
