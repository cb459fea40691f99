// An account set reached through an ODBC driver (the SQLite ODBC driver, registered for the tests): what the
// command says when the driver is missing, what it refuses, what it never shows, how long it waits for a
// lock, and a run that verify and undo take back through the same driver.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "command_support.h"
#include "ledger/db/busy_timeout.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine.h"
#include "ledger/db/error.h"
#include "ledger/db/run_lock.h"

namespace tarvenish::test {
namespace {

constexpr std::string_view kAllRows = "select * from IA_Subsidiary";
constexpr std::string_view kPassword = "hunter2secret";

// A query as the statement builders make one, its warehouse code a value of its shape.
Statement warehouseRow(std::string_view code) {
    StatementBuilder text;
    text += "select * from Warehouse where cWhCode=";
    text.text(code);
    return text.build();
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OdbcAccountSet : public ::testing::Test {
protected:
    [[nodiscard]] CommandResult run(const std::vector<std::string>& extra = {}) const {
        std::vector<std::string> args = {"run",  "--connection",  m_connection, "--ui",
                                         "none", "--on-mismatch", "balance"};
        args.insert(args.end(), extra.begin(), extra.end());
        return runCommand(args);
    }

    ScratchDir m_dir;
    std::string m_path = makeDemo(m_dir, "ledger.db", PairMode::Warehouse);
    std::string m_connection = connectionTo(m_path, EngineKind::Odbc);
};

TEST_F(OdbcAccountSet, MissingDriverIsNamedWithItsSqlStateAndHowToInstallIt) {
    const auto result = runCommand(
        {"run", "--connection", "Driver=NoSuchDriver;Database=" + m_path + ";PWD=" + std::string(kPassword),
         "--ui", "none"});
    EXPECT_EQ(result.exitCode, 2);
    const std::string said = result.out + result.err;
    EXPECT_NE(said.find("SQLSTATE "), std::string::npos) << said;
    EXPECT_NE(said.find("\"NoSuchDriver\""), std::string::npos) << said;
    EXPECT_NE(said.find("apt-get install libsqliteodbc"), std::string::npos) << said;
    EXPECT_EQ(said.find(kPassword), std::string::npos) << said;
}

TEST_F(OdbcAccountSet, TakesTheConnectionFromTheEnvironmentAndNeverShowsItsPassword) {
    const std::vector<std::string> environment = {"TARVENISH_CONNECTION=" + m_connection +
                                                  "PWD=" + std::string(kPassword) + ";"};
    const std::string report = m_dir.file("report.json");
    const std::string log = m_dir.file("run.sql");
    const auto done = runCommand(
        {"run", "--ui", "none", "--on-mismatch", "balance", "--report", report, "--log", log}, environment);
    EXPECT_EQ(done.exitCode, 0) << done.out << done.err;
    const auto history = runCommand({"history"}, environment);
    EXPECT_EQ(history.exitCode, 0) << history.out << history.err;
    for (const std::string& shown :
         {done.out, done.err, contents(report), contents(log), history.out, history.err}) {
        EXPECT_EQ(shown.find(kPassword), std::string::npos) << shown;
    }
}

TEST_F(OdbcAccountSet, RunVerifyAndUndoLeaveTheSetAsItWas) {
    const auto before = sortedRows(LedgerFile(m_path), kAllRows);
    const auto done = run();
    ASSERT_EQ(done.exitCode, 0) << done.out << done.err;
    ASSERT_NE(sortedRows(LedgerFile(m_path), kAllRows), before);
    const auto verified = runCommand({"verify", "--connection", m_connection});
    EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
    const auto undone = runCommand({"undo", "--connection", m_connection});
    EXPECT_EQ(undone.exitCode, 0) << undone.out << undone.err;
    // Department codes aside (warehouse mode fills none), every row is back as it was.
    EXPECT_EQ(sortedRows(LedgerFile(m_path), kAllRows), before);
}

TEST_F(OdbcAccountSet, BackupIsRefusedWithExitTwoAndNothingChanged) {
    const auto before = sortedRows(LedgerFile(m_path), kAllRows);
    const auto result = run({"--backup", m_dir.file("copy.db")});
    EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
    EXPECT_NE(result.out.find("not a SQLite file"), std::string::npos) << result.out;
    EXPECT_EQ(sortedRows(LedgerFile(m_path), kAllRows), before);
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("copy.db")));
}

TEST_F(OdbcAccountSet, IsLockedByTheSameFileAsWhenTheDatabaseIsOpenedDirectly) {
    const auto before = sortedRows(LedgerFile(m_path), kAllRows);
    // This process stands for a run on the file opened directly.
    const RunLock first("Data Source=" + m_path + ";");
    ASSERT_EQ(first.status(), RunLockStatus::Held) << first.problem();
    const auto second = run();
    EXPECT_EQ(second.exitCode, 5) << second.out << second.err;
    EXPECT_NE(second.out.find(m_path + ".tarvenish-lock"), std::string::npos) << second.out;
    EXPECT_EQ(sortedRows(LedgerFile(m_path), kAllRows), before);
}

TEST_F(OdbcAccountSet, AQueryRunAgainAfterItsTableGainedAColumnReadsThatColumn) {
    const auto connection = Connection::open(m_connection);
    const Statement warehouse = warehouseRow("01");
    const std::size_t before = connection->engine().query(warehouse).columns.size();
    connection->execute("ALTER TABLE Warehouse add cNote varchar(20)");
    EXPECT_EQ(connection->engine().query(warehouse).columns.size(), before + 1);
}

TEST_F(OdbcAccountSet, AQueryOnAnotherConnectionReadsTheColumnATableGainedMeanwhile) {
    const auto reader = Connection::open(m_connection);
    const auto changer = Connection::open(m_connection);
    const std::size_t before = reader->engine().query(warehouseRow("01")).columns.size();
    changer->execute("ALTER TABLE Warehouse add cNote varchar(20)");
    // The same shape with another value: the reader's prepared statement knew the old columns.
    EXPECT_EQ(reader->engine().query(warehouseRow("02")).columns.size(), before + 1);
}

TEST_F(OdbcAccountSet, ABusyTimeoutOfZeroWaitsForNoLock) {
    LedgerFile(m_path).exec("PRAGMA journal_mode=DELETE");
    setBusyTimeout(std::chrono::milliseconds(0));
    const auto connection = Connection::open(m_connection);
    setBusyTimeout(kDefaultBusyTimeout);
    const LedgerFile other(m_path);
    other.exec("BEGIN EXCLUSIVE");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW((void)connection->engine().query(Statement::asText("select count(*) from Warehouse")),
                 DbError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    other.exec("ROLLBACK");
}

}  // namespace
}  // namespace tarvenish::test
