// A run that answers false says why, through either front and in the same words: on standard error (after
// the command's summary, or from the library) and in the report's "reason", also when it did not start.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "command_support.h"
#include "front.h"
#include "ledger/db/run_lock.h"

namespace tarvenish::test {
namespace {

nlohmann::json reportOf(const std::string& path) {
    return nlohmann::json::parse(fileText(path));
}

std::string prefixOf(Front front) {
    return front == Front::Command ? "tarvenish: " : "TARVENISH: ";
}

enum class Fault {
    MissingFile,
    Folder,
    NotADatabase,
    NoHostTables,
    BadConnectionString,
    HeldRunLock,
    NoWindow,
    Cancel
};

struct FaultCase {
    const char* name;
    Fault fault;
    Outcome outcome;
    const char* says;  // part of the reason
};

class FalseAnswer : public ::testing::TestWithParam<std::tuple<FaultCase, Front>> {
protected:
    [[nodiscard]] const FaultCase& fault() const { return std::get<0>(GetParam()); }
    [[nodiscard]] Front front() const { return std::get<1>(GetParam()); }

    // The scenario of the fault; the account set a second run would find locked is the demo's.
    [[nodiscard]] Scenario scenarioOf(Fault fault) const {
        Scenario scenario;
        scenario.accountSet = m_dir.file("set.db");
        scenario.reportPath = m_dir.file("report.json");
        switch (fault) {
            case Fault::MissingFile:
                break;
            case Fault::Folder:
                std::filesystem::create_directory(scenario.accountSet);
                break;
            case Fault::NotADatabase:
                std::ofstream(scenario.accountSet) << "not a ledger\n";
                break;
            case Fault::NoHostTables: {
                std::ofstream touch(scenario.accountSet);
            }
                LedgerFile(scenario.accountSet).exec("create table Unrelated (id integer)");
                break;
            case Fault::BadConnectionString:
                scenario.connection = "Data Sorce=" + scenario.accountSet + ";";
                break;
            case Fault::HeldRunLock:
            case Fault::NoWindow:
            case Fault::Cancel:
                scenario.accountSet = makeDemo(m_dir, "demo.db", PairMode::Warehouse);
                scenario.onMismatch = fault == Fault::Cancel     ? "cancel"
                                      : fault == Fault::NoWindow ? ""
                                                                 : "skip";
                break;
        }
        return scenario;
    }

