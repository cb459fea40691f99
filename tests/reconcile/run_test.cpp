#include "reconcile/run.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "component/adjustment_presenter.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "component/shared_state.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "ledger/sql/statements.h"
#include "support/account_set.h"

// The seeds and hooks name only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish {
namespace {

using test::AccountSet;
using test::OpeningRowSeed;
using test::Receipt;
using test::ReceiptLine;

// Stands in for the dialog: notes the pair that SharedState describes and can cancel the run.
class RecordingPresenter final : public AdjustmentPresenter {
public:
    struct Shown {
        std::string whCode;
        std::string whName;
        std::string invCode;
        std::string invName;
        double quantity = 0.0;
        double money = 0.0;
    };

    DialogResult showModal(PairMode, RunReport&) override {
        SharedState& state = sharedState();
        shown.push_back(
            {state.WhCode, state.WhName, state.InvCode, state.InvName, state.Quantity, state.Money});
        DialogResult result;
        if (static_cast<int>(shown.size()) == cancelAt) {
            state.StopRun = true;
            result.cancelled = true;
        }
        return result;
    }

    std::vector<Shown> shown;
    int cancelAt = 0;  // the 1-based showing at which the user cancels; 0 never
};

class RunTest : public ::testing::TestWithParam<std::int16_t> {
protected:
    // The context of the runs a test starts; its report is what they did.
    RunContext m_context;
    [[nodiscard]] RunReport& report() { return m_context.report; }

    void SetUp() override {
        m_set.useWarehouseMode();
        m_set.addSetting("AA", "iStrsQuanDecDgt", "2");
        m_set.addSetting("AA", "iStrsPriDecDgt", "2");
        m_context.presenter = m_presenter;
    }
    void TearDown() override { ConnectionPool::clear(); }

    // A pair with one booked receipt line of 10 at 2 (money 20) and one old opening row "OLD"; the row's
    // money is off by one cent when `differs`.
    void addPair(const std::string& whCode, const std::string& invCode, bool differs = false) {
        m_set.addWarehouse(whCode, "仓库" + whCode, std::nullopt);
        if (m_items.insert(invCode).second) m_set.addInventory(invCode, "存货" + invCode);
        (void)m_set.addReceipt(Receipt{.whCode = whCode, .code = "R-" + whCode},
                               {ReceiptLine{.invCode = invCode, .quantity = 10, .unitCost = 2, .price = 20}});
        m_set.addOpeningRow(OpeningRowSeed{.whCode = whCode,
                                           .invCode = invCode,
                                           .quantity = 10,
                                           .money = differs ? 20.01 : 20.0,
                                           .vouCode = "OLD"});
    }

    // The voucher codes of a pair's opening rows.
    [[nodiscard]] std::vector<Value> vouchers(const std::string& whCode,
                                              const std::string& invCode = "A001") const {
        std::vector<Value> codes;
        for (auto& row : m_set.rows("select cVouCode from IA_Subsidiary where cVouType='34' and cWhCode='" +
                                    whCode + "' and cinvcode='" + invCode + "' order by cVouCode")) {
            codes.push_back(row[0]);
        }
        return codes;
    }

    bool run() { return executeRun(m_context, DialectChoice::fromHostFlag(GetParam()), m_host); }

    AccountSet m_set;
    ConnectionPtr m_host = m_set.connect();
    std::shared_ptr<RecordingPresenter> m_presenter = std::make_shared<RecordingPresenter>();
    std::set<std::string> m_items;
};

const std::vector<Value> kOld = {Value::text("OLD")};

TEST_P(RunTest, ReturnsAtOnceWithoutTheTemporaryColumnWhenThereAreNoOpeningRows) {
    m_set.addWarehouse("01", "一号库", std::nullopt);
    (void)m_set.addReceipt(Receipt{.whCode = "01"}, {ReceiptLine{.invCode = "A001", .quantity = 1}});
    std::vector<std::string> sent;
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) { sent.emplace_back(s); }});

    EXPECT_TRUE(run());

    for (const auto& statement : sent)
        EXPECT_EQ(statement.find("isOutQuantity_s"), std::string::npos) << statement;
    EXPECT_FALSE(m_set.hasColumn("RdRecords", "isOutQuantity_s"));
    EXPECT_EQ(report().pairsTotal, 0);
    EXPECT_TRUE(sharedState().connEmpty());
}

