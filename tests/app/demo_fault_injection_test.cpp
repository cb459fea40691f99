// A run over a demo account set in which one data-changing statement, or one row of the dialog's commit,
// fails: no pair may end up with a mix of its old and new opening rows, and nothing temporary may stay.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "command_support.h"
#include "component/adjustment_presenter.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "ledger/sql/statements.h"
#include "platform/headless/adjustment_presenters.h"
#include "reconcile/run.h"
#include "support/statement_text.h"

// The hooks name only the one observer a test needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish::test {
namespace {

constexpr std::string_view kInjected = "injected failure";

bool changesData(std::string_view statement) {
    std::string lower(statement);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return !lower.starts_with("select") || lower.find(" into ") != std::string::npos;
}

// The voucher codes of every pair's opening rows, in order. An added row of department mode stands in
// another warehouse but carries the pair's department.
using PairRows = std::map<std::string, std::vector<std::string>>;

PairRows pairRows(const std::string& path, PairMode mode) {
    const std::string key = mode == PairMode::Warehouse ? "w.cWhCode" : "coalesce(s.cDepCode, w.cDepCode)";
    PairRows result;
    for (const auto& row : LedgerFile(path).rows(
             "select " + key +
             " || '/' || s.cInvCode, s.cVouCode from IA_Subsidiary s join Warehouse w on "
             "w.cWhCode=s.cWhCode where s.cVouType='34' and w.cWhValueStyle='个别计价法' order by 1, 2")) {
        result[*row[0]].push_back(row[1].value_or(""));
    }
    return result;
}

class DemoUnderFaults : public ::testing::TestWithParam<std::tuple<PairMode, EngineKind>> {
protected:
    [[nodiscard]] static PairMode mode() { return std::get<0>(GetParam()); }

    // The context of the runs a test starts; its report is what they did.
    RunContext m_context;
    [[nodiscard]] RunReport& report() { return m_context.report; }

    void SetUp() override {
        m_demo = makeDemo(m_dir, "demo.db", mode(), 4, 25);
        setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
        m_context.presenter = std::make_shared<HeadlessAdjustmentPresenter>(AdjustmentPolicy::Balance);
    }
    void TearDown() override { setMessagePresenter(nullptr); }

    // A fresh copy of the demo account set.
    [[nodiscard]] std::string copy() {
        const std::string path = m_dir.file("run" + std::to_string(++m_copies) + ".db");
        std::filesystem::copy_file(m_demo, path);
        return path;
    }

    bool run(const std::string& path, EngineHooks hooks) {
        bool result = false;
        {
            ScopedEngineHooks scoped(std::move(hooks));
            result = executeRun(m_context, DialectChoice::fromHostFlag(1),
                                Connection::open(connectionTo(path, std::get<1>(GetParam()))));
        }
        ConnectionPool::clear();
        return result;
    }

    ScratchDir m_dir;
    std::string m_demo;
    int m_copies = 0;
};

TEST_P(DemoUnderFaults, LeavesEveryPairWholeWhicheverStatementFails) {
    const PairRows oldRows = pairRows(m_demo, mode());
    std::vector<std::string> statements;
    const std::string clean = copy();
    ASSERT_TRUE(run(clean, {.beforeStatement = [&](std::string_view s) {
                        if (changesData(s)) statements.emplace_back(s);
                    }}));
    ASSERT_EQ(report().pairsConfirmed, 1);
    const PairRows newRows = pairRows(clean, mode());
    ASSERT_EQ(newRows.size(), oldRows.size());

    for (const std::string& failing : statements) {
        SCOPED_TRACE(failing);
        const std::string path = copy();
        (void)run(path, {.beforeStatement = [&](std::string_view s) {
                      if (sameStatement(s, failing))
                          throw DbError("execute", 1, std::string(kInjected), std::string(s));
                  }});
        for (const auto& [pair, rows] : pairRows(path, mode())) {
            EXPECT_TRUE(rows == oldRows.at(pair) || rows == newRows.at(pair)) << pair;
        }
        // The column is kept beside the table, on the run's connection only: not even a failed removal leaves
        // it in the file.
        EXPECT_FALSE(LedgerFile(path).hasColumn("RdRecords", "isOutQuantity_s"));
        const auto& failures = report().failures;
        EXPECT_TRUE(std::any_of(failures.begin(), failures.end(),
                                [&](const StepFailure& f) { return sameStatement(f.statement, failing); }));
    }
}

TEST_P(DemoUnderFaults, KeepsTheOldRowsOfAPairWhoseCommitFailsMidway) {
    const PairRows oldRows = pairRows(m_demo, mode());
    const std::string clean = copy();
    ASSERT_TRUE(run(clean, {}));
    const PairRows newRows = pairRows(clean, mode());

    for (int failingStore : {1, 2}) {
        SCOPED_TRACE(failingStore);
        const std::string path = copy();
        int stores = 0;
        // The pair that failed keeps rows the run was meant to rebuild: the run answers false.
        EXPECT_FALSE(run(path, {.beforeRowStore = [&](std::string_view table) {
                             if (++stores == failingStore)
                                 throw DbError("update row", 1, std::string(kInjected), std::string(table));
                         }}));
        EXPECT_EQ(report().pairsConfirmed, 0);
        int keptOld = 0;
        for (const auto& [pair, rows] : pairRows(path, mode())) {
            if (rows == newRows.at(pair) && rows != oldRows.at(pair)) continue;
            EXPECT_EQ(rows, oldRows.at(pair)) << pair;
            ++keptOld;
        }
        EXPECT_EQ(keptOld, 1);
        EXPECT_FALSE(LedgerFile(path).hasColumn("RdRecords", "isOutQuantity_s"));
    }
}

// Through ODBC the driver's own transactions must keep each pair whole as the embedded engine's do.
INSTANTIATE_TEST_SUITE_P(BothModesAndEngines, DemoUnderFaults,
                         ::testing::Combine(::testing::Values(PairMode::Warehouse, PairMode::Department),
                                            ::testing::Values(EngineKind::Embedded, EngineKind::Odbc)),
                         [](const auto& p) {
                             return std::string(std::get<0>(p.param) == PairMode::Warehouse ? "Warehouse"
                                                                                            : "Department") +
                                    engineName(std::get<1>(p.param));
                         });

}  // namespace
}  // namespace tarvenish::test
