// What an accountant reads besides the report: the details file a spreadsheet opens, verify's short answer
// and its details, and history's outcome of each run.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "command_support.h"
#include "front.h"

namespace tarvenish::test {
namespace {

class DetailsForASpreadsheet : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

// A left pair shows the stock ledger's side and the difference beside its names; a code a spreadsheet would
// take for a formula is kept as text, and the file starts with a byte-order mark.
TEST_P(DetailsForASpreadsheet, ShowTheStockLedgerSideAndGuardFormulas) {
    const std::string path = makeDemo(m_dir, "set.db", PairMode::Warehouse);
    const LedgerFile file(path);
    for (const auto& table :
         file.rows("select name from sqlite_master where type='table' and sql like '%cWhCode%'"))
        file.exec("update \"" + *table[0] + "\" set cWhCode='=1+2' where cWhCode='W01'");
    Scenario scenario{path, 1, "skip", {}, {}, false, {}};
    scenario.detailsPath = m_dir.file("pairs.csv");
    ASSERT_TRUE(answered(runThrough(GetParam(), scenario), Outcome::PairsLeft));

    const std::string text = fileText(scenario.detailsPath);
    EXPECT_TRUE(
        text.starts_with("\xEF\xBB\xBF"
                         "code,item,action,name,item_name,"))
        << text;
    EXPECT_EQ(text.find("\r\n=1+2,"), std::string::npos);
    EXPECT_NE(text.find("\r\n'=1+2,"), std::string::npos) << text;
    // The demo's differing pairs are left: each line holds its stock side and a difference that is not 0.
    std::size_t left = 0;
    for (std::size_t at = text.find(",left,"); at != std::string::npos; at = text.find(",left,", at + 1)) {
        // From the action on: action, name, item name, rows before and after, then the figures.
        std::vector<std::string> fields(1);
        for (const char c : text.substr(at + 1, text.find("\r\n", at) - at - 1)) {
            if (c == ',') {
                fields.emplace_back();
            } else {
                fields.back() += c;
            }
        }
        ASSERT_EQ(fields.size(), 16U);
        EXPECT_FALSE(fields[1].empty() || fields[2].empty()) << "names";
        EXPECT_FALSE(fields[7].empty() || fields[8].empty()) << "stock ledger side";
        EXPECT_TRUE(fields[12] != "0.00" || fields[13] != "0.00") << "difference";
        ++left;
    }
    EXPECT_GT(left, 0U);
}

INSTANTIATE_TEST_SUITE_P(BothFronts, DetailsForASpreadsheet,
                         ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

// verify names the first ten differing pairs and how many more, and --details has every one.
TEST(VerifyAnswer, NamesTheFirstDifferingPairsAndWritesEveryOneToItsDetails) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse, 60, 50);
    const CommandResult verified = runCommand({"verify", "--db", path, "--details", dir.file("verify.csv")});
    ASSERT_EQ(verified.exitCode, 3) << verified.err;
    const std::string details = fileText(dir.file("verify.csv"));
    std::size_t differing = 0;
    for (std::size_t at = details.find(",differs,"); at != std::string::npos;
         at = details.find(",differs,", at + 1))
        ++differing;
    ASSERT_GT(differing, 10U);
    // After the action come the warehouse's and the item's names, as in a run's details.
    const std::size_t first = details.find(",differs,") + std::string_view(",differs,").size();
    EXPECT_NE(details.substr(first, 2), ",,") << details.substr(first, 80);
    std::size_t named = 0;
    for (std::size_t at = verified.out.find("differs: "); at != std::string::npos;
         at = verified.out.find("differs: ", at + 1))
        ++named;
    EXPECT_EQ(named, 10U);
    EXPECT_NE(verified.out.find("... and " + std::to_string(differing - 10) + " more differing pairs"),
              std::string::npos)
        << verified.out;
}

// A run cancelled at its first pair changed nothing: no undo hint, and history says it was cancelled and
// cannot be undone, beside a run that can.
TEST(HistoryOutcome, SaysHowEachRunEndedAndWhetherItCanBeUndone) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse, 6, 100);
    const CommandResult cancelled =
        runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "cancel"});
    ASSERT_EQ(cancelled.exitCode, 1) << cancelled.err;
    EXPECT_EQ(cancelled.out.find("undo --run"), std::string::npos) << cancelled.out;
    const CommandResult balanced =
        runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "balance"});
    ASSERT_EQ(balanced.exitCode, 0) << balanced.err;
    EXPECT_NE(balanced.out.find("undo --run 2"), std::string::npos) << balanced.out;

    const std::string history = runCommand({"history", "--db", path}).out;
    EXPECT_NE(history.find("outcome"), std::string::npos) << history;
    const std::string first = history.substr(history.find("\n    1  "));
    EXPECT_NE(first.substr(0, first.find('\n', 1)).find(" cancelled "), std::string::npos) << history;
    EXPECT_NE(first.substr(0, first.find('\n', 1)).find("  no    no"), std::string::npos) << history;
    const std::string second = history.substr(history.find("\n    2  "));
    EXPECT_NE(second.find(" complete "), std::string::npos) << history;
    EXPECT_NE(second.find("  yes   no"), std::string::npos) << history;
}

}  // namespace
}  // namespace tarvenish::test