TEST_P(RunTest, RegeneratesAMatchingPairWithOneRowPerBookedReceiptLine) {
    addPair("01", "A001");
    (void)m_set.addReceipt(Receipt{.whCode = "01", .code = "UNBOOKED", .accounter = std::nullopt},
                           {ReceiptLine{.invCode = "A001", .quantity = 5, .unitCost = 1, .price = 5}});
    (void)m_set.addReceipt(
        Receipt{.whCode = "01", .code = "R-01b"},
        {ReceiptLine{.invCode = "A001", .quantity = 4, .unitCost = 2, .price = 8, .isOutQuantity = 4}});
    std::vector<std::pair<int, int>> progress;
    report().onProgress = [&](int done, int total) { progress.emplace_back(done, total); };

    EXPECT_TRUE(run());
    report().onProgress = nullptr;

    const auto rows = m_set.rows(
        "select cVouCode, iainquantity, iainprice, cdepcode from IA_Subsidiary "
        "order by cVouCode");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].asText(), "R-01");
    EXPECT_DOUBLE_EQ(rows[0][1].asDouble(), 10.0);
    EXPECT_DOUBLE_EQ(rows[0][2].asDouble(), 20.0);
    EXPECT_EQ(rows[1][0].asText(), "R-01b");  // fully issued: still a row, with nothing remaining
    EXPECT_DOUBLE_EQ(rows[1][1].asDouble(), 0.0);
    EXPECT_DOUBLE_EQ(rows[1][2].asDouble(), 0.0);
    EXPECT_TRUE(rows[0][3].isNull());
    EXPECT_TRUE(m_presenter->shown.empty());
    EXPECT_EQ(report().pairsTotal, 1);
    EXPECT_EQ(report().pairsRegenerated, 1);
    EXPECT_TRUE(report().failures.empty());
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_FALSE(m_set.hasColumn("RdRecords", "isOutQuantity_s"));
}

TEST_P(RunTest, ShowsThePairThatDiffersInTheLastDecimalAndLeavesItWhenTheDialogWritesNothing) {
    addPair("01", "A001", true);

    EXPECT_TRUE(run());

    ASSERT_EQ(m_presenter->shown.size(), 1u);
    EXPECT_EQ(m_presenter->shown[0].whCode, "01");
    EXPECT_EQ(m_presenter->shown[0].whName, "仓库01");
    EXPECT_EQ(m_presenter->shown[0].invCode, "A001");
    EXPECT_DOUBLE_EQ(m_presenter->shown[0].quantity, 10.0);
    EXPECT_DOUBLE_EQ(m_presenter->shown[0].money, 20.01);
    EXPECT_EQ(vouchers("01"), kOld);
    EXPECT_EQ(report().pairsSkipped, 1);
}

TEST_P(RunTest, LeavesTheRemainingPairsUntouchedWhenTheUserCancelsOnTheSecond) {
    addPair("01", "A001");
    addPair("02", "A001", true);
    addPair("03", "A001");
    addPair("04", "A001", true);
    addPair("05", "A001");
    m_presenter->cancelAt = 1;

    EXPECT_FALSE(run());

    EXPECT_EQ(vouchers("01"), std::vector<Value>{Value::text("R-01")});
    for (const char* wh : {"02", "03", "04", "05"}) EXPECT_EQ(vouchers(wh), kOld) << wh;
    EXPECT_EQ(m_presenter->shown.size(), 1u);
    EXPECT_FALSE(m_set.hasColumn("RdRecords", "isOutQuantity_s"));
    EXPECT_TRUE(report().cancelled);
    EXPECT_FALSE(report().result);
    EXPECT_TRUE(sharedState().connEmpty());
}

TEST_P(RunTest, SendsAPairWithoutBookedReceiptLinesToTheDialogInsteadOfEmptyingIt) {
    // Zero ledger totals against the Null totals of no booked line: taking Null as 0 would delete the rows.
    addPair("01", "A001");
    m_set.exec("update RdRecord set caccounter=null; update IA_Subsidiary set iainquantity=0, iainprice=0");

    EXPECT_TRUE(run());

    EXPECT_EQ(m_presenter->shown.size(), 1u);
    EXPECT_EQ(vouchers("01"), kOld);
    EXPECT_EQ(report().pairsRegenerated, 0);
}

