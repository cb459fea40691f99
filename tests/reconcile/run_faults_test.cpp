#include "reconcile/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "component/adjustment_presenter.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "ledger/sql/statements.h"
#include "support/account_set.h"
#include "support/statement_text.h"

// The seeds and hooks name only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish {
namespace {

using test::AccountSet;
using test::OpeningRowSeed;
using test::Receipt;
using test::ReceiptLine;
using test::sameStatement;

constexpr std::string_view kInjected = "injected failure";

// Department mode, so the department fill is among the statements: two departments of one warehouse each,
// both pairs matching, each with two old opening rows "OLD1"/"OLD2" and two booked receipt lines "NEW".
void seed(AccountSet& set) {
    set.useDepartmentMode();
    set.addSetting("AA", "iStrsQuanDecDgt", "2");
    for (const char* dep : {"D1", "D2"}) {
        const std::string wh = std::string("W") + dep[1];
        set.addDepartment(dep, dep);
        set.addWarehouse(wh, wh, dep);
        set.addInventory(std::string("A") + dep[1], "item");
        (void)set.addReceipt(
            Receipt{.whCode = wh, .code = "NEW"},
            {ReceiptLine{.invCode = std::string("A") + dep[1], .quantity = 4, .unitCost = 1, .price = 4},
             ReceiptLine{.invCode = std::string("A") + dep[1], .quantity = 6, .unitCost = 2, .price = 12}});
        set.addOpeningRow({.whCode = wh,
                           .invCode = std::string("A") + dep[1],
                           .quantity = 3,
                           .money = 3,
                           .vouCode = "OLD1"});
        set.addOpeningRow({.whCode = wh,
                           .invCode = std::string("A") + dep[1],
                           .quantity = 7,
                           .money = 13,
                           .vouCode = "OLD2"});
    }
}

bool changesData(std::string_view statement) {
    std::string lower(statement);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return !lower.starts_with("select") || lower.find(" into ") != std::string::npos;
}

std::vector<std::string> voucherCodes(const AccountSet& set, const std::string& wh) {
    std::vector<std::string> codes;
    for (auto& row :
         set.rows("select cVouCode from IA_Subsidiary where cWhCode='" + wh + "' order by cVouCode")) {
        codes.push_back(row[0].asText());
    }
    return codes;
}

TEST(RunUnderFaults, LeavesEveryPairWithAllItsOldRowsOrAllItsNewOnesWhicheverStatementFails) {
    std::vector<std::string> statements;
    {
        AccountSet set;
        seed(set);
        ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
            if (changesData(s)) statements.emplace_back(s);
        }});
        RunContext context;
        ASSERT_TRUE(executeRun(context, DialectChoice::fromHostFlag(0), set.connect()));
        ASSERT_EQ(context.report.pairsRegenerated, 2);
        ASSERT_EQ(voucherCodes(set, "W1"), (std::vector<std::string>{"NEW", "NEW"}));
        ConnectionPool::clear();
    }
    // Department fill, the journal's two tables, its index, its facts' two tables, the run's row and its
    // facts, five statements of the pass, the journal's copy before, delete, insert and copy after of two
    // pairs, the run's facts and row completed, the column's removal.
    ASSERT_EQ(statements.size(), 24u);

    const std::vector<std::string> oldRows = {"OLD1", "OLD2"};
    const std::vector<std::string> newRows = {"NEW", "NEW"};
    for (const std::string& failing : statements) {
        SCOPED_TRACE(failing);
        AccountSet set;
        seed(set);
        RunContext context;
        {
            ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
                if (sameStatement(s, failing))
                    throw DbError("execute", 1, std::string(kInjected), std::string(s));
            }});
            (void)executeRun(context, DialectChoice::fromHostFlag(0), set.connect());
        }
        for (const char* wh : {"W1", "W2"}) {
            const auto codes = voucherCodes(set, wh);
            EXPECT_TRUE(codes == oldRows || codes == newRows) << wh;
        }
        // The embedded engine keeps the column beside the table, on the run's connection: not even a failed
        // removal leaves it in the file.
        EXPECT_FALSE(set.hasColumn("RdRecords", "isOutQuantity_s"));
        // A run whose removal failed did not end as it must, however well its pairs went.
        if (failing == sql::issuedQuantityRemove().text()) {
            EXPECT_FALSE(context.report.result);
            EXPECT_EQ(context.report.stop, RunStop::Fatal);
        }
        const auto& failures = context.report.failures;
        EXPECT_TRUE(std::any_of(failures.begin(), failures.end(), [&](const StepFailure& f) {
            return sameStatement(f.statement, failing) && f.message == kInjected;
        }));
        ConnectionPool::clear();
    }
}

// Rebuilt pairs are made durable in batches: a batch whose commit fails loses every pair in it. Each is then
// rebuilt again on its own; a failure that meets each of them alike (here planted on every commit) fails them
// all without trying the rest.
struct LostBatchCase {
    const char* name;
    bool plantedOnce;
    int rebuilt;
};

class RunUnderALostBatch : public ::testing::TestWithParam<LostBatchCase> {};

TEST_P(RunUnderALostBatch, RebuildsItsPairsAgainOnTheirOwn) {
    AccountSet set;
    seed(set);
    // A child row without its parent fails only the real commit: the check is deferred to it.
    set.exec(
        "create table parent(id integer primary key);"
        "create table child(p references parent(id) deferrable initially deferred)");
    ConnectionPtr host = set.connect();
    host->execute("PRAGMA foreign_keys=ON");
    int planted = 0;
    RunContext context;
    {
        ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
            std::string lower(s);
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            if ((GetParam().plantedOnce && planted > 0) || !lower.starts_with("delete") ||
                lower.find("ia_subsidiary") == std::string::npos)
                return;
            ++planted;
            host->engine().execute(Statement::asText("insert into child values (7)"));
        }});
        (void)executeRun(context, DialectChoice::fromHostFlag(0), host);
    }
    ASSERT_GT(planted, 0);
    const RunReport& report = context.report;
    EXPECT_EQ(report.pairsRegenerated, GetParam().rebuilt);
    EXPECT_EQ(report.pairsFailed, 2 - GetParam().rebuilt);
    const std::vector<std::string> rows = GetParam().rebuilt == 2 ? std::vector<std::string>{"NEW", "NEW"}
                                                                  : std::vector<std::string>{"OLD1", "OLD2"};
    for (const char* wh : {"W1", "W2"}) EXPECT_EQ(voucherCodes(set, wh), rows) << wh;
    EXPECT_TRUE(std::any_of(report.failures.begin(), report.failures.end(), [&](const StepFailure& f) {
        return f.message.find("FOREIGN KEY") != std::string::npos;
    }));
    EXPECT_EQ(set.count("child"), 0);
    ConnectionPool::clear();
}

INSTANTIATE_TEST_SUITE_P(Faults, RunUnderALostBatch,
                         ::testing::Values(LostBatchCase{"OneCommitFailing", true, 2},
                                           LostBatchCase{"EveryCommitFailing", false, 0}),
                         [](const ::testing::TestParamInfo<LostBatchCase>& p) { return p.param.name; });

}  // namespace
}  // namespace tarvenish
