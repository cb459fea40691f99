// What a run leaves for people and scripts when an output cannot be written: found before any change when
// it can be, never lost silently after the data was written.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "command_support.h"
#include "front.h"

// A scenario names only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish::test {
namespace {

constexpr std::string_view kAllOpeningRows = "select * from IA_Subsidiary";

class RunOutput : public ::testing::Test {
protected:
    ScratchDir m_dir;
    // Every pair matches, so nothing but the output can make the exit code differ from 0.
    std::string m_path = makeDemo(m_dir, "ledger.db", PairMode::Warehouse, 6, 0);
};

// The same through the command and the library.
class RunOutputThroughAFront : public RunOutput, public ::testing::WithParamInterface<Front> {};

TEST_P(RunOutputThroughAFront, ThatCannotBeOpenedIsRefusedBeforeAnyChange) {
    const auto before = sortedRows(LedgerFile(m_path), kAllOpeningRows);
    const std::string missing = m_dir.file("missing/output");
    for (const bool report : {true, false}) {
        SCOPED_TRACE(report ? "report" : "log");
        const auto result =
            runThrough(GetParam(), {m_path, 1, "skip", report ? missing : "", report ? "" : missing});
        EXPECT_TRUE(answered(result, Outcome::Refused));
        EXPECT_NE(result.err.find(missing), std::string::npos) << result.err;
        EXPECT_EQ(sortedRows(LedgerFile(m_path), kAllOpeningRows), before);
    }
}

// The report would be written over the log, and the run would still say that both arrived.
TEST_P(RunOutputThroughAFront, ReportAndLogInOneFileAreRefusedBeforeAnyChange) {
    const auto before = sortedRows(LedgerFile(m_path), kAllOpeningRows);
    const std::string both = m_dir.file("run.out");
    const auto result = runThrough(GetParam(), {m_path, 1, "skip", both, both});
    EXPECT_TRUE(answered(result, Outcome::Refused));
    EXPECT_NE(result.err.find(both), std::string::npos) << result.err;
    EXPECT_EQ(sortedRows(LedgerFile(m_path), kAllOpeningRows), before);
}

TEST_P(RunOutputThroughAFront, ThatCannotBeCompletedLeavesTheRunDoneAndSaysSo) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    for (const bool report : {true, false}) {
        SCOPED_TRACE(report ? "report" : "log");
        const auto result =
            runThrough(GetParam(), {m_path, 1, "skip", report ? "/dev/full" : "", report ? "" : "/dev/full"});
        EXPECT_TRUE(answered(result, Outcome::OutputIncomplete));
        EXPECT_NE(result.err.find("/dev/full"), std::string::npos) << result.err;
        // The summary comes first and still arrives.
        if (GetParam() == Front::Command) {
            EXPECT_NE(result.out.find("result: true"), std::string::npos);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothFronts, RunOutputThroughAFront,
                         ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

TEST_F(RunOutput, ReportOnStandardOutputLeavesTheSummaryOnStandardError) {
    const auto result =
        runCommand({"run", "--db", m_path, "--ui", "none", "--report", "-", "--busy-timeout", "0.5"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out)["pairs_regenerated"], 6);
    EXPECT_NE(result.err.find("result: true"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace tarvenish::test
