// Nothing a run writes besides the account set can harm it: an output on the set's side files, on another
// output or on an empty path is refused before any change, and a backup replaces nothing unless forced.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "command_support.h"
#include "front.h"

// A scenario names only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish::test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAllOpeningRows = "select * from IA_Subsidiary";

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string integrity(const std::string& path) {
    return LedgerFile(path).scalar("pragma integrity_check").value_or("");
}

enum class Side { WriteAheadLog, SharedMemory, RollbackJournal, LockFile };
enum class Spelling { Relative, SymbolicLink, HardLink };

std::string suffixOf(Side side) {
    switch (side) {
        case Side::WriteAheadLog:
            return "-wal";
        case Side::SharedMemory:
            return "-shm";
        case Side::RollbackJournal:
            return "-journal";
        case Side::LockFile:
            return ".tarvenish-lock";
    }
    return {};
}

class OutputPaths : public ::testing::Test {
protected:
    ScratchDir m_dir;
    std::string m_db = makeDemo(m_dir, "ledger.db", PairMode::Warehouse);
    std::vector<std::string> m_before = sortedRows(LedgerFile(m_db), kAllOpeningRows);

    void expectUntouched() const {
        EXPECT_EQ(sortedRows(LedgerFile(m_db), kAllOpeningRows), m_before);
        EXPECT_EQ(integrity(m_db), "ok");
    }
    [[nodiscard]] CommandResult run(std::vector<std::string> extra) const {
        std::vector<std::string> args = {"run", "--db", m_db, "--ui", "none", "--on-mismatch", "balance"};
        args.insert(args.end(), extra.begin(), extra.end());
        return runCommand(args);
    }
};

// Which output, by the index of a case, so that the report, the log and the details all meet every side.
enum class Output { Report, Log, Details };

class OutputOnASideFile : public OutputPaths,
                          public ::testing::WithParamInterface<std::tuple<Front, Side, Spelling>> {};

TEST_P(OutputOnASideFile, IsRefusedBeforeAnyChange) {
    const auto [front, side, spelling] = GetParam();
    const std::string sideFile = m_db + suffixOf(side);
    std::string path;
    std::optional<LedgerFile> holder;
    switch (spelling) {
        case Spelling::Relative:
            path = fs::relative(sideFile, fs::current_path()).string();
            break;
        case Spelling::SymbolicLink:
            path = m_dir.file("output-link");
            fs::create_symlink(sideFile, path);
            break;
        case Spelling::HardLink:
            // A link needs its file. SQLite keeps its -wal and -shm while someone (here the test, as a host
            // would) has the set open; the others are made empty, as SQLite and the run lock take them.
            holder.emplace(m_db);
            (void)holder->scalar("select count(*) from IA_Subsidiary");
            if (!fs::exists(sideFile)) write(sideFile, "");
            path = m_dir.file("output-hard-link");
            fs::create_hard_link(sideFile, path);
            break;
    }
    const auto output = static_cast<Output>((static_cast<int>(side) + static_cast<int>(spelling)) % 3);
    Scenario scenario{m_db, 1, "balance"};
    (output == Output::Report ? scenario.reportPath
     : output == Output::Log  ? scenario.logPath
                              : scenario.detailsPath) = path;

    const FrontResult result = runThrough(front, scenario);
    EXPECT_TRUE(answered(result, Outcome::Refused));
    EXPECT_NE(result.err.find(path + " is refused: it is the account set's"), std::string::npos)
        << result.err;
    expectUntouched();
}

