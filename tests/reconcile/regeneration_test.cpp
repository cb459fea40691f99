#include "reconcile/regeneration.h"

#include <gtest/gtest.h>

#include <string>

#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "reconcile/issued_quantity.h"
#include "support/account_set.h"

// The seeds and hooks name only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish {
namespace {

using test::AccountSet;
using test::OpeningRowSeed;
using test::Receipt;
using test::ReceiptLine;

const Date kKeepDate = makeDate(2024, 1, 1);

class Regeneration : public ::testing::TestWithParam<Dialect> {
protected:
    // Three booked receipt lines of the pair, one unbooked receipt, two old opening rows and another pair's
    // row.
    void seedPair(const std::string& whCode) {
        (void)m_set.addReceipt(
            Receipt{.whCode = whCode},
            {ReceiptLine{.invCode = "A001", .quantity = 10, .unitCost = 2, .price = 20, .isOutQuantity = 4},
             ReceiptLine{.invCode = "A001", .quantity = 5, .unitCost = {}, .price = 30, .isOutQuantity = 1},
             ReceiptLine{.invCode = "B001", .quantity = 9, .unitCost = 1, .price = 9}});
        (void)m_set.addReceipt(
            Receipt{.whCode = whCode, .code = "0000000002"},
            {ReceiptLine{.invCode = "A001", .quantity = 3, .unitCost = 1.5, .price = 4.5}});
        (void)m_set.addReceipt(
            Receipt{.whCode = whCode, .code = "0000000003", .accounter = std::nullopt},
            {ReceiptLine{.invCode = "A001", .quantity = 100, .unitCost = 1, .price = 100}});
        m_set.addOpeningRow(OpeningRowSeed{.whCode = whCode, .invCode = "A001", .quantity = 7, .money = 40});
        m_set.addOpeningRow(OpeningRowSeed{.whCode = whCode, .invCode = "A001", .quantity = 6, .money = 6.5});
        m_set.addOpeningRow(OpeningRowSeed{.whCode = whCode, .invCode = "B001", .quantity = 9, .money = 9});
        RunReport report;
        ASSERT_TRUE(issued_quantity::Prepare(*m_conn, GetParam(), report));
    }

    [[nodiscard]] std::vector<std::vector<Value>> pairRows(const std::string& invCode) const {
        return m_set.rows(
            "select iainquantity, iainprice, cVouCode from IA_Subsidiary where cVouType='34' and "
            "cinvcode='" +
            invCode + "' order by iainquantity");
    }

    AccountSet m_set;
    ConnectionPtr m_conn = m_set.connect();
};

TEST_P(Regeneration, WritesOneRowPerBookedReceiptLineWithItsRemainingFigures) {
    seedPair("01");

    const auto result = Regenerate(*m_conn, GetParam(), PairMode::Warehouse, kKeepDate, "01", "A001");

    ASSERT_TRUE(result.committed) << result.message;
    const auto rows = pairRows("A001");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_DOUBLE_EQ(rows[0][0].asDouble(), 3.0);
    EXPECT_DOUBLE_EQ(rows[0][1].asDouble(), 4.5);
    EXPECT_EQ(rows[0][2].asText(), "0000000002");
    EXPECT_DOUBLE_EQ(rows[1][0].asDouble(), 4.0);
    EXPECT_DOUBLE_EQ(rows[1][1].asDouble(), 30.0);  // no unit cost: the whole amount remains
    EXPECT_DOUBLE_EQ(rows[2][0].asDouble(), 6.0);
    EXPECT_DOUBLE_EQ(rows[2][1].asDouble(), 12.0);
    EXPECT_EQ(pairRows("B001").size(), 1u);
}

TEST_P(Regeneration, KeepsTheOldRowsWhenTheInsertFails) {
    seedPair("01");
    const auto before = pairRows("A001");
    ScopedEngineHooks hooks({.beforeStatement = [](std::string_view statement) {
        if (statement.starts_with("insert into IA_subsidiary"))
            throw DbError("execute", 19, "constraint failed", "");
    }});

    const auto result = Regenerate(*m_conn, GetParam(), PairMode::Warehouse, kKeepDate, "01", "A001");

    EXPECT_FALSE(result.committed);
    EXPECT_EQ(result.statement,
              sql::regenerationInsert(GetParam(), PairMode::Warehouse, kKeepDate, "01", "A001").text());
    EXPECT_EQ(result.message, "constraint failed");
    EXPECT_EQ(pairRows("A001"), before);
    EXPECT_FALSE(m_conn->inTransaction());
}

TEST_P(Regeneration, TakesACodeWithAnApostropheAsOneText) {
    seedPair("O'Neil");

    const auto result = Regenerate(*m_conn, GetParam(), PairMode::Warehouse, kKeepDate, "O'Neil", "A001");

    ASSERT_TRUE(result.committed) << result.message;
    EXPECT_EQ(pairRows("A001").size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(BothDialects, Regeneration, ::testing::Values(Dialect::Desktop, Dialect::Server),
                         [](const auto& p) { return p.param == Dialect::Server ? "Server" : "Desktop"; });

}  // namespace
}  // namespace tarvenish