TEST_P(RunTest, SendsAPairWhoseStockTotalsDoNotOpenToTheDialog) {
    addPair("01", "A001");
    const std::string totals = sql::stockTotals(DialectChoice::fromHostFlag(GetParam()).forPairs(),
                                                PairMode::Warehouse, 2, "01", "A001")
                                   .text();
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (s == totals) throw DbError("open recordset", 5, "database is locked", std::string(s));
    }});

    EXPECT_TRUE(run());

    EXPECT_EQ(m_presenter->shown.size(), 1u);
    EXPECT_EQ(vouchers("01"), kOld);
    ASSERT_EQ(report().failures.size(), 1u);
    EXPECT_EQ(report().failures[0].statement, totals);
    EXPECT_EQ(report().failures[0].message, "database is locked");
}

TEST_P(RunTest, LeavesADifferingPairAsItIsWhenNoDialogCanBeShown) {
    addPair("01", "A001", true);

    EXPECT_TRUE(run());

    EXPECT_EQ(vouchers("01"), kOld);
    EXPECT_EQ(report().pairsSkipped, 1);
}

TEST_P(RunTest, DescribesAPairWithNullNamesWithEmptyTextsNotThePreviousPair) {
    addPair("01", "A001", true);
    addPair("02", "B001", true);
    // An item missing from Inventory leaves its name and specification Null in the pair summary.
    m_set.exec("delete from Inventory where cInvCode='B001'");

    EXPECT_TRUE(run());

    ASSERT_EQ(m_presenter->shown.size(), 2u);
    EXPECT_EQ(m_presenter->shown[1].whCode, "02");
    EXPECT_EQ(m_presenter->shown[1].whName, "仓库02");
    EXPECT_EQ(m_presenter->shown[1].invCode, "B001");
    EXPECT_EQ(m_presenter->shown[1].invName, "");
}

TEST_P(RunTest, WritesNothingAndDoesNotReportSuccessWhenTheKeepDateCannotBeRead) {
    addPair("01", "A001");
    m_set.exec("update IA_Subsidiary set dkeepdate=null");

    EXPECT_FALSE(run());

    EXPECT_EQ(vouchers("01"), kOld);
    EXPECT_FALSE(m_set.hasColumn("RdRecords", "isOutQuantity_s"));
    EXPECT_FALSE(report().result);
    EXPECT_FALSE(report().cancelled);
    ASSERT_FALSE(report().failures.empty());
    EXPECT_EQ(report().failures.front().step, "read keep date");
    EXPECT_EQ(report().failures.back().step, "run stopped");
    EXPECT_TRUE(sharedState().connEmpty());
}

TEST_P(RunTest, KeepsAPairsOldRowsWhenItsInsertFailsAndGoesOnWithTheNextPair) {
    addPair("01", "A001");
    addPair("02", "A001");
    const std::string failing =
        sql::regenerationInsert(DialectChoice::fromHostFlag(GetParam()).forPairs(), PairMode::Warehouse,
                                makeDate(2024, 1, 1), "01", "A001")
            .text();
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (s == failing) throw DbError("execute", 19, "UNIQUE constraint failed", std::string(s));
    }});

    // The next pair is still rebuilt, but the run answers false for the pair that failed.
    EXPECT_FALSE(run());

    EXPECT_EQ(vouchers("01"), kOld);
    EXPECT_EQ(vouchers("02"), std::vector<Value>{Value::text("R-02")});
    EXPECT_EQ(report().pairsFailed, 1);
    EXPECT_EQ(report().pairsRegenerated, 1);
    ASSERT_EQ(report().failures.size(), 1u);
    EXPECT_EQ(report().failures[0].step, "regenerate pair 01/A001");
    EXPECT_EQ(report().failures[0].statement, failing);
    EXPECT_EQ(report().failures[0].message, "UNIQUE constraint failed");
}

TEST_P(RunTest, StopsAsAWholeRunFailureWhenThePairSummaryCannotBeOpened) {
    addPair("01", "A001");
    m_set.exec("alter table Inventory rename column cInvName to cInvTitle");
    const std::string summary =
        sql::pairSummary(DialectChoice::fromHostFlag(GetParam()).forPairs(), PairMode::Warehouse, 2).text();

    EXPECT_FALSE(run());

    EXPECT_EQ(report().stop, RunStop::Fatal);
    ASSERT_EQ(report().failures.size(), 2u);
    EXPECT_EQ(report().failures[0].step, "pair summary");
    EXPECT_EQ(report().failures[0].statement, summary);
    EXPECT_EQ(report().failures[1].step, "run stopped");
    EXPECT_FALSE(m_set.hasColumn("RdRecords", "isOutQuantity_s"));
    EXPECT_EQ(vouchers("01"), kOld);
}

