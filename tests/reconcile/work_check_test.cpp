#include "reconcile/work_check.h"

#include <gtest/gtest.h>

#include "support/account_set.h"

// The seeds name only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish {
namespace {

using test::AccountSet;
using test::OpeningRowSeed;

TEST(WorkCheck, ChecksAPairExpectedTwiceByItsLaterFiguresAndAPairWithoutRowsByZero) {
    AccountSet set;
    set.addWarehouse("01", "Main", std::nullopt);
    set.addWarehouse("02", "Side", std::nullopt);
    set.addOpeningRow(OpeningRowSeed{.whCode = "02", .invCode = "A001", .quantity = 3, .money = 4.5});
    set.addOpeningRow(OpeningRowSeed{.whCode = "01", .invCode = "A001", .quantity = 7, .money = 40});
    set.addOpeningRow(OpeningRowSeed{.whCode = "01", .invCode = "A001", .quantity = 1, .money = 0.25});

    WorkCheck check;
    check.expect("02", "A001", 3, 4.5);
    // The pair's first figures were superseded (a confirm after its rebuild): the later ones count.
    check.expect("01", "A001", 5, 5);
    check.expect("01", "A001", 8, 40.25);
    check.expect("01", "B001", 0, 0);
    RunReport report;
    EXPECT_TRUE(check.verify(set.connectionString(), Dialect::Server, PairMode::Warehouse, 2, report))
        << (report.failures.empty() ? "" : report.failures.front().message);
    EXPECT_EQ(report.verification.pairsChecked, 3);
    EXPECT_EQ(report.verification.pairsDiffering, 0);

    WorkCheck wrong;
    wrong.expect("01", "A001", 8, 40.26);
    wrong.expect("02", "B001", 1, 0);
    RunReport differing;
    EXPECT_FALSE(wrong.verify(set.connectionString(), Dialect::Server, PairMode::Warehouse, 2, differing));
    ASSERT_EQ(differing.verification.differences.size(), 2u);
    EXPECT_EQ(differing.verification.differences[0].invCode, "A001");
    EXPECT_DOUBLE_EQ(differing.verification.differences[0].foundMoney, 40.25);
    EXPECT_EQ(differing.verification.differences[1].code, "02");
    EXPECT_DOUBLE_EQ(differing.verification.differences[1].foundQuantity, 0);
}

}  // namespace
}  // namespace tarvenish
