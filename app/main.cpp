// tarvenish: the host's stand-in for people and scripts. Asks whether the rebuild may run, runs it on an
// account set, and makes demo account sets.

#include <CLI/CLI.hpp>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "app/account_set.h"
#include "app/commands.h"
#include "app/journal_commands.h"
#include "app/report_command.h"
#include "ledger/engines.h"

namespace {

using tarvenish::app::AccountSetOptions;

constexpr std::string_view kCommands[] = {"check-start", "check-documents", "run",    "verify",
                                          "undo",        "history",         "report", "demo"};
constexpr double kMostBusySeconds = 24 * 3600.0;

// --db or --connection: the account set a subcommand works on.
void addAccountSet(CLI::App& command, AccountSetOptions& accountSet) {
    auto* db = command.add_option("--db", accountSet.path, "the account set, a SQLite file");
    auto* connection = command.add_option("--connection", accountSet.connectionString,
                                          "the account set's connection string");
    db->excludes(connection);
}

void addAccountSetAndDialect(CLI::App& command, AccountSetOptions& accountSet) {
    addAccountSet(command, accountSet);
    auto* accSqlOption =
        command
            .add_option("--acc-sql", accountSet.dialectFlag, "the host's dialect flag: 1 server, 0 desktop")
            ->check(CLI::IsMember({0, 1}))
            ->default_val(1);
    // Callbacks run after parsing, in the order the options are added: --acc-sql is already read here.
    command
        .add_option_function<std::string>(
            "--dialect",
            [&accountSet, accSqlOption](const std::string& d) {
                const std::int16_t flag = d == "server" ? 1 : 0;
                if (accSqlOption->count() > 0 && accountSet.dialectFlag != flag)
                    throw CLI::ValidationError(
                        "--dialect " + d, "contradicts --acc-sql " + std::to_string(accountSet.dialectFlag));
                accountSet.dialectFlag = flag;
            },
            "server or desktop (the same as --acc-sql 1 or 0)")
        ->check(CLI::IsMember({"server", "desktop"}));
}

// An option naming a file to write: absent when not given, and an empty value kept as given (the command
// refuses it rather than taking it as none).
class OutputOption {
public:
    OutputOption(CLI::App& command, const std::string& name, const std::string& description)
        : m_option(command.add_option(name, m_text, description)) {}
    OutputOption(const OutputOption&) = delete;
    OutputOption& operator=(const OutputOption&) = delete;

    [[nodiscard]] std::optional<std::string> value() const {
        return m_option->count() == 0 ? std::nullopt : std::optional<std::string>(m_text);
    }

private:
    std::string m_text;
    CLI::Option* m_option;
};

// The number --run names. Read by hand: a number too large for a run id would otherwise come back as the
// largest one.
long runNumber(const std::string& text) {
    long id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size() || id < 1)
        throw CLI::ValidationError("--run " + text, "is not the number of a run (1 or more)");
    return id;
}

