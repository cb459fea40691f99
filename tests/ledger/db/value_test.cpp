#include "ledger/db/value.h"

#include <gtest/gtest.h>

namespace tarvenish {
namespace {

TEST(ValueConversion, TextOfEachKind) {
    EXPECT_EQ(Value().asText(), "");
    EXPECT_EQ(Value::integer(-7).asText(), "-7");
    EXPECT_EQ(Value::longInt(1234567890123).asText(), "1234567890123");
    EXPECT_EQ(Value::real(2.5).asText(), "2.5");
    EXPECT_EQ(Value::real(0.1).asText(), "0.1");
    EXPECT_EQ(Value::date(makeDate(2024, 3, 1)).asText(), "2024-03-01");
    EXPECT_EQ(Value::boolean(true).asText(), "True");
    EXPECT_EQ(Value::boolean(false).asText(), "False");
}

TEST(ValueConversion, NullHasNoTextButDisplaysEmpty) {
    EXPECT_THROW((void)Value::null().asText(), ConversionError);
    EXPECT_EQ(Value::null().displayText(), "");
}

TEST(ValueConversion, NumericTextBecomesANumberAndOtherTextIsRefused) {
    EXPECT_DOUBLE_EQ(Value::text(" 12.5 ").asDouble(), 12.5);
    EXPECT_THROW((void)Value::text("12.5kg").asDouble(), ConversionError);
    EXPECT_THROW((void)Value::text("").asDouble(), ConversionError);
    EXPECT_THROW((void)Value::null().asDouble(), ConversionError);
}

TEST(ValueConversion, LongRoundsHalfToEven) {
    EXPECT_EQ(Value::real(2.5).asLong(), 2);
    EXPECT_EQ(Value::real(3.5).asLong(), 4);
    EXPECT_EQ(Value::real(-2.5).asLong(), -2);
    EXPECT_THROW((void)Value::real(1e30).asLong(), ConversionError);
}

TEST(ValueConversion, BooleansAreMinusOneAndZero) {
    EXPECT_EQ(Value::boolean(true).rawInteger(), -1);
    EXPECT_DOUBLE_EQ(Value::boolean(true).asDouble(), -1.0);
    EXPECT_TRUE(Value::text("true").asBool());
    EXPECT_FALSE(Value::text("0").asBool());
    EXPECT_THROW((void)Value::text("maybe").asBool(), ConversionError);
}

TEST(ValueConversion, DateFromTextOrDayCount) {
    EXPECT_EQ(Value::text("2024-02-29").asDate(), makeDate(2024, 2, 29));
    EXPECT_EQ(Value::real(45000).asDate(), Date{45000});
    EXPECT_THROW((void)Value::text("yesterday").asDate(), ConversionError);
}

TEST(Dates, DayZeroIsTheLastDayOf1899) {
    EXPECT_DOUBLE_EQ(makeDate(1899, 12, 30).days, 0.0);
    EXPECT_DOUBLE_EQ(makeDate(1900, 1, 1).days, 2.0);
    EXPECT_DOUBLE_EQ(makeDate(2000, 1, 1).days, 36526.0);
    EXPECT_DOUBLE_EQ(makeDate(2000, 1, 1, 18).days, 36526.75);
}

TEST(Dates, TextShowsTimeOnlyWhenPresent) {
    EXPECT_EQ(dateText(makeDate(2023, 12, 31)), "2023-12-31");
    EXPECT_EQ(dateText(makeDate(2023, 12, 31, 8, 5, 9)), "2023-12-31 08:05:09");
}

TEST(Dates, SplitRoundsToTheNearestSecondAcrossMidnight) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    splitDate(Date{makeDate(2023, 12, 31).days + 1 - 0.1 / 86400}, y, mo, d, h, mi, s);
    EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, s}), std::vector<int>({2024, 1, 1, 0, 0, 0}));
}

TEST(Dates, DaysBeforeDayZeroKeepTheirTimeOfDay) {
    const Date d = makeDate(1899, 12, 29, 6);
    EXPECT_DOUBLE_EQ(d.days, -1.25);
    EXPECT_EQ(dateText(d), "1899-12-29 06:00:00");
}

TEST(Dates, ParseAcceptsTheThreeSeparatorsAndATime) {
    Date d;
    ASSERT_TRUE(parseDate(" 2024/02/29 ", d));
    EXPECT_EQ(d, makeDate(2024, 2, 29));
    ASSERT_TRUE(parseDate("2024.1.5", d));
    EXPECT_EQ(d, makeDate(2024, 1, 5));
    ASSERT_TRUE(parseDate("2024-01-05T13:45", d));
    EXPECT_EQ(d, makeDate(2024, 1, 5, 13, 45));
    ASSERT_TRUE(parseDate("2024-01-05 13:45:30", d));
    EXPECT_EQ(dateText(d), "2024-01-05 13:45:30");
}

TEST(Dates, ParseRefusesDaysThatTheCalendarHasNot) {
    Date d;
    EXPECT_FALSE(parseDate("2024-02-30", d));
    EXPECT_FALSE(parseDate("2023-02-29", d));
    EXPECT_FALSE(parseDate("1900-02-29", d));
    EXPECT_FALSE(parseDate("2024-13-01", d));
    EXPECT_FALSE(parseDate("2024-04-31", d));
    EXPECT_TRUE(parseDate("2000-02-29", d));
}

TEST(Dates, ParseRefusesMalformedText) {
    Date d;
    EXPECT_FALSE(parseDate("", d));
    EXPECT_FALSE(parseDate("2024-01/05", d));
    EXPECT_FALSE(parseDate("2024-01-05 25:00", d));
    EXPECT_FALSE(parseDate("2024-01-05 12:60", d));
    EXPECT_FALSE(parseDate("2024-01-05x", d));
    EXPECT_FALSE(parseDate("24-01-05", d));
}

}  // namespace
}  // namespace tarvenish
