// The accountant's safety net around the rebuild, through the command and the library: a dry run, the
// per-pair details, a backup before the first change, and the read-only verification of every pair.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "command_support.h"
#include "front.h"

namespace tarvenish::test {
namespace {

// Every table's rows and the schema itself: two files that agree here hold the same account set.
std::map<std::string, std::vector<std::string>> everyTable(const std::string& path) {
    const LedgerFile file(path);
    std::map<std::string, std::vector<std::string>> tables;
    tables["(schema)"] = sortedRows(file, "select type, name, tbl_name, sql from sqlite_master");
    for (const auto& row : file.rows("select name from sqlite_master where type='table'"))
        tables[*row[0]] = sortedRows(file, "select * from \"" + *row[0] + "\"");
    return tables;
}

nlohmann::json reportOf(const std::string& path) {
    return nlohmann::json::parse(fileText(path));
}

class DryRun : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

TEST_P(DryRun, LeavesEveryTableAsItWasAndReportsWhatARealRunDoes) {
    const std::string dry = makeDemo(m_dir, "dry.db", PairMode::Warehouse);
    const std::string real = m_dir.file("real.db");
    std::filesystem::copy_file(dry, real);
    const auto before = everyTable(dry);

    Scenario scenario{dry, 1, "balance", m_dir.file("dry.json"), {}, true, {}};
    const FrontResult dryResult = runThrough(GetParam(), scenario);
    ASSERT_TRUE(answered(dryResult, Outcome::Done)) << dryResult.err;
    EXPECT_EQ(everyTable(dry), before);
    EXPECT_FALSE(std::filesystem::exists(dry + ".tarvenish-lock"));

    const FrontResult realResult =
        runThrough(GetParam(), {real, 1, "balance", m_dir.file("real.json"), {}, false, {}});
    ASSERT_TRUE(answered(realResult, Outcome::Done)) << realResult.err;
    auto dryReport = reportOf(m_dir.file("dry.json"));
    auto realReport = reportOf(m_dir.file("real.json"));
    EXPECT_EQ(dryReport["dry_run"], true);
    EXPECT_EQ(realReport["dry_run"], false);
    EXPECT_GT(realReport["rows_inserted"], 0);
    EXPECT_TRUE(dryReport["journal_run"].is_null());
    EXPECT_EQ(realReport["journal_run"], 1);
    // Two runs never take the same time.
    for (const char* key : {"dry_run", "journal_run", "timings"}) {
        dryReport.erase(key);
        realReport.erase(key);
    }
    EXPECT_EQ(dryReport, realReport);
}

INSTANTIATE_TEST_SUITE_P(BothFronts, DryRun, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

std::vector<std::vector<std::string>> csvLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::vector<std::string>> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields(1);
        for (const char c : line) {
            if (c == ',') {
                fields.emplace_back();
            } else {
                fields.back() += c;
            }
        }
        lines.push_back(std::move(fields));
    }
    return lines;
}

class Details : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

TEST_P(Details, HaveOneLinePerPairWithItsActionAndAreTheSameForADryRun) {
    const std::string dry = makeDemo(m_dir, "dry.db", PairMode::Warehouse);
    const std::string real = m_dir.file("real.db");
    std::filesystem::copy_file(dry, real);

    Scenario scenario{dry, 1, "balance", m_dir.file("dry.json"), {}, true, m_dir.file("dry.csv")};
    const FrontResult dryResult = runThrough(GetParam(), scenario);
    ASSERT_TRUE(answered(dryResult, Outcome::Done)) << dryResult.err;
    scenario = {real, 1, "balance", m_dir.file("real.json"), {}, false, m_dir.file("real.csv")};
    const FrontResult realResult = runThrough(GetParam(), scenario);
    ASSERT_TRUE(answered(realResult, Outcome::Done)) << realResult.err;

    const auto lines = csvLines(m_dir.file("real.csv"));
    EXPECT_EQ(csvLines(m_dir.file("dry.csv")), lines);
    const nlohmann::json report = reportOf(m_dir.file("real.json"));
    ASSERT_GT(report["pairs_confirmed"].get<int>(), 0);
    ASSERT_EQ(lines.size(), 1 + report["pairs_total"].get<std::size_t>());
    EXPECT_EQ(lines[0][0],
              "\xEF\xBB\xBF"
              "code");
    std::map<std::string, int> actions;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto& line = lines[i];
        ASSERT_EQ(line.size(), lines[0].size());
        ++actions[line[2]];
        // A balanced pair took its balancing line; a rebuilt one holds the totals it was compared by.
        if (line[2] == "balanced") {
            EXPECT_TRUE(line[15].starts_with("JUST")) << line[15];
            EXPECT_FALSE(line[16].empty() || line[17].empty());
        } else {
            EXPECT_EQ(line[2], "rebuilt");
            EXPECT_EQ(line[15], "");
            EXPECT_EQ(line[7], line[11]);
            EXPECT_EQ(line[8], line[12]);
        }
    }
    EXPECT_EQ(actions["balanced"], report["pairs_confirmed"].get<int>());
    EXPECT_EQ(actions["rebuilt"], report["pairs_regenerated"].get<int>());
}

