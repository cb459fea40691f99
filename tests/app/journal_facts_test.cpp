// The journal's facts of the pairs a run did not rebuild on its own: written for a cancelled run's pairs
// through either front, said when they cannot be written, and the report's and verify's files guarded as
// run's outputs are.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "command_support.h"
#include "front.h"

namespace tarvenish::test {
namespace {

class JournalFacts : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

// Cancelled at its first differing pair: that pair and every one after it are in the journal, and the report
// shows them with the totals they kept.
TEST_P(JournalFacts, HoldTheCancelledPairAndEveryPairNotReached) {
    const std::string path = makeDemo(m_dir, "set.db", PairMode::Warehouse, 12, 25);
    const Scenario scenario{path, 1, "cancel", {}, {}, false, {}};
    ASSERT_TRUE(answered(runThrough(GetParam(), scenario), Outcome::Cancelled));

    const LedgerFile file(path);
    const auto cancelled = file.scalar("select count(*) from tarvenish_pair_facts where action='cancelled'");
    const auto notReached =
        file.scalar("select count(*) from tarvenish_pair_facts where action='not_reached'");
    const auto rebuilt =
        file.scalar("select count(distinct pair_code || '/' || inv_code) from tarvenish_journal");
    ASSERT_TRUE(cancelled && notReached && rebuilt);
    EXPECT_EQ(*cancelled, "1");
    EXPECT_EQ(std::stoi(*notReached) + std::stoi(*rebuilt) + 1, 12);
    EXPECT_EQ(file.scalar("select outcome from tarvenish_run_facts"), "cancelled");
    EXPECT_EQ(file.scalar("select pairs_not_reached from tarvenish_run_facts"),
              std::to_string(12 - std::stoi(*rebuilt)));

    const std::string html = m_dir.file("report.html");
    ASSERT_EQ(runCommand({"report", "--db", path, "--html", html, "--lang", "en"}).exitCode, 0);
    const std::string page = fileText(html);
    EXPECT_NE(page.find("<td>Cancelled here</td>"), std::string::npos);
    EXPECT_NE(page.find("<td>Not reached</td>"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothFronts, JournalFacts, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

// A fact the account set refuses costs no pair its rows: the run says its journal is incomplete (exit 4), the
// pairs hold what was counted, and the report says how many pairs it lacks.
TEST(JournalFactsRefused, LeaveThePairsDoneAndAreSaid) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse, 12, 25);
    // A first run makes the facts' tables; the trigger then refuses every fact of the next one.
    ASSERT_EQ(runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "skip"}).exitCode, 3);
    LedgerFile(path).exec(
        "create trigger refuse_facts before insert on tarvenish_pair_facts begin "
        "select raise(abort, 'no facts here'); end;");
    ASSERT_EQ(runCommand({"undo", "--db", path}).exitCode, 0);
    const CommandResult run = runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "balance"});
    EXPECT_EQ(run.exitCode, 4) << run.out << run.err;
    EXPECT_NE(run.out.find("could not be recorded in the journal"), std::string::npos) << run.out;
    EXPECT_EQ(runCommand({"verify", "--db", path}).exitCode, 0);

    const std::string html = dir.file("report.html");
    ASSERT_EQ(runCommand({"report", "--db", path, "--html", html, "--lang", "en"}).exitCode, 0);
    const auto balanced = LedgerFile(path).scalar(
        "select pairs_total - pairs_rebuilt from tarvenish_run_facts, "
        "tarvenish_runs where tarvenish_runs.run_id = 2 and "
        "tarvenish_run_facts.run_id = 2");
    ASSERT_TRUE(balanced);
    EXPECT_NE(fileText(html).find("The outcome of " + *balanced + " pairs could not be recorded"),
              std::string::npos);
}

// The report's page and verify's details are refused on the account set itself, as run's outputs are.
TEST(JournalFactsOutputs, AreRefusedOnTheAccountSet) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse);
    ASSERT_EQ(runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "balance"}).exitCode, 0);
    const auto size = std::filesystem::file_size(path);
    const CommandResult report = runCommand({"report", "--db", path, "--html", path});
    EXPECT_EQ(report.exitCode, 2);
    EXPECT_NE(report.err.find("--html"), std::string::npos) << report.err;
    const CommandResult verify = runCommand({"verify", "--db", path, "--details", path + "-wal"});
    EXPECT_EQ(verify.exitCode, 2);
    EXPECT_NE(verify.err.find("--details"), std::string::npos) << verify.err;
    EXPECT_EQ(std::filesystem::file_size(path), size);
    EXPECT_EQ(runCommand({"verify", "--db", path}).exitCode, 0);
}

}  // namespace
}  // namespace tarvenish::test