    ScratchDir m_dir;
};

TEST_P(FalseAnswer, SaysWhyOnStandardErrorAndInTheReport) {
    const Scenario scenario = scenarioOf(fault().fault);
    std::optional<RunLock> first;
    if (fault().fault == Fault::HeldRunLock) {
        first.emplace("Data Source=" + scenario.accountSet + ";");
        ASSERT_EQ(first->status(), RunLockStatus::Held) << first->problem();
    }
    const FrontResult result = runThrough(front(), scenario);
    ASSERT_TRUE(answered(result, fault().outcome));

    const nlohmann::json report = reportOf(scenario.reportPath);
    EXPECT_EQ(report["result"], false);
    ASSERT_TRUE(report["reason"].is_string()) << report.dump(2);
    const std::string reason = report["reason"];
    EXPECT_NE(reason.find(fault().says), std::string::npos) << reason;
    EXPECT_NE(result.err.find(prefixOf(front()) + reason + "\n"), std::string::npos) << result.err;
    // The example host asks IFIAstart and IFEnd first: an account set they cannot use is said for each too.
    if (front() == Front::Library && fault().outcome == Outcome::Refused) {
        std::size_t said = 0;
        for (std::size_t at = result.err.find(reason); at != std::string::npos;
             at = result.err.find(reason, at + 1))
            ++said;
        EXPECT_EQ(said, 3U) << result.err;
    }
}

const FaultCase kFaults[] = {
    {"MissingFile", Fault::MissingFile, Outcome::Refused, "the file does not exist"},
    {"Folder", Fault::Folder, Outcome::Refused, "names a folder"},
    {"NotADatabase", Fault::NotADatabase, Outcome::Refused, "file is not a database"},
    {"NoHostTables", Fault::NoHostTables, Outcome::Refused, "table AccInformation is missing"},
    {"BadConnectionString", Fault::BadConnectionString, Outcome::Refused, "names no Data Source"},
    {"HeldRunLock", Fault::HeldRunLock, Outcome::Locked, "another run"},
    {"Cancel", Fault::Cancel, Outcome::Cancelled, "cancelled in the adjustment dialog"},
};

INSTANTIATE_TEST_SUITE_P(BothFronts, FalseAnswer,
                         ::testing::Combine(::testing::ValuesIn(kFaults),
                                            ::testing::Values(Front::Command, Front::Library)),
                         [](const auto& p) {
                             return std::string(std::get<0>(p.param).name) + frontName(std::get<1>(p.param));
                         });

// The command always has a policy (--on-mismatch skip by default); only a host can leave the dialog
// unanswered.
INSTANTIATE_TEST_SUITE_P(LibraryOnly, FalseAnswer,
                         ::testing::Combine(::testing::Values(FaultCase{"NoWindow", Fault::NoWindow,
                                                                        Outcome::Cancelled,
                                                                        "no window can be shown"}),
                                            ::testing::Values(Front::Library)),
                         [](const auto& p) { return std::string(std::get<0>(p.param).name); });

class FailedPairs : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

// A rollback raised for one item takes the whole batch of commits with it; the other pairs are then rebuilt
// again on their own, and the run answers false for the item's pairs.
TEST_P(FailedPairs, AnswerFalseAndCostOnlyTheFailingItemsPairs) {
    const std::string path = makeDemo(m_dir, "set.db", PairMode::Warehouse);
    LedgerFile(path).exec(
        "create trigger refuse before insert on IA_Subsidiary when new.cInvCode='I00002' "
        "begin select raise(rollback, 'refused'); end");
    Scenario scenario;
    scenario.accountSet = path;
    scenario.onMismatch = "balance";
    scenario.reportPath = m_dir.file("report.json");
    const FrontResult result = runThrough(GetParam(), scenario);
    ASSERT_TRUE(answered(result, Outcome::PairsFailed));
    const nlohmann::json report = reportOf(scenario.reportPath);
    EXPECT_EQ(report["result"], false);
    const int itemPairs =
        std::stoi(LedgerFile(path)
                      .scalar("select count(distinct cWhCode) from IA_Subsidiary where cInvCode='I00002'")
                      .value_or("0"));
    ASSERT_GT(itemPairs, 0);
    EXPECT_EQ(report["pairs_failed"], itemPairs);
    EXPECT_EQ(report["pairs_regenerated"].get<int>() + report["pairs_confirmed"].get<int>(),
              report["pairs_total"].get<int>() - itemPairs);
    EXPECT_NE(report["reason"].get<std::string>().find("pairs failed"), std::string::npos);
    if (GetParam() == Front::Command) {
        EXPECT_EQ(result.out.rfind("result: false\n", 0), 0U) << result.out;
    }
}

INSTANTIATE_TEST_SUITE_P(BothFronts, FailedPairs, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

class UnfinishedJournal : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

// Every pair is rebuilt and checked, then the run's row cannot be completed: the rows stand, the record does
// not, and undo still has each pair's images.
TEST_P(UnfinishedJournal, SaysTheRowsAreRebuiltAndThatUndoStillPutsThemBack) {
    const std::string path = makeDemo(m_dir, "set.db", PairMode::Warehouse);
    ASSERT_EQ(runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "balance"}).exitCode, 0);
    const std::vector<std::string> before = sortedRows(LedgerFile(path), "select * from IA_Subsidiary");
    LedgerFile(path).exec(
        "create trigger full before update on tarvenish_runs when new.finished is not null "
        "begin select raise(fail, 'database or disk is full'); end");
    Scenario scenario;
    scenario.accountSet = path;
    scenario.onMismatch = "balance";
    const FrontResult result = runThrough(GetParam(), scenario);
    ASSERT_TRUE(answered(result, Outcome::OutputIncomplete));
    EXPECT_NE((result.out + result.err).find("hold their new opening rows"), std::string::npos) << result.err;
    EXPECT_NE((result.out + result.err).find("tarvenish undo --run 2 still puts them back"),
              std::string::npos);

    EXPECT_NE(runCommand({"history", "--db", path}).out.find("no (did not finish)"), std::string::npos);
    ASSERT_EQ(runCommand({"undo", "--db", path, "--run", "2"}).exitCode, 0);
    EXPECT_EQ(sortedRows(LedgerFile(path), "select * from IA_Subsidiary"), before);
}

INSTANTIATE_TEST_SUITE_P(BothFronts, UnfinishedJournal, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

}  // namespace
}  // namespace tarvenish::test
