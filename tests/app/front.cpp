#include "front.h"

#include <gtest/gtest.h>

#include "command_support.h"

namespace tarvenish::test {
namespace {

struct TableRow {
    int exitCode;
    bool justAccount;
};

TableRow tableRow(Outcome outcome) {
    switch (outcome) {
        case Outcome::Done:
            return {0, true};
        case Outcome::PairsLeft:
            return {3, true};
        case Outcome::PairsFailed:
            return {3, false};
        case Outcome::CheckDiffered:
            return {3, false};
        case Outcome::Cancelled:
            return {1, false};
        case Outcome::Refused:
            return {2, false};
        case Outcome::Locked:
            return {5, false};
        case Outcome::OutputIncomplete:
            return {4, true};
    }
    return {-1, false};
}

std::string connectionOf(const Scenario& scenario) {
    if (!scenario.connection.empty()) return scenario.connection;
    const std::string connection = connectionTo(scenario.accountSet, scenario.engine);
    return scenario.engine == EngineKind::Odbc ? connection + scenario.odbcOptions : connection;
}

FrontResult runCommandFront(const Scenario& scenario) {
    std::vector<std::string> args = {
        "run",
        scenario.engine == EngineKind::Embedded && scenario.connection.empty() ? "--db" : "--connection",
        connectionOf(scenario),
        "--acc-sql",
        std::to_string(scenario.accSql),
        "--ui",
        "none",
        "--on-mismatch",
        scenario.onMismatch};
    if (!scenario.reportPath.empty()) args.insert(args.end(), {"--report", scenario.reportPath});
    if (!scenario.logPath.empty()) args.insert(args.end(), {"--log", scenario.logPath});
    if (scenario.dryRun) args.emplace_back("--dry-run");
    if (!scenario.detailsPath.empty()) args.insert(args.end(), {"--details", scenario.detailsPath});
    const CommandResult result = runCommand(args);
    return {Front::Command, result.exitCode, std::nullopt, result.out, result.err};
}

// A setting the scenario leaves out is removed, so that the test's own environment cannot leak in.
std::string setting(const char* name, const std::string& value) {
    return value.empty() ? std::string(name) : std::string(name) + "=" + value;
}

FrontResult runLibraryFront(const Scenario& scenario) {
    const ScratchDir registry;
    const CommandResult result = runProgram(
        TARVENISH_EXAMPLE_HOST_PATH, {connectionOf(scenario), std::to_string(scenario.accSql)},
        {"TARVENISH_REGISTRY=" + registry.file("registry.json"),
         setting("TARVENISH_ON_MISMATCH", scenario.onMismatch),
         setting("TARVENISH_REPORT", scenario.reportPath), setting("TARVENISH_LOG", scenario.logPath),
         setting("TARVENISH_DRY_RUN", scenario.dryRun ? "1" : ""),
         setting("TARVENISH_DETAILS", scenario.detailsPath), "TARVENISH_BUSY_TIMEOUT"});
    FrontResult front{Front::Library, result.exitCode, std::nullopt, result.out, result.err};
    if (result.out.find("JustAccount: true\n") != std::string::npos) front.justAccount = true;
    if (result.out.find("JustAccount: false\n") != std::string::npos) front.justAccount = false;
    return front;
}

}  // namespace

FrontResult runThrough(Front front, const Scenario& scenario) {
    return front == Front::Command ? runCommandFront(scenario) : runLibraryFront(scenario);
}

::testing::AssertionResult answered(const FrontResult& result, Outcome expected) {
    const TableRow row = tableRow(expected);
    if (result.front == Front::Command && result.exitCode == row.exitCode)
        return ::testing::AssertionSuccess();
    if (result.front == Front::Library && result.justAccount == row.justAccount)
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << frontName(result.front) << " expected ";
    if (result.front == Front::Command) {
        failure << "exit " << row.exitCode << ", got " << result.exitCode;
    } else {
        failure << "JustAccount " << (row.justAccount ? "true" : "false") << ", got "
                << (result.justAccount ? (*result.justAccount ? "true" : "false") : "no answer");
    }
    return failure << "\nstdout:\n" << result.out << "\nstderr:\n" << result.err;
}

std::string frontName(Front front) {
    return front == Front::Command ? "Command" : "Library";
}

void PrintTo(Front front, std::ostream* out) {
    *out << frontName(front);
}

}  // namespace tarvenish::test
