// What a run leaves for people and scripts when an output cannot be written: found before any change when
// it can be, never lost silently after the data was written.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "command_support.h"

namespace tarvenish::test {
namespace {

constexpr std::string_view kAllOpeningRows = "select * from IA_Subsidiary";

class RunOutput : public ::testing::Test {
protected:
    ScratchDir m_dir;
    // Every pair matches, so nothing but the output can make the exit code differ from 0.
    std::string m_path = makeDemo(m_dir, "ledger.db", PairMode::Warehouse, 6, 0);
};

TEST_F(RunOutput, ReportIntoAMissingFolderExitsTwoBeforeAnyChange) {
    const auto before = sortedRows(LedgerFile(m_path), kAllOpeningRows);
    const std::string report = m_dir.file("missing/report.json");
    const auto result = runCommand({"run", "--db", m_path, "--ui", "none", "--report", report});
    EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
    EXPECT_NE(result.err.find(report), std::string::npos) << result.err;
    EXPECT_EQ(sortedRows(LedgerFile(m_path), kAllOpeningRows), before);
}

TEST_F(RunOutput, ThatCannotBeWrittenExitsFourAfterTheSummary) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    for (const char* option : {"--report", "--log"}) {
        SCOPED_TRACE(option);
        const auto result = runCommand({"run", "--db", m_path, "--ui", "none", option, "/dev/full"});
        EXPECT_EQ(result.exitCode, 4) << result.out << result.err;
        EXPECT_NE(result.out.find("result: true"), std::string::npos) << result.out;
        EXPECT_NE(result.err.find("/dev/full"), std::string::npos) << result.err;
    }
}

TEST_F(RunOutput, ReportOnStandardOutputLeavesTheSummaryOnStandardError) {
    const auto result =
        runCommand({"run", "--db", m_path, "--ui", "none", "--report", "-", "--busy-timeout", "0.5"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out)["pairs_regenerated"], 6);
    EXPECT_NE(result.err.find("result: true"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace tarvenish::test
