// After a cancel the run counts and names the pairs it never reached, and a run whose dialogs a policy
// answered does not say they were confirmed in the dialog; through either front.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>
#include <string>

#include "command_support.h"
#include "front.h"

namespace tarvenish::test {
namespace {

nlohmann::json reportOf(const std::string& path) {
    return nlohmann::json::parse(fileText(path));
}

class RunSummary : public ::testing::TestWithParam<Front> {
protected:
    [[nodiscard]] Scenario scenario(const std::string& onMismatch) {
        Scenario s;
        s.accountSet = makeDemo(m_dir, "set.db", PairMode::Warehouse);
        s.onMismatch = onMismatch;
        s.reportPath = m_dir.file("report.json");
        return s;
    }
    ScratchDir m_dir;
};

TEST_P(RunSummary, CountsAndNamesThePairsACancelLeftUnreached) {
    const Scenario s = scenario("cancel");
    const FrontResult result = runThrough(GetParam(), s);
    ASSERT_TRUE(answered(result, Outcome::Cancelled));
    const nlohmann::json report = reportOf(s.reportPath);
    const int counted = report["pairs_regenerated"].get<int>() + report["pairs_confirmed"].get<int>() +
                        report["pairs_skipped"].get<int>() + report["pairs_failed"].get<int>();
    const int notReached = report["pairs_not_reached"];
    ASSERT_GT(notReached, 0) << report.dump(2);
    EXPECT_EQ(counted + notReached, report["pairs_total"].get<int>());
    ASSERT_EQ(report["not_reached"].size(), static_cast<std::size_t>(notReached));
    const std::string first = report["not_reached"][0];
    const std::string reason = report["reason"];
    EXPECT_NE(reason.find(std::to_string(notReached) + " pair"), std::string::npos) << reason;
    EXPECT_NE(reason.find(first), std::string::npos) << reason;
    if (GetParam() == Front::Command) {
        EXPECT_NE(result.out.find(", " + std::to_string(notReached) + " not reached\n"), std::string::npos)
            << result.out;
        EXPECT_NE(result.out.find("not reached (they keep their rows): " + first), std::string::npos)
            << result.out;
    }
}

TEST_P(RunSummary, SaysAPolicyAnsweredWhenNoDialogWasShown) {
    const Scenario s = scenario("balance");
    const FrontResult result = runThrough(GetParam(), s);
    ASSERT_TRUE(answered(result, Outcome::Done));
    const nlohmann::json report = reportOf(s.reportPath);
    EXPECT_GT(report["pairs_confirmed"].get<int>(), 0);
    EXPECT_EQ(report["dialogs_answered_by"], "policy");
    if (GetParam() == Front::Command) {
        EXPECT_NE(result.out.find(" answered by the policy, "), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("confirmed in the dialog"), std::string::npos) << result.out;
    }
}

INSTANTIATE_TEST_SUITE_P(BothFronts, RunSummary, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

}  // namespace
}  // namespace tarvenish::test