// An unattended confirm commits into the batch of rebuilt pairs: when that batch is lost, the balanced pair
// kept its old rows and is reported failed, never confirmed, and the run answers false.
TEST_P(Details, SayFailedForABalancedPairWhoseBatchWasLost) {
    const std::string path = makeDemo(m_dir, "set.db", PairMode::Warehouse, 4, 25);
    // A balancing line leaves a child without its parent, which only the batch's real commit refuses.
    LedgerFile(path).exec(
        "create table parent(id integer primary key);"
        "create table child(p references parent(id) deferrable initially deferred);"
        "create trigger orphan after insert on IA_Subsidiary when new.cVouCode like 'JUST%' "
        "begin insert into child values (7); end;");
    const std::string before = m_dir.file("before.db");
    std::filesystem::copy_file(path, before);
    Scenario scenario{path, 1, "balance", m_dir.file("run.json"), {}, false, m_dir.file("run.csv")};
    scenario.engine = EngineKind::Odbc;
    scenario.odbcOptions = "FKSupport=1;";
    const FrontResult result = runThrough(GetParam(), scenario);
    ASSERT_TRUE(answered(result, Outcome::PairsFailed)) << result.err;

    // The batch's other pairs are rebuilt again on their own; the balanced one fails again, alone.
    const nlohmann::json report = reportOf(m_dir.file("run.json"));
    EXPECT_EQ(report["pairs_confirmed"], 0);
    EXPECT_EQ(report["pairs_failed"], 1);
    EXPECT_EQ(report["pairs_regenerated"], report["pairs_total"].get<int>() - 1);
    std::vector<std::string> failedPairs;
    for (const auto& line : csvLines(m_dir.file("run.csv")))
        if (line[2] == "failed") failedPairs.push_back(line[0] + "/" + line[1]);
    ASSERT_EQ(failedPairs.size(), 1U);
    const std::string ofPair =
        "select * from IA_Subsidiary where cWhCode || '/' || cInvCode='" + failedPairs.front() + "'";
    EXPECT_EQ(sortedRows(LedgerFile(path), ofPair), sortedRows(LedgerFile(before), ofPair));
}

// A code holding a comma and both quotes reaches every statement safely and its CSV field is quoted.
TEST_P(Details, QuoteACodeHoldingACommaAndQuotes) {
    const std::string path = makeDemo(m_dir, "set.db", PairMode::Warehouse);
    const LedgerFile file(path);
    for (const auto& table :
         file.rows("select name from sqlite_master where type='table' and sql like '%cWhCode%'"))
        file.exec("update \"" + *table[0] + "\" set cWhCode='W,\"1''' where cWhCode='W01'");

    const Scenario scenario{path, 1, "balance", {}, {}, false, m_dir.file("pairs.csv")};
    const FrontResult result = runThrough(GetParam(), scenario);
    ASSERT_TRUE(answered(result, Outcome::Done)) << result.out << result.err;
    std::stringstream text;
    text << std::ifstream(m_dir.file("pairs.csv")).rdbuf();
    EXPECT_NE(text.str().find("\r\n\"W,\"\"1'\",I00002,balanced,"), std::string::npos) << text.str();
}

INSTANTIATE_TEST_SUITE_P(BothFronts, Details, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

TEST(Backup, IsTheAccountSetAsTheRunFoundIt) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Department);
    const auto before = everyTable(path);
    const CommandResult result = runCommand(
        {"run", "--db", path, "--ui", "none", "--on-mismatch", "balance", "--backup", dir.file("copy.db")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(everyTable(dir.file("copy.db")), before);
    EXPECT_NE(everyTable(path), before);
}

TEST(Backup, ThatCannotBeWrittenStopsTheRunBeforeAnyChange) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse);
    const auto before = everyTable(path);
    const CommandResult result =
        runCommand({"run", "--db", path, "--ui", "none", "--backup", dir.file("no/such/folder/copy.db")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.out.find("failed: back up the account set"), std::string::npos) << result.out;
    EXPECT_EQ(everyTable(path), before);
}

