#include "reconcile/issued_quantity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "support/account_set.h"

// The seeds and hooks name only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish {
namespace {

using test::AccountSet;
using test::Receipt;
using test::ReceiptLine;

class IssuedQuantityPass : public ::testing::TestWithParam<Dialect> {
protected:
    // The figure the pass left on one line, or Null.
    Value figureOf(std::int64_t autoid) const {
        return m_set.scalar("select isOutQuantity_s from RdRecords where autoid=" + std::to_string(autoid));
    }

    // An opening receipt line with an issued quantity of 6 and three lines drawing on it: one under a header
    // of direction 0 (counted with its sign), one under direction 1 and one without a header (both counted as
    // their absolute value). Returns the receipt line's autoid.
    std::int64_t seedLineWithDrawers() {
        const auto ids = m_set.addReceipt(
            Receipt{.whCode = "01"}, {ReceiptLine{.invCode = "A001", .quantity = 10, .isOutQuantity = 6}});
        const std::string target = std::to_string(ids[0]);
        (void)m_set.addReceipt(Receipt{.whCode = "01", .code = "0000000002", .vouchType = "32", .brdflag = 0},
                               {ReceiptLine{.invCode = "A001", .quantity = -2, .vouchCode = target}});
        (void)m_set.addReceipt(Receipt{.whCode = "01", .code = "0000000003", .vouchType = "32", .brdflag = 1},
                               {ReceiptLine{.invCode = "A001", .quantity = -3, .vouchCode = target}});
        m_set.exec(
            "insert into RdRecords (ID, cInvCode, iQuantity, isOutQuantity, cVouchCode) values (9999, "
            "'A001', "
            "-1, 0, '" +
            target + "')");
        return ids[0];
    }

    AccountSet m_set;
    ConnectionPtr m_conn = m_set.connect();
    RunReport m_report;
};

TEST_P(IssuedQuantityPass, TakesOffSignedOrAbsoluteQuantitiesOfTheLinesDrawingOnALine) {
    const auto line = seedLineWithDrawers();
    const auto untouched =
        m_set.addReceipt(Receipt{.whCode = "01", .code = "0000000004"},
                         {ReceiptLine{.invCode = "B001", .quantity = 8, .isOutQuantity = 5},
                          ReceiptLine{.invCode = "B002", .quantity = 8, .isOutQuantity = {}}});

    ASSERT_TRUE(issued_quantity::Prepare(*m_conn, GetParam(), m_report));

    // 6 - (-2 + 3 + 1)
    EXPECT_DOUBLE_EQ(figureOf(line).asDouble(), 4.0);
    EXPECT_DOUBLE_EQ(figureOf(untouched[0]).asDouble(), 5.0);
    EXPECT_TRUE(figureOf(untouched[1]).isNull());
    EXPECT_FALSE(m_set.hasTable("FSumQuantity"));
    EXPECT_TRUE(m_report.failures.empty());
}

TEST_P(IssuedQuantityPass, DropsALeftoverSumTableSoTheFiguresComeFromThisRun) {
    const auto line = seedLineWithDrawers();
    m_set.exec(
        "create table FSumQuantity (autoid integer, IsumQuantity float);"
        "insert into FSumQuantity values (" +
        std::to_string(line) + ", 999)");

    ASSERT_TRUE(issued_quantity::Prepare(*m_conn, GetParam(), m_report));

    EXPECT_DOUBLE_EQ(figureOf(line).asDouble(), 4.0);
    EXPECT_FALSE(m_set.hasTable("FSumQuantity"));
}

TEST_P(IssuedQuantityPass, TakesNoFiguresFromFSumQuantityWhenTheSelectIntoFails) {
    (void)seedLineWithDrawers();
    std::vector<std::string> sent;
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view statement) {
        sent.emplace_back(statement);
        if (statement.starts_with("select RdRecords.autoid")) throw DbError("execute", 1, "disk full", "");
    }});

    EXPECT_FALSE(issued_quantity::Prepare(*m_conn, GetParam(), m_report));

    const std::string update = sql::issuedQuantityPrepare(GetParam())[3].text();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), update), 0);
    ASSERT_FALSE(m_report.failures.empty());
    EXPECT_EQ(m_report.failures[0].statement, sql::issuedQuantityPrepare(GetParam())[2].text());
    EXPECT_EQ(m_report.failures[0].message, "disk full");
}

TEST_P(IssuedQuantityPass, GoesOnWhenTheColumnIsLeftFromAnEarlierRunAndRecordsTheRefusal) {
    const auto line = seedLineWithDrawers();
    m_set.exec("alter table RdRecords add isOutQuantity_s float; update RdRecords set isOutQuantity_s=77");

    EXPECT_TRUE(issued_quantity::Prepare(*m_conn, GetParam(), m_report));

    EXPECT_DOUBLE_EQ(figureOf(line).asDouble(), 4.0);
    ASSERT_EQ(m_report.failures.size(), 1u);
    EXPECT_EQ(m_report.failures[0].statement, sql::issuedQuantityPrepare(GetParam())[0].text());
}

INSTANTIATE_TEST_SUITE_P(BothDialects, IssuedQuantityPass,
                         ::testing::Values(Dialect::Desktop, Dialect::Server),
                         [](const auto& p) { return p.param == Dialect::Server ? "Server" : "Desktop"; });

}  // namespace
}  // namespace tarvenish
