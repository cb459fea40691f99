// What only the library does: no window and no setting cancel a differing pair, and a dialog through the
// host's own application. What both fronts do alike is proven through both in the end-to-end scenarios.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "command_support.h"
#include "command_support.h"

namespace tarvenish::test {
namespace {

constexpr const char* kOpeningRows = "select * from IA_Subsidiary where cVouType='34'";
constexpr const char* kPairTotals =
    "select cWhCode, cDepCode, cInvCode, round(sum(iAInQuantity), 6), round(sum(iAInPrice), 2) from "
    "IA_Subsidiary where cVouType='34' group by cWhCode, cDepCode, cInvCode order by 1, 2, 3";

// Every opening row as text, sorted: two files compare row for row whatever order the rows were written in.
std::vector<std::string> openingRows(const std::string& path) {
    std::vector<std::string> rows;
    for (const auto& row : LedgerFile(path).rows(kOpeningRows)) rows.push_back(rowText(row));
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The example host on `path`, registering into a file of the scratch directory.
CommandResult exampleHost(const ScratchDir& dir, const std::string& path, int accSql,
                          std::vector<std::string> environment = {}) {
    environment.push_back("TARVENISH_REGISTRY=" + dir.file("registry.json"));
    return runProgram(TARVENISH_EXAMPLE_HOST_PATH, {path, std::to_string(accSql)}, environment);
}

class WithoutADisplay : public ::testing::Test {
protected:
    ScratchDir m_dir;
    std::string m_path = makeDemo(m_dir, "differs.db", PairMode::Warehouse, 2, 100);
};

TEST_F(WithoutADisplay, ADifferingPairCancelsTheRunAndStaysAsItWas) {
    const std::vector<std::string> before = openingRows(m_path);
    const CommandResult host = exampleHost(m_dir, m_path, 1, {"TARVENISH_ON_MISMATCH"});
    EXPECT_EQ(host.exitCode, 1) << host.out << host.err;
    EXPECT_NE(host.out.find("JustAccount: false\n"), std::string::npos) << host.out;
    EXPECT_NE(host.err.find("TARVENISH_ON_MISMATCH"), std::string::npos) << host.err;
    EXPECT_EQ(openingRows(m_path), before);
}

#ifdef TARVENISH_QT_TEST_HOST_PATH
// A host with a QApplication of its own (offscreen) answers the dialog that the library shows through it.
class DialogInAHostApplication : public ::testing::Test {
protected:
    [[nodiscard]] CommandResult answer(const std::string& how) const {
        return runProgram(TARVENISH_QT_TEST_HOST_PATH, {m_path, how},
                       {"QT_QPA_PLATFORM=offscreen", "TARVENISH_ON_MISMATCH"});
    }
    ScratchDir m_dir;
    std::string m_path = makeDemo(m_dir, "dialog.db", PairMode::Warehouse, 1, 100);
};

TEST_F(DialogInAHostApplication, OkAfterAnEditWritesTheEditedLineAndBalancesThePair) {
    const auto totalsBefore = LedgerFile(m_path).rows(kPairTotals);
    const CommandResult host = answer("ok-after-edit");
    EXPECT_EQ(host.exitCode, 0) << host.out << host.err;
    EXPECT_NE(host.out.find("dialogs: 1\n"), std::string::npos) << host.out << host.err;
    const auto edited = host.out.find("edited: ");
    ASSERT_NE(edited, std::string::npos) << host.out;
    const std::string money = host.out.substr(edited + 8, host.out.find('\n', edited) - edited - 8);
    ASSERT_FALSE(money.empty()) << host.out << host.err;

    const LedgerFile ledger(m_path);
    EXPECT_EQ(ledger.scalar("select count(*) from IA_Subsidiary where cVouType='34' and cVouCode not like "
                            "'JUST%' and abs(iAInPrice - " +
                            money + ") < 0.005"),
              "1");
    EXPECT_EQ(ledger.scalar("select count(*) from IA_Subsidiary where cVouCode like 'JUST%'"), "1");
    EXPECT_EQ(ledger.rows(kPairTotals), totalsBefore);
}

TEST_F(DialogInAHostApplication, CancelAnswersFalseAndLeavesThePairAsItWas) {
    const std::vector<std::string> before = openingRows(m_path);
    const CommandResult host = answer("cancel");
    EXPECT_EQ(host.exitCode, 1) << host.out << host.err;
    EXPECT_NE(host.out.find("dialogs: 1\n"), std::string::npos) << host.out << host.err;
    EXPECT_NE(host.out.find("DllCanUnloadNow: S_FALSE"), std::string::npos) << "Qt has started inside it";
    EXPECT_EQ(openingRows(m_path), before);
}
#endif

}  // namespace
}  // namespace tarvenish::test