struct VerifyCase {
    PairMode mode;
    int accSql;
};

class Verify : public ::testing::TestWithParam<VerifyCase> {
protected:
    [[nodiscard]] CommandResult verify(const std::string& path) const {
        return runCommand({"verify", "--db", path, "--acc-sql", std::to_string(GetParam().accSql)});
    }
    [[nodiscard]] nlohmann::json run(const std::string& path, const std::string& onMismatch) const {
        const std::string report = m_dir.file("report.json");
        const CommandResult result =
            runCommand({"run", "--db", path, "--acc-sql", std::to_string(GetParam().accSql), "--ui", "none",
                        "--on-mismatch", onMismatch, "--report", report});
        EXPECT_NE(result.exitCode, 1) << result.err;
        return reportOf(report);
    }
    ScratchDir m_dir;
};

// The pairs verify finds differing are exactly the pairs a run compares as differing and leaves.
TEST_P(Verify, FindsThePairsTheRunFindsDifferingAndAltersNothing) {
    const std::string path = makeDemo(m_dir, "set.db", GetParam().mode, 12, 34);
    const auto before = everyTable(path);
    const CommandResult first = verify(path);
    EXPECT_EQ(first.exitCode, 3) << first.err;
    EXPECT_EQ(everyTable(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + ".tarvenish-lock"));

    const nlohmann::json report = run(path, "skip");
    ASSERT_GT(report["pairs_skipped"].get<int>(), 0);
    const std::string figures = "verified: " + std::to_string(report["pairs_total"].get<int>()) + " pairs, " +
                                std::to_string(report["pairs_skipped"].get<int>()) + " differ";
    EXPECT_NE(first.out.find(figures), std::string::npos) << first.out;
    EXPECT_NE(verify(path).out.find(figures), std::string::npos);
}

// A balanced pair differs from its stock ledger on purpose once the journal says it was confirmed so.
TEST_P(Verify, CountsAPairConfirmedAndUnchangedSinceAsAdjusted) {
    const std::string path = makeDemo(m_dir, "set.db", GetParam().mode, 12, 34);
    const CommandResult first = verify(path);
    ASSERT_EQ(first.exitCode, 3);
    EXPECT_NE(first.out.find("differs: "), std::string::npos);
    (void)run(path, "balance");
    // The run's journal says which pairs an accountant confirmed, and as which rows.
    const CommandResult adjusted = verify(path);
    EXPECT_EQ(adjusted.exitCode, 0) << adjusted.out << adjusted.err;
    EXPECT_NE(adjusted.out.find("adjusted: "), std::string::npos);

    // Changed since the confirm: no longer on purpose.
    LedgerFile(path).exec("update IA_Subsidiary set iAInQuantity=iAInQuantity+1 where cvoucode like 'JUST%'");
    EXPECT_EQ(verify(path).exitCode, 3);
}

// Opening rows deleted by hand (or by a trigger) leave a pair that the run would never visit again.
TEST_P(Verify, NamesAPairWithOpeningReceiptsAndNoOpeningRows) {
    const std::string path = makeDemo(m_dir, "set.db", GetParam().mode, 12, 0);
    ASSERT_EQ(verify(path).exitCode, 0);
    LedgerFile(path).exec(
        "delete from IA_Subsidiary where cVouType='34' and cInvCode=(select min(cInvCode) from "
        "IA_Subsidiary)");
    const CommandResult missing = verify(path);
    EXPECT_EQ(missing.exitCode, 3) << missing.out << missing.err;
    EXPECT_NE(missing.out.find("missing: "), std::string::npos) << missing.out;
    EXPECT_EQ(missing.out.find("differs: "), std::string::npos) << missing.out;
}

INSTANTIATE_TEST_SUITE_P(
    BothModesAndDialects, Verify,
    ::testing::Values(VerifyCase{PairMode::Warehouse, 1}, VerifyCase{PairMode::Warehouse, 0},
                      VerifyCase{PairMode::Department, 1}, VerifyCase{PairMode::Department, 0}),
    [](const ::testing::TestParamInfo<VerifyCase>& p) {
        return std::string(p.param.mode == PairMode::Warehouse ? "Warehouse" : "Department") +
               (p.param.accSql == 1 ? "Server" : "Desktop");
    });

}  // namespace
}  // namespace tarvenish::test