TEST_P(RunTest, RebuildsAPairWhoseCodeHoldsAnApostrophe) {
    addPair("O'Neil", "A001");

    EXPECT_TRUE(run());

    EXPECT_EQ(vouchers("O''Neil"), std::vector<Value>{Value::text("R-O'Neil")});
    EXPECT_TRUE(report().failures.empty());
}

TEST_P(RunTest, RebuildsADepartmentPairFromAllItsSpecificIdentificationWarehouses) {
    m_set.exec("delete from AccInformation where cName='cValueStyle'");
    m_set.useDepartmentMode();
    m_set.addDepartment("D1", "一部");
    m_set.addWarehouse("W1", "甲库", "D1");
    m_set.addWarehouse("W2", "乙库", "D1");
    m_set.addWarehouse("W3", "丙库", "D1", "先进先出法");
    m_set.addInventory("A001", "螺丝");
    (void)m_set.addReceipt(Receipt{.whCode = "W1", .code = "R-W1"},
                           {ReceiptLine{.invCode = "A001", .quantity = 10, .unitCost = 2, .price = 20}});
    (void)m_set.addReceipt(Receipt{.whCode = "W2", .code = "R-W2"},
                           {ReceiptLine{.invCode = "A001", .quantity = 5, .unitCost = 1, .price = 5}});
    m_set.addOpeningRow(
        OpeningRowSeed{.whCode = "W1", .invCode = "A001", .quantity = 8, .money = 10, .vouCode = "OLD"});
    m_set.addOpeningRow(
        OpeningRowSeed{.whCode = "W2", .invCode = "A001", .quantity = 7, .money = 15, .vouCode = "OLD"});

    EXPECT_TRUE(run());

    EXPECT_EQ(report().pairsTotal, 1);
    EXPECT_EQ(report().pairsRegenerated, 1);
    EXPECT_EQ(vouchers("W1"), std::vector<Value>{Value::text("R-W1")});
    EXPECT_EQ(vouchers("W2"), std::vector<Value>{Value::text("R-W2")});
    EXPECT_TRUE(m_presenter->shown.empty());
}

INSTANTIATE_TEST_SUITE_P(BothDialects, RunTest, ::testing::Values(std::int16_t{0}, std::int16_t{1}),
                         [](const auto& p) { return p.param == 1 ? "Server" : "Desktop"; });

TEST(RunDialects, LeaveTheSameOpeningRows) {
    std::vector<std::vector<std::vector<Value>>> ledgers;
    for (const std::int16_t accSql : {std::int16_t{0}, std::int16_t{1}}) {
        AccountSet set;
        set.useWarehouseMode();
        set.addSetting("AA", "iStrsQuanDecDgt", "3");
        set.addWarehouse("01", "一号库", std::nullopt);
        set.addInventory("A001", "螺丝");
        const auto ids = set.addReceipt(Receipt{.whCode = "01", .memo = "期初"},
                                        {ReceiptLine{.invCode = "A001",
                                                     .quantity = 10,
                                                     .unitCost = 2.5,
                                                     .price = 25,
                                                     .isOutQuantity = 3,
                                                     .batch = "B7"},
                                         ReceiptLine{.invCode = "A001", .quantity = 2, .price = 7}});
        (void)set.addReceipt(
            Receipt{.whCode = "01", .code = "9", .vouchType = "32", .brdflag = 0},
            {ReceiptLine{.invCode = "A001", .quantity = 1, .vouchCode = std::to_string(ids[0])}});
        set.addOpeningRow(OpeningRowSeed{.whCode = "01", .invCode = "A001", .quantity = 10, .money = 27});
        RunContext context;
        ASSERT_TRUE(executeRun(context, DialectChoice::fromHostFlag(accSql), set.connect()));
        EXPECT_EQ(context.report.pairsRegenerated, 1);
        ledgers.push_back(set.rows("select * from IA_Subsidiary order by cVouCode, iainquantity"));
        ConnectionPool::clear();
    }
    EXPECT_EQ(ledgers[0], ledgers[1]);
}

}  // namespace
}  // namespace tarvenish
