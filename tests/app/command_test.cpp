// The command as people and scripts see it, and a run through either front: exit codes and answers, printed
// answers, the report and the statement log.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "command_support.h"
#include "component/adjustment_presenter.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "front.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/sql/statements.h"
#include "platform/headless/adjustment_presenters.h"
#include "reconcile/run.h"

// The hooks name only the one observer a test needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish::test {
namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

std::string lastLine(const std::string& text) {
    const auto all = lines(text);
    return all.empty() ? std::string() : all.back();
}

TEST(AccountSetOpening, RefusesAMissingFileWithoutCreatingIt) {
    ScratchDir dir;
    const std::string path = dir.file("missing.db");
    for (const char* command : {"check-start", "check-documents", "run"}) {
        SCOPED_TRACE(command);
        const auto result = runCommand({command, "--db", path, "--ui", "none"});
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST(AccountSetOpening, RefusesAFileThatIsNotADatabaseAndLeavesItAlone) {
    ScratchDir dir;
    const std::string path = dir.file("notes.db");
    std::ofstream(path) << "these are not the ledgers you are looking for\n";
    const std::string before = contents(path);

    const auto result = runCommand({"run", "--db", path, "--ui", "none"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("tarvenish:"), std::string::npos) << result.err;
    EXPECT_EQ(contents(path), before);
}

TEST(AccountSetOpening, RefusesADatabaseWithoutTheHostTables) {
    ScratchDir dir;
    const std::string path = dir.file("other.db");
    { std::ofstream touch(path); }
    LedgerFile(path).exec("create table Unrelated (id integer)");

    const auto result = runCommand({"check-start", "--db", path});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("AccInformation"), std::string::npos) << result.err;
}

class Checks : public ::testing::Test {
protected:
    ScratchDir m_dir;
    std::string m_path = makeDemo(m_dir, "checks.db", PairMode::Warehouse);
};

TEST_F(Checks, AnswerTrueWithExitZeroOnAReadyAccountSet) {
    for (const char* command : {"check-start", "check-documents"}) {
        SCOPED_TRACE(command);
        const auto result = runCommand({command, "--db", m_path});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(lastLine(result.out), "true");
    }
}

TEST_F(Checks, StartCheckAnswersFalseWithExitOneWithoutAStartDate) {
    LedgerFile(m_path).exec("delete from AccInformation where cName='dIAStartDate'");
    const auto result = runCommand({"check-start", "--db", m_path});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(lastLine(result.out), "false");
}

TEST_F(Checks, DocumentsCheckAnswersFalseWithExitOneForAnOutstandingDispatchList) {
    LedgerFile(m_path).exec(
        "insert into DispatchList (DLID, cSTCode, ISALE) values (7, '01', null);"
        "insert into DispatchLists (DLID, cwhcode, RdsID, iquantity, iOutQuantity) values (7, 'W01', 0, 3, "
        "0)");
    const auto result = runCommand({"check-documents", "--db", m_path, "--acc-sql", "1"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(lastLine(result.out), "false");
}

TEST(DemoCreation, RefusesToReplaceAnExistingFileUnlessForced) {
    ScratchDir dir;
    const std::string path = dir.file("demo.db");
    ASSERT_EQ(runCommand({"demo", "--db", path, "--pairs", "3"}).exitCode, 0);
    const std::string before = contents(path);

    const auto refused = runCommand({"demo", "--db", path, "--pairs", "5", "--seed", "9"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(contents(path), before);

    const auto forced = runCommand({"demo", "--db", path, "--pairs", "5", "--seed", "9", "--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(LedgerFile(path).scalar("select count(*) from RdRecord where cVouchType='34' and caccounter "
                                      "is not null and cWhCode in ('W01','W02','W03')"),
              "5");
}

// The run's answer, report and log through either front and either engine: the command's exit code, or
// JustAccount's answer in the library, by the same table.
class RunThroughAFront : public ::testing::TestWithParam<std::tuple<Front, EngineKind>> {
protected:
    [[nodiscard]] FrontResult run(const std::string& path, const std::string& onMismatch,
                                  const std::string& reportPath = "", const std::string& logPath = "") const {
        Scenario scenario{path, 1, onMismatch, reportPath, logPath};
        scenario.engine = std::get<1>(GetParam());
        return runThrough(std::get<0>(GetParam()), scenario);
    }
    ScratchDir m_dir;
};

TEST_P(RunThroughAFront, IsDoneWhenEveryPairMatches) {
    EXPECT_TRUE(answered(run(makeDemo(m_dir, "match.db", PairMode::Warehouse, 6, 0), "skip"), Outcome::Done));
}

TEST_P(RunThroughAFront, IsDoneWhenEveryMismatchedPairIsBalanced) {
    EXPECT_TRUE(answered(run(makeDemo(m_dir, "balance.db", PairMode::Warehouse), "balance"), Outcome::Done));
}

TEST_P(RunThroughAFront, SaysPairsWereLeftWhenMismatchedPairsAreSkipped) {
    EXPECT_TRUE(answered(run(makeDemo(m_dir, "skip.db", PairMode::Warehouse), "skip"), Outcome::PairsLeft));
}

TEST_P(RunThroughAFront, IsCancelledWhenTheDialogIsCancelled) {
    const std::string path = makeDemo(m_dir, "cancel.db", PairMode::Department);
    EXPECT_TRUE(answered(run(path, "cancel"), Outcome::Cancelled));
    EXPECT_FALSE(LedgerFile(path).hasColumn("RdRecords", "isOutQuantity_s"));
}

TEST_P(RunThroughAFront, SaysTheCheckDifferedWhenTheRowsReadBackDoNotHoldWhatWasWritten) {
    const std::string path = makeDemo(m_dir, "check.db", PairMode::Warehouse);
    // A trigger of the host's own adds a cent to every opening row written after the run's.
    LedgerFile(path).exec(
        "create trigger cent after insert on IA_Subsidiary when new.cVouType='34' begin update IA_Subsidiary "
        "set iAInPrice=iAInPrice+0.01 where rowid=new.rowid; end");
    const std::string reportPath = m_dir.file("report.json");
    EXPECT_TRUE(answered(run(path, "balance", reportPath), Outcome::CheckDiffered));
    const auto report = nlohmann::json::parse(contents(reportPath));
    EXPECT_EQ(report["result"], false);
    EXPECT_EQ(report["verification"]["pairs_differing"], report["pairs_total"]);
}

class RunExitCode : public ::testing::Test {
protected:
    ScratchDir m_dir;
};

TEST_F(RunExitCode, IsTwoWithoutAWindowWhenTheNamedDisplayCannotBeReached) {
    const std::string path = makeDemo(m_dir, "display.db", PairMode::Warehouse);
    const std::vector<std::string> unreachable = {"DISPLAY=:97531", "QT_QPA_PLATFORM"};
    const auto window = runCommand({"run", "--db", path, "--ui", "qt"}, unreachable);
    EXPECT_EQ(window.exitCode, 2) << window.out << window.err;
    EXPECT_NE(window.err.find("display"), std::string::npos) << window.err;
    // Left to choose, the command answers by the policy instead of failing inside the window toolkit.
    const auto chosen =
        runCommand({"run", "--db", path, "--ui", "auto", "--on-mismatch", "skip"}, unreachable);
    EXPECT_EQ(chosen.exitCode, 3) << chosen.out << chosen.err;
}

TEST(KeepDate, OutsideTheYears100To9999StopsTheRunBeforeItWritesARow) {
    for (const char* keepDate : {"9e999", "5000000", "-700000"}) {
        SCOPED_TRACE(keepDate);
        ScratchDir dir;
        const std::string path = makeDemo(dir, "keep.db", PairMode::Warehouse);
        LedgerFile(path).exec(std::string("update IA_Subsidiary set dkeepdate=") + keepDate);
        const auto before = sortedRows(LedgerFile(path), "select * from IA_Subsidiary");

        const auto result = runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "balance"});
        EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
        EXPECT_NE(result.out.find("keep date"), std::string::npos) << result.out;
        EXPECT_EQ(sortedRows(LedgerFile(path), "select * from IA_Subsidiary"), before);
    }
}

TEST_P(RunThroughAFront, WritesAReportWithExactlyTheDocumentedFieldsAndFiguresThatAddUp) {
    const std::string path = makeDemo(m_dir, "report.db", PairMode::Warehouse);
    const std::string specific = "cVouType='34' and cWhCode in ('W01','W02','W03')";
    const auto before =
        std::stoll(*LedgerFile(path).scalar("select count(*) from IA_Subsidiary where " + specific));

    const std::string reportPath = m_dir.file("report.json");
    ASSERT_TRUE(answered(run(path, "balance", reportPath), Outcome::Done));

    const auto report = nlohmann::json::parse(contents(reportPath));
    std::set<std::string> keys;
    for (const auto& [key, value] : report.items()) keys.insert(key);
    EXPECT_EQ(keys, (std::set<std::string>{"result",
                                           "reason",
                                           "dry_run",
                                           "journal_run",
                                           "backup",
                                           "pairs_total",
                                           "pairs_regenerated",
                                           "pairs_confirmed",
                                           "pairs_skipped",
                                           "pairs_failed",
                                           "pairs_not_reached",
                                           "not_reached",
                                           "dialogs_answered_by",
                                           "rows_deleted",
                                           "rows_inserted",
                                           "cancelled",
                                           "interrupted",
                                           "verification",
                                           "timings",
                                           "failures"}));
    EXPECT_EQ(report["result"], true);
    EXPECT_TRUE(report["reason"].is_null());
    EXPECT_EQ(report["cancelled"], false);
    EXPECT_EQ(report["interrupted"], false);
    std::set<std::string> checkKeys;
    for (const auto& [key, value] : report["verification"].items()) checkKeys.insert(key);
    EXPECT_EQ(checkKeys, (std::set<std::string>{"pairs_checked", "pairs_differing", "differences"}));
    std::set<std::string> timingKeys;
    for (const auto& [key, value] : report["timings"].items()) {
        timingKeys.insert(key);
        EXPECT_GE(value.get<double>(), 0.0) << key;
        // SQLite times each statement to its millisecond clock: its sum may round above a short run's total.
        if (key != "in_sqlite") {
            EXPECT_LE(value.get<double>(), report["timings"]["total"].get<double>()) << key;
        }
    }
    EXPECT_EQ(timingKeys, (std::set<std::string>{"issued_quantity", "totals_queries", "deletes", "inserts",
                                                 "commits", "check", "journal", "total", "in_sqlite"}));
    EXPECT_GT(report["timings"]["total"].get<double>(), 0.0);
    // Through ODBC the driver's SQLite is not the component's to time. (The embedded engine's time of so short
    // a run may be 0 too: every statement can fall within one tick of SQLite's millisecond clock.)
    if (std::get<1>(GetParam()) == EngineKind::Odbc) EXPECT_EQ(report["timings"]["in_sqlite"].get<double>(), 0.0);
    EXPECT_TRUE(report["failures"].empty());
    EXPECT_EQ(report["pairs_total"], 6);
    EXPECT_EQ(report["pairs_regenerated"].get<int>() + report["pairs_confirmed"].get<int>() +
                  report["pairs_skipped"].get<int>() + report["pairs_failed"].get<int>(),
              report["pairs_total"].get<int>());
    EXPECT_EQ(report["pairs_confirmed"], 2);

    // Every pair was rewritten, so all old rows went and every row there now is one the run wrote.
    const auto after =
        std::stoll(*LedgerFile(path).scalar("select count(*) from IA_Subsidiary where " + specific));
    EXPECT_EQ(report["rows_deleted"].get<long long>(), before);
    EXPECT_EQ(report["rows_inserted"].get<long long>(), after);
}

TEST_P(RunThroughAFront, WritesAReportThatNamesTheCancellationAndAFalseResult) {
    const std::string path = makeDemo(m_dir, "cancelled.db", PairMode::Warehouse);
    const std::string reportPath = m_dir.file("report.json");
    ASSERT_TRUE(answered(run(path, "cancel", reportPath), Outcome::Cancelled));
    const auto report = nlohmann::json::parse(contents(reportPath));
    EXPECT_EQ(report["result"], false);
    EXPECT_EQ(report["cancelled"], true);
}

// The statements with the journal's clock readings blanked: two runs may straddle a second.
std::vector<std::string> withoutTimes(std::vector<std::string> statements) {
    static const std::regex time("N'[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}Z'");
    for (auto& statement : statements) statement = std::regex_replace(statement, time, "N'(time)'");
    return statements;
}

// Runs the rebuild in this process as the command would, collecting what it sends.
std::vector<std::string> statementsSentInProcess(const std::string& path) {
    setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
    RunContext context;
    context.presenter = std::make_shared<HeadlessAdjustmentPresenter>(AdjustmentPolicy::Balance);
    std::vector<std::string> sent;
    {
        ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) { sent.emplace_back(s); }});
        (void)executeRun(context, DialectChoice::fromHostFlag(1), Connection::open(path));
    }
    setMessagePresenter(nullptr);
    ConnectionPool::clear();
    return sent;
}

TEST_P(RunThroughAFront, LogsOneLinePerStatementInTheOrderSent) {
    const std::string path = makeDemo(m_dir, "log.db", PairMode::Department);
    const std::string twin = m_dir.file("twin.db");
    std::filesystem::copy_file(path, twin);

    const std::string logPath = m_dir.file("run.sql");
    ASSERT_TRUE(answered(run(path, "balance", "", logPath), Outcome::Done));
    const auto logged = lines(contents(logPath));
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.front(), sql::accSetting("IA", "cValueStyle").text());
    EXPECT_EQ(withoutTimes(logged), withoutTimes(statementsSentInProcess(twin)));
}

INSTANTIATE_TEST_SUITE_P(BothFrontsAndEngines, RunThroughAFront,
                         ::testing::Combine(::testing::Values(Front::Command, Front::Library),
                                            ::testing::Values(EngineKind::Embedded, EngineKind::Odbc)),
                         [](const auto& p) {
                             return frontName(std::get<0>(p.param)) + engineName(std::get<1>(p.param));
                         });

}  // namespace
}  // namespace tarvenish::test