std::string sideCaseName(const ::testing::TestParamInfo<std::tuple<Front, Side, Spelling>>& info) {
    const char* sides[] = {"Wal", "Shm", "Journal", "Lock"};
    const char* spellings[] = {"Relative", "SymbolicLink", "HardLink"};
    return frontName(std::get<0>(info.param)) + sides[static_cast<int>(std::get<1>(info.param))] +
           spellings[static_cast<int>(std::get<2>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(EverySideAndSpelling, OutputOnASideFile,
                         ::testing::Combine(::testing::Values(Front::Command, Front::Library),
                                            ::testing::Values(Side::WriteAheadLog, Side::SharedMemory,
                                                              Side::RollbackJournal, Side::LockFile),
                                            ::testing::Values(Spelling::Relative, Spelling::SymbolicLink,
                                                              Spelling::HardLink)),
                         sideCaseName);

class OutputsThroughAFront : public OutputPaths, public ::testing::WithParamInterface<Front> {};

TEST_P(OutputsThroughAFront, OnTheWriteAheadLogOfASetReachedThroughOdbcAreRefused) {
    const FrontResult result = runThrough(
        GetParam(), {.accountSet = m_db, .detailsPath = m_db + "-wal", .engine = EngineKind::Odbc});
    EXPECT_TRUE(answered(result, Outcome::Refused));
    EXPECT_NE(result.err.find("write-ahead log"), std::string::npos) << result.err;
    expectUntouched();
}

// Neither file exists yet: both would be made, and one written over the other.
TEST_P(OutputsThroughAFront, OneNamingAnotherIsRefusedBeforeAnyChange) {
    fs::create_directory(m_dir.file("sub"));
    const std::string report = m_dir.file("run.out");
    const FrontResult result = runThrough(
        GetParam(), {.accountSet = m_db, .reportPath = report, .detailsPath = m_dir.file("sub/../run.out")});
    EXPECT_TRUE(answered(result, Outcome::Refused));
    EXPECT_NE(result.err.find("is the same file as"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(report));
    expectUntouched();
}

INSTANTIATE_TEST_SUITE_P(BothFronts, OutputsThroughAFront, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

TEST_F(OutputPaths, AnEmptyPathGivenIsAUsageError) {
    for (const char* option : {"--report", "--log", "--details", "--backup"}) {
        SCOPED_TRACE(option);
        const CommandResult result = run({option, ""});
        EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
        EXPECT_NE(result.err.find(std::string(option) + " \"\" is refused"), std::string::npos) << result.err;
    }
    expectUntouched();
}

// The copy itself, or the journal SQLite keeps beside it while it writes the copy.
TEST_F(OutputPaths, BackupOnAnotherOutputIsRefused) {
    const std::string copy = m_dir.file("copy.db");
    for (const std::string& report : {copy, copy + "-journal"}) {
        SCOPED_TRACE(report);
        const CommandResult result = run({"--report", report, "--backup", copy});
        EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
        EXPECT_NE(result.err.find("--backup " + copy + " is refused"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("--report " + report), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(copy));
        EXPECT_FALSE(fs::exists(report));
    }
    expectUntouched();
}

TEST_F(OutputPaths, VerifyAndUndoLogOnTheLockFileIsRefused) {
    const std::string lock = m_db + ".tarvenish-lock";
    for (const char* command : {"verify", "undo"}) {
        SCOPED_TRACE(command);
        const CommandResult result = runCommand({command, "--db", m_db, "--log", lock});
        EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
        EXPECT_NE(result.err.find("run lock file"), std::string::npos) << result.err;
    }
}

TEST_F(OutputPaths, BackupOntoAFileReplacesItOnlyWithForce) {
    const std::string notes = m_dir.file("notes.txt");
    write(notes, "not a database");
    const CommandResult refused = run({"--backup", notes});
    EXPECT_EQ(refused.exitCode, 2) << refused.out << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(contents(notes), "not a database");
    expectUntouched();

    const std::string report = m_dir.file("run.json");
    const CommandResult forced = run({"--backup", notes, "--force", "--report", report});
    ASSERT_EQ(forced.exitCode, 0) << forced.out << forced.err;
    EXPECT_EQ(sortedRows(LedgerFile(notes), kAllOpeningRows), m_before);
    EXPECT_NE(forced.out.find("backup: " + notes + "\n"), std::string::npos) << forced.out;
    EXPECT_EQ(nlohmann::json::parse(contents(report))["backup"], notes);
}

TEST_F(OutputPaths, BackupOntoAnotherAccountSetReplacesItOnlyWithForce) {
    const std::string other = makeDemo(m_dir, "other.db", PairMode::Department, 3);
    const auto otherRows = sortedRows(LedgerFile(other), kAllOpeningRows);
    const CommandResult refused = run({"--backup", other});
    EXPECT_EQ(refused.exitCode, 2) << refused.out << refused.err;
    EXPECT_EQ(sortedRows(LedgerFile(other), kAllOpeningRows), otherRows);
    expectUntouched();

    ASSERT_EQ(run({"--backup", other, "--force"}).exitCode, 0);
    EXPECT_EQ(sortedRows(LedgerFile(other), kAllOpeningRows), m_before);
    EXPECT_EQ(integrity(other), "ok");
}

TEST_F(OutputPaths, BackupOntoAFolderIsRefusedEvenWithForce) {
    const std::string folder = m_dir.file("folder");
    fs::create_directory(folder);
    for (const bool force : {false, true}) {
        SCOPED_TRACE(force ? "forced" : "not forced");
        const CommandResult result = force ? run({"--backup", folder, "--force"}) : run({"--backup", folder});
        EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
        EXPECT_NE(result.err.find("folder"), std::string::npos) << result.err;
        EXPECT_TRUE(fs::is_directory(folder));
    }
    expectUntouched();
}

TEST_F(OutputPaths, ReportSaysNoBackupWhenNoneWasTaken) {
    const std::string report = m_dir.file("run.json");
    ASSERT_EQ(run({"--report", report}).exitCode, 0);
    const auto json = nlohmann::json::parse(contents(report));
    ASSERT_TRUE(json.contains("backup"));
    EXPECT_TRUE(json["backup"].is_null());
}

}  // namespace
}  // namespace tarvenish::test
