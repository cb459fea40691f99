#include "reconcile/totals_match.h"

#include <gtest/gtest.h>

namespace tarvenish {
namespace {

Value text(const char* t) {
    return Value::text(t);
}

TEST(TotalsMatch, HoldsWhenBothFiguresAreEqualAndTheStockQueryGaveARow) {
    EXPECT_TRUE(totalsMatch(text("12.50"), text("250.00"), 1, text("12.50"), text("250.00")));
    EXPECT_TRUE(totalsMatch(text("12.5"), text("250"), 1, text("12.50"), text("250.00")));
}

TEST(TotalsMatch, FailsOnADifferenceInTheLastPrintedDecimal) {
    EXPECT_FALSE(totalsMatch(text("12.50"), text("250.01"), 1, text("12.50"), text("250.00")));
    EXPECT_FALSE(totalsMatch(text("12.51"), text("250.00"), 1, text("12.50"), text("250.00")));
}

TEST(TotalsMatch, FailsWhenTheStockQueryGaveNoRow) {
    EXPECT_FALSE(totalsMatch(text(""), text(""), 0, text("0"), text("0.00")));
}

TEST(TotalsMatch, TakesAnEmptyStockTextAsZero) {
    EXPECT_TRUE(totalsMatch(text(""), text(""), 1, text("0"), text("0.00")));
}

TEST(TotalsMatch, NeverHoldsForANullOrUnreadableFigure) {
    EXPECT_FALSE(totalsMatch(Value::null(), Value::null(), 1, text("0"), text("0.00")));
    EXPECT_FALSE(totalsMatch(text("0"), text("0.00"), 1, Value::null(), text("0.00")));
    EXPECT_FALSE(totalsMatch(text("0"), text("0.00"), 1, text("0"), Value::null()));
    EXPECT_FALSE(totalsMatch(text("****"), text("0.00"), 1, text("****"), text("0.00")));
}

TEST(TotalsMatch, ReadsNumbersThatTheEngineReturnsAsNumbers) {
    EXPECT_TRUE(totalsMatch(Value::real(3), Value::longInt(6), 1, text("3"), text("6.00")));
}

}  // namespace
}  // namespace tarvenish