// A subcommand name that is not one of ours, said plainly with the names that are.
bool refusedUnknownCommand(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') return false;
    const std::string_view name = argv[1];
    for (std::string_view command : kCommands)
        if (name == command) return false;
    std::string known;
    for (std::string_view command : kCommands) known += (known.empty() ? "" : ", ") + std::string(command);
    std::fprintf(stderr, "tarvenish: unknown command '%s'; the commands are %s\n", argv[1], known.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (refusedUnknownCommand(argc, argv)) return 2;
    tarvenish::registerEngines();
    CLI::App app{"Rebuilds the opening rows of specific-identification warehouses in an account set"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "tarvenish " TARVENISH_VERSION);

    AccountSetOptions accountSet;
    tarvenish::app::RunOptions run;
    tarvenish::DemoOptions demo;
    std::string demoPath;
    std::string mode = "warehouse";

    auto* checkStart =
        app.add_subcommand("check-start", "has inventory accounting started with opening rows?");
    addAccountSetAndDialect(*checkStart, accountSet);
    auto* checkDocuments = app.add_subcommand("check-documents", "are no sales documents outstanding?");
    addAccountSetAndDialect(*checkDocuments, accountSet);

    auto* runCommand = app.add_subcommand("run", "rebuild the opening rows");
    addAccountSetAndDialect(*runCommand, accountSet);
    runCommand
        ->add_option("--on-mismatch", run.onMismatch,
                     "how a pair whose totals differ is answered without a window")
        ->check(CLI::IsMember({"skip", "cancel", "balance", "average"}))
        ->default_val("skip");
    runCommand->add_option("--ui", run.ui, "auto: a window when a display is available; none; qt")
        ->check(CLI::IsMember({"auto", "none", "qt"}))
        ->default_val("auto");
    const OutputOption runLog(*runCommand, "--log",
                              "append every statement sent to this file; - for standard output");
    const OutputOption runReport(*runCommand, "--report",
                                 "write a JSON report to this file; - for standard output");
    const OutputOption runDetails(*runCommand, "--details",
                                  "write one CSV line per pair to this file; - for standard output");
    runCommand->add_flag("--dry-run", run.dryRun,
                         "run on a snapshot of the account set and leave the set as it was");
    const OutputOption runBackup(
        *runCommand, "--backup",
        "copy the account set (a SQLite file) to this new file before the first change");
    runCommand->add_flag("--force", run.force, "let --backup replace a regular file already there");
    double busySeconds = std::chrono::duration<double>(tarvenish::kDefaultBusyTimeout).count();
    runCommand
        ->add_option("--busy-timeout", busySeconds,
                     "seconds a statement waits for a lock another program holds on the account set")
        ->check(CLI::Range(0.0, kMostBusySeconds))
        ->capture_default_str();

    auto* verifyCommand =
        app.add_subcommand("verify", "compare every pair's opening totals with the stock ledger, read-only");
    addAccountSetAndDialect(*verifyCommand, accountSet);
    const OutputOption verifyLog(*verifyCommand, "--log",
                                 "append every statement sent to FILE, one per line");
    const OutputOption verifyDetails(*verifyCommand, "--details",
                                     "write one CSV line per differing pair to FILE; - for standard output");
    tarvenish::app::UndoOptions undo;
    auto* undoCommand = app.add_subcommand("undo", "put back the opening rows a run changed, pair by pair");
    addAccountSet(*undoCommand, accountSet);
    undoCommand->add_option_function<std::string>(
        "--run", [&undo](const std::string& text) { undo.runId = runNumber(text); },
        "the run to undo; default the latest not undone");
    undoCommand->add_flag("--force", undo.force, "restore pairs changed after the run too");
    const OutputOption undoLog(*undoCommand, "--log", "append every statement sent to FILE, one per line");
    auto* historyCommand = app.add_subcommand("history", "list the runs recorded in the account set");
    addAccountSet(*historyCommand, accountSet);

    tarvenish::app::ReportOptions report;
    auto* reportCommand =
        app.add_subcommand("report", "write the reconciliation report of a recorded run as one HTML file");
    addAccountSet(*reportCommand, accountSet);
    reportCommand->add_option_function<std::string>(
        "--run", [&report](const std::string& text) { report.runId = runNumber(text); },
        "the run to report; default the latest");
    reportCommand->add_option("--html", report.htmlPath, "the HTML file to write; - for standard output")
        ->required();
    reportCommand
        ->add_option_function<std::string>(
            "--lang",
            [&report](const std::string& text) {
                report.language =
                    text == "en" ? tarvenish::MessageLanguage::English : tarvenish::MessageLanguage::Chinese;
            },
            "zh or en; default the message resource's language (TARVENISH_LANG, LANG)")
        ->check(CLI::IsMember({"zh", "en"}));

    auto* demoCommand = app.add_subcommand("demo", "create a demo account set");
    demoCommand->add_option("--db", demoPath, "the new SQLite file")->required();
    demoCommand->add_option("--pairs", demo.pairs, "pairs of warehouse (or department) and item")
        ->check(CLI::Range(0, tarvenish::kMostDemoPairs))
        ->default_val(24);
    demoCommand->add_option("--lines-per-pair", demo.linesPerPair, "opening receipt lines per pair")
        ->check(CLI::Range(1, tarvenish::kMostDemoLinesPerPair))
        ->default_val(3);
    demoCommand->add_option("--mismatch-percent", demo.mismatchPercent, "share of pairs whose totals differ")
        ->default_val(25)
        ->check(CLI::Range(0, 100));
    demoCommand->add_option("--mode", mode, "warehouse or department")
        ->check(CLI::IsMember({"warehouse", "department"}))
        ->default_val("warehouse");
    demoCommand->add_option("--seed", demo.seed, "random seed")->default_val(1);
    demoCommand->add_flag("--force", demo.force, "replace an existing file");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : 2;
    }

    // A NaN passes every range check.
    if (std::isnan(busySeconds)) {
        std::fprintf(stderr, "tarvenish: --busy-timeout needs a number of seconds\n");
        return 2;
    }
    run.busyTimeout = std::chrono::milliseconds(std::llround(busySeconds * 1000.0));
    run.logPath = runLog.value();
    run.reportPath = runReport.value();
    run.detailsPath = runDetails.value();
    run.backupPath = runBackup.value();
    undo.logPath = undoLog.value();

    try {
        if (*checkStart) return tarvenish::app::checkStart(accountSet);
        if (*checkDocuments) return tarvenish::app::checkDocuments(accountSet);
        if (*runCommand) return tarvenish::app::runOnAccountSet(accountSet, run);
        if (*verifyCommand)
            return tarvenish::app::verifyAccountSet(accountSet, verifyLog.value(), verifyDetails.value());
        if (*undoCommand) return tarvenish::app::undoJournaledRun(accountSet, undo);
        if (*historyCommand) return tarvenish::app::showHistory(accountSet);
        if (*reportCommand) return tarvenish::app::writeRunReport(accountSet, report);
        demo.mode = mode == "department" ? tarvenish::PairMode::Department : tarvenish::PairMode::Warehouse;
        return tarvenish::app::createDemo(demoPath, demo);
    } catch (const tarvenish::app::UsageError& error) {
        std::fprintf(stderr, "tarvenish: %s\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvenish: %s\n", error.what());
        return 2;
    }
}
