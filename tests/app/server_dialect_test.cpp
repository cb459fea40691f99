// Which dialect reaches the account set for each value of the host's flag: a database server (here the
// SQLite ODBC driver under a server's name, so that SQLite keeps the rows while the component takes the
// server's path) is sent no desktop text at all, and SQLite keeps taking every flag as before.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "command_support.h"
#include "front.h"
#include "ledger/sql/statements.h"

namespace tarvenish::test {
namespace {

constexpr std::string_view kAllRows = "select * from IA_Subsidiary";
constexpr std::string_view kServerOnly =
    "the account set is on a database server, which takes the server dialect";

std::string serverNamed(const std::string& path) {
    return "Driver=SQLite3AsServer;Database=" + path + ";";
}

std::size_t occurrences(const std::string& text, std::string_view part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(ServerDialect, RefusesTheDesktopFlagForTheRunVerifyAndBothChecksThroughTheCommand) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "ledger.db", PairMode::Department);
    const auto before = sortedRows(LedgerFile(path), kAllRows);
    for (const std::string command : {"check-start", "check-documents", "verify", "run"}) {
        std::vector<std::string> args = {command, "--connection", serverNamed(path), "--acc-sql", "0"};
        if (command == "run") args.insert(args.end(), {"--ui", "none", "--on-mismatch", "balance"});
        const CommandResult result = runCommand(args);
        EXPECT_EQ(result.exitCode, 2) << command << ": " << result.out << result.err;
        EXPECT_NE(result.err.find(kServerOnly), std::string::npos) << command << ": " << result.err;
    }
    EXPECT_EQ(sortedRows(LedgerFile(path), kAllRows), before);
}

TEST(ServerDialect, RefusesEveryUndefinedFlagForTheRunAndBothChecksThroughTheLibrary) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "ledger.db", PairMode::Department);
    const auto before = sortedRows(LedgerFile(path), kAllRows);
    for (const int flag : {2, -1, 32767}) {
        Scenario scenario;
        scenario.accountSet = path;
        scenario.accSql = flag;
        scenario.connection = serverNamed(path);
        const FrontResult result = runThrough(Front::Library, scenario);
        EXPECT_TRUE(answered(result, Outcome::Refused)) << flag << ": " << result.out << result.err;
        // IFIAstart, IFEnd and JustAccount each say why they answered false.
        EXPECT_EQ(occurrences(result.err, "TARVENISH: " + std::string(kServerOnly)), 3U)
            << flag << ": " << result.err;
        EXPECT_NE(result.err.find("AccSql " + std::to_string(flag)), std::string::npos) << result.err;
    }
    EXPECT_EQ(sortedRows(LedgerFile(path), kAllRows), before);
}

// A desktop file behind its own driver (here the SQLite driver under that driver's name) takes the desktop
// dialect only.
TEST(DesktopFileDialect, RefusesTheServerFlagThroughBothFronts) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "ledger.db", PairMode::Warehouse);
    const auto before = sortedRows(LedgerFile(path), kAllRows);
    for (const Front front : {Front::Command, Front::Library}) {
        Scenario scenario;
        scenario.accountSet = path;
        scenario.accSql = 1;
        scenario.onMismatch = "balance";
        scenario.connection = "Driver=SQLite3AsDesktop;Database=" + path + ";";
        const FrontResult result = runThrough(front, scenario);
        EXPECT_TRUE(answered(result, Outcome::Refused))
            << frontName(front) << ": " << result.out << result.err;
        EXPECT_NE(result.err.find("a desktop database file, which takes the desktop dialect only"),
                  std::string::npos)
            << frontName(front) << ": " << result.err;
    }
    EXPECT_EQ(sortedRows(LedgerFile(path), kAllRows), before);
}

TEST(ServerDialect, MixedFlagStillSendsTheDesktopPreparationAndServerPairsToSqlite) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "ledger.db", PairMode::Department);
    Scenario scenario;
    scenario.accountSet = path;
    scenario.accSql = 2;
    scenario.onMismatch = "balance";
    scenario.logPath = dir.file("run.sql");
    ASSERT_TRUE(answered(runThrough(Front::Library, scenario), Outcome::Done));
    std::ifstream in(scenario.logPath);
    std::set<std::string> logged;
    for (std::string line; std::getline(in, line);) logged.insert(line);

    EXPECT_TRUE(logged.contains(sql::departmentFill(Dialect::Desktop).text()));
    std::set<std::string> desktop;
    for (const Statement& statement : sql::issuedQuantityPrepare(Dialect::Desktop)) {
        desktop.insert(statement.text());
        EXPECT_TRUE(logged.contains(statement.text())) << statement.text();
    }
    for (const Statement& statement : sql::issuedQuantityPrepare(Dialect::Server)) {
        if (!desktop.contains(statement.text())) {
            EXPECT_FALSE(logged.contains(statement.text())) << statement.text();
        }
    }
    // The demo keeps quantities at two decimals.
    EXPECT_TRUE(logged.contains(sql::pairSummary(Dialect::Server, PairMode::Department, 2).text()));
}

}  // namespace
}  // namespace tarvenish::test
