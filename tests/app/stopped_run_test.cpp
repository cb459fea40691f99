// A run that is stopped from outside: killed outright (SIGKILL) it leaves every pair whole, a rerun ends
// where one uninterrupted run ends and an undo puts back every row it changed; asked to stop (SIGINT,
// SIGTERM) it stops cleanly and says so.

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "command_support.h"

namespace tarvenish::test {
namespace {

// `tarvenish run` started in the background, headless, with its statement log in `log`.
class BackgroundRun final {
public:
    BackgroundRun(const ScratchDir& dir, const std::string& db, const std::string& log)
        : m_out(dir.file("background.out")),
          m_child(TARVENISH_APP_PATH,
                  {"run", "--db", db, "--ui", "none", "--on-mismatch", "balance", "--log", log}, {}, m_out,
                  "/dev/null") {}

    void signal(int number) const { m_child.signal(number); }
    // The exit code, or minus the signal that ended the process.
    int wait() { return m_child.wait(); }
    [[nodiscard]] std::string out() const {
        std::ifstream in(m_out);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string m_out;
    ChildProcess m_child;
};

long lineCount(const std::string& path) {
    std::ifstream in(path);
    return std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
}

// Waits until the log holds `lines` lines; false when the run ended first.
bool waitForLog(const std::string& log, long lines, const std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (lineCount(log) < lines) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Every opening row of the account set, whole, as an ordered multiset.
std::vector<std::string> openingRows(const std::string& path) {
    std::vector<std::string> rows;
    for (const auto& row : LedgerFile(path).rows("select * from IA_Subsidiary where cVouType='34'"))
        rows.push_back(rowText(row));
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The voucher codes of each pair's opening rows.
std::map<std::string, std::vector<std::string>> pairRows(const std::string& path) {
    std::map<std::string, std::vector<std::string>> result;
    for (const auto& row : LedgerFile(path).rows(
             "select cWhCode || '/' || cInvCode, cVouCode from IA_Subsidiary where cVouType='34' order by 1, 2"))
        result[row[0].value_or("")].push_back(row[1].value_or(""));
    return result;
}

class StoppedRun : public ::testing::Test {
protected:
    void SetUp() override {
        m_demo = makeDemo(m_dir, "demo.db", PairMode::Warehouse, 400, 10);
        const std::string clean = copy("clean");
        const std::string log = m_dir.file("clean.log");
        BackgroundRun run(m_dir, clean, log);
        ASSERT_EQ(run.wait(), 0) << run.out();
        m_statements = lineCount(log);
        m_oldPairs = pairRows(m_demo);
        m_newPairs = pairRows(clean);
        m_finalRows = openingRows(clean);
    }

    [[nodiscard]] std::string copy(const std::string& name) {
        const std::string path = m_dir.file(name + ".db");
        std::filesystem::copy_file(m_demo, path);
        return path;
    }

    // Every pair carries all its old rows or all its new ones, and nothing the run adds stays behind once it
    // has ended by itself.
    void expectEveryPairWhole(const std::string& path) const {
        for (const auto& [pair, rows] : pairRows(path))
            EXPECT_TRUE(rows == m_oldPairs.at(pair) || rows == m_newPairs.at(pair)) << pair;
    }

    ScratchDir m_dir;
    std::string m_demo;
    long m_statements = 0;
    std::map<std::string, std::vector<std::string>> m_oldPairs;
    std::map<std::string, std::vector<std::string>> m_newPairs;
    std::vector<std::string> m_finalRows;
};

TEST_F(StoppedRun, KilledAnywhereLeavesEveryPairWholeAndARerunFinishesTheJob) {
    for (const double share : {0.0, 0.3, 0.6, 0.9}) {
        const long at = 2 + static_cast<long>(share * static_cast<double>(m_statements));
        SCOPED_TRACE("killed after statement " + std::to_string(at) + " of " + std::to_string(m_statements));
        const std::string path = copy("killed" + std::to_string(at));
        const std::string log = m_dir.file("killed" + std::to_string(at) + ".log");
        {
            BackgroundRun run(m_dir, path, log);
            ASSERT_TRUE(waitForLog(log, at));
            run.signal(SIGKILL);
            EXPECT_EQ(run.wait(), -SIGKILL);
        }
        expectEveryPairWhole(path);

        const CommandResult rerun =
            runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "balance"});
        EXPECT_EQ(rerun.exitCode, 0) << rerun.out << rerun.err;
        EXPECT_EQ(openingRows(path), m_finalRows);
        EXPECT_FALSE(LedgerFile(path).hasColumn("RdRecords", "isOutQuantity_s"));
        EXPECT_FALSE(LedgerFile(path).hasTable("FSumQuantity"));
    }
}

TEST_F(StoppedRun, KilledAnywhereAfterItsJournalBeganItIsUndoneToTheRowsItFound) {
    const std::vector<std::string> found = openingRows(m_demo);
    for (const double share : {0.1, 0.4, 0.7, 0.95}) {
        const long at = static_cast<long>(share * static_cast<double>(m_statements));
        SCOPED_TRACE("killed after statement " + std::to_string(at) + " of " + std::to_string(m_statements));
        const std::string path = copy("undone" + std::to_string(at));
        const std::string log = m_dir.file("undone" + std::to_string(at) + ".log");
        {
            BackgroundRun run(m_dir, path, log);
            ASSERT_TRUE(waitForLog(log, at));
            run.signal(SIGKILL);
            // Near its end the run may finish before the signal lands; undo must put back the rows all the same.
            const int status = run.wait();
            EXPECT_TRUE(status == -SIGKILL || status == 0) << status;
        }
        const CommandResult undone = runCommand({"undo", "--db", path});
        EXPECT_EQ(undone.exitCode, 0) << undone.out << undone.err;
        EXPECT_EQ(openingRows(path), found);
    }
}

TEST_F(StoppedRun, AskedToStopFinishesThePairInHandRemovesWhatItAddedAndSaysSo) {
    for (const auto& [number, code] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        SCOPED_TRACE(number);
        const std::string name = "stopped" + std::to_string(number);
        const std::string path = copy(name);
        const std::string log = m_dir.file(name + ".log");
        BackgroundRun run(m_dir, path, log);
        ASSERT_TRUE(waitForLog(log, m_statements / 2));
        run.signal(number);
        EXPECT_EQ(run.wait(), code);
        EXPECT_NE(run.out().find("interrupted"), std::string::npos) << run.out();
        expectEveryPairWhole(path);
        EXPECT_NE(pairRows(path), m_newPairs) << "the run went on to its last pair";
        EXPECT_FALSE(LedgerFile(path).hasColumn("RdRecords", "isOutQuantity_s"));
        EXPECT_FALSE(LedgerFile(path).hasTable("FSumQuantity"));
    }
}

}  // namespace
}  // namespace tarvenish::test
