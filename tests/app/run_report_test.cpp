// The accountant's reconciliation report: made from the run's journal after a run through either front,
// every text escaped, and the runs journaled before its facts were kept still reported.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "base/number_format.h"
#include "command_support.h"
#include "front.h"

namespace tarvenish::test {
namespace {

class ReconciliationReport : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

// A run through the library or the command, then `tarvenish report`: a row per balanced pair with its names,
// the stock ledger's side and the balancing line in their masks; the rebuilt pairs in their own list.
TEST_P(ReconciliationReport, HoldsARowPerPairNotRebuiltAutomatically) {
    const std::string path = makeDemo(m_dir, "set.db", PairMode::Warehouse);
    const Scenario scenario{path, 1, "balance", {}, {}, false, {}};
    ASSERT_TRUE(answered(runThrough(GetParam(), scenario), Outcome::Done));
    const std::string html = m_dir.file("report.html");
    const CommandResult made = runCommand({"report", "--db", path, "--html", html});
    ASSERT_EQ(made.exitCode, 0) << made.err;

    const LedgerFile file(path);
    const std::string page = fileText(html);
    const auto balanced = file.rows(
        "select pair_code, pair_name, inv_name, stock_money from tarvenish_pair_facts where "
        "action='balanced'");
    ASSERT_FALSE(balanced.empty());
    std::size_t rows = 0;
    for (std::size_t at = page.find("<tr class=\"pair\">"); at != std::string::npos;
         at = page.find("<tr class=\"pair\">", at + 1))
        ++rows;
    EXPECT_EQ(rows, balanced.size());
    for (const auto& pair : balanced) {
        EXPECT_NE(page.find("<td>" + *pair[1] + "</td>"), std::string::npos) << *pair[1];
        EXPECT_NE(page.find("<td>" + *pair[2] + "</td>"), std::string::npos) << *pair[2];
        // Money at two decimals whatever the journal's shortest text of it.
        EXPECT_NE(page.find(">" + formatNumber(std::stod(*pair[3]), "0.00") + "<"), std::string::npos)
            << *pair[3];
    }
    EXPECT_NE(page.find("<td>JUST"), std::string::npos);
    EXPECT_NE(page.find("<details id=\"rebuilt\">"), std::string::npos);
    EXPECT_NE(page.find("<html lang=\"zh-CN\">"), std::string::npos);
    EXPECT_NE(page.find("期初结存重建对账报告"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothFronts, ReconciliationReport, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

TEST(ReconciliationReportPage, EscapesACodeThatHoldsMarkup) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse);
    const LedgerFile file(path);
    for (const auto& table :
         file.rows("select name from sqlite_master where type='table' and sql like '%cWhCode%'"))
        file.exec("update \"" + *table[0] + "\" set cWhCode='<b>W&1''\"' where cWhCode='W01'");
    ASSERT_EQ(runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "skip"}).exitCode, 3);
    const std::string html = dir.file("report.html");
    ASSERT_EQ(runCommand({"report", "--db", path, "--html", html, "--lang", "en"}).exitCode, 0);
    const std::string page = fileText(html);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_NE(page.find("<td>&lt;b&gt;W&amp;1&#39;&quot;</td>"), std::string::npos);
    EXPECT_NE(page.find("Left as they were"), std::string::npos);
}

// A journal made before the report's facts were kept: the next run adds their tables beside it, and the
// report of the old run shows its confirmed pairs and says what is missing.
TEST(ReconciliationReportPage, OfARunJournaledBeforeItsFactsSaysWhatIsMissing) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse);
    ASSERT_EQ(runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "balance"}).exitCode, 0);
    LedgerFile(path).exec("drop table tarvenish_run_facts; drop table tarvenish_pair_facts;");
    ASSERT_EQ(runCommand({"undo", "--db", path}).exitCode, 0);
    ASSERT_EQ(runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "skip"}).exitCode, 3);

    const std::string html = dir.file("old.html");
    ASSERT_EQ(runCommand({"report", "--db", path, "--run", "1", "--html", html, "--lang", "en"}).exitCode, 0);
    const std::string old = fileText(html);
    EXPECT_NE(old.find("journaled before the facts this report needs were kept"), std::string::npos);
    EXPECT_NE(old.find("<td>Confirmed in the dialog</td>"), std::string::npos);
    EXPECT_NE(old.find("no: undone at"), std::string::npos);

    ASSERT_EQ(runCommand({"report", "--db", path, "--html", html, "--lang", "en"}).exitCode, 0);
    const std::string latest = fileText(html);
    EXPECT_EQ(latest.find("journaled before the facts"), std::string::npos);
    EXPECT_NE(latest.find("<td>Left as they were</td>"), std::string::npos);
    const std::string left = *LedgerFile(path).scalar(
        "select count(*) from tarvenish_pair_facts where run_id=2 and action='left'");
    EXPECT_NE(latest.find(left + " pairs left as they were"), std::string::npos) << latest;
}

}  // namespace
}  // namespace tarvenish::test
