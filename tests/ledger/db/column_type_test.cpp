#include "ledger/db/column_type.h"

#include <gtest/gtest.h>

namespace tarvenish {
namespace {

TEST(ColumnAffinityOfDeclaredType, FollowsTheEngineRulesWithDatesFirst) {
    EXPECT_EQ(affinityOf("DATETIME"), ColumnAffinity::Date);
    EXPECT_EQ(affinityOf("smalldatetime"), ColumnAffinity::Date);
    EXPECT_EQ(affinityOf("TIMESTAMP"), ColumnAffinity::Date);
    EXPECT_EQ(affinityOf("SMALLINT"), ColumnAffinity::Integer);
    EXPECT_EQ(affinityOf("NVARCHAR(60)"), ColumnAffinity::Text);
    EXPECT_EQ(affinityOf(""), ColumnAffinity::Text);
    EXPECT_EQ(affinityOf("FLOAT"), ColumnAffinity::Real);
    EXPECT_EQ(affinityOf("MONEY"), ColumnAffinity::Numeric);
    EXPECT_EQ(affinityOf("DECIMAL(18,2)"), ColumnAffinity::Numeric);
    EXPECT_EQ(affinityOf("BIT"), ColumnAffinity::Numeric);
}

TEST(ColumnConversion, NumericTextBecomesANumberOfTheColumnsKind) {
    EXPECT_EQ(convertForColumn(ColumnAffinity::Integer, Value::text(" 42 ")), Value::longInt(42));
    EXPECT_EQ(convertForColumn(ColumnAffinity::Integer, Value::text("9007199254740993")),
              Value::longInt(9007199254740993));
    EXPECT_EQ(convertForColumn(ColumnAffinity::Real, Value::text("3")), Value::real(3.0));
    EXPECT_EQ(convertForColumn(ColumnAffinity::Numeric, Value::text("-1.25e1")), Value::real(-12.5));
    EXPECT_EQ(convertForColumn(ColumnAffinity::Numeric, Value::text("100.0")), Value::longInt(100));
}

TEST(ColumnConversion, TextThatIsNoNumberIsRefusedByNumberColumns) {
    for (const auto affinity : {ColumnAffinity::Integer, ColumnAffinity::Real, ColumnAffinity::Numeric}) {
        EXPECT_FALSE(convertForColumn(affinity, Value::text("")));
        EXPECT_FALSE(convertForColumn(affinity, Value::text("  ")));
        EXPECT_FALSE(convertForColumn(affinity, Value::text("1,5")));
        EXPECT_FALSE(convertForColumn(affinity, Value::text("abc")));
    }
}

TEST(ColumnConversion, DateColumnsTakeDatesAndDateTextAsDateText) {
    EXPECT_EQ(convertForColumn(ColumnAffinity::Date, Value::text("2024/1/5")), Value::text("2024-01-05"));
    EXPECT_EQ(convertForColumn(ColumnAffinity::Date, Value::date(makeDate(2024, 1, 5, 12))),
              Value::text("2024-01-05 12:00:00"));
    EXPECT_FALSE(convertForColumn(ColumnAffinity::Date, Value::text("")));
    EXPECT_FALSE(convertForColumn(ColumnAffinity::Date, Value::text("2024-02-30")));
}

TEST(ColumnConversion, TextColumnsTakeAnythingAsText) {
    EXPECT_EQ(convertForColumn(ColumnAffinity::Text, Value::integer(1)), Value::text("1"));
    EXPECT_EQ(convertForColumn(ColumnAffinity::Text, Value::real(2.5)), Value::text("2.5"));
    EXPECT_EQ(convertForColumn(ColumnAffinity::Text, Value::text("")), Value::text(""));
    EXPECT_EQ(convertForColumn(ColumnAffinity::Text, Value::null()), Value::null());
}

}  // namespace
}  // namespace tarvenish
