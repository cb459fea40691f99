#include "base/number_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvenish {
namespace {

std::string ltrim(std::string text) {
    return text.erase(0, text.find_first_not_of(' '));
}

// The desktop mask for n decimals: "##0", then "." and n zeros.
std::string desktopMask(int decimals) {
    return "##0" + (decimals > 0 ? "." + std::string(decimals, '0') : "");
}

TEST(FormatNumber, RoundsHalfAwayFromZeroAtTheMasksDecimals) {
    EXPECT_EQ(formatNumber(0.125, "##0.00"), "0.13");
    EXPECT_EQ(formatNumber(-0.125, "##0.00"), "-0.13");
    EXPECT_EQ(formatNumber(2.5, "##0"), "3");
    EXPECT_EQ(formatNumber(-2.5, "0"), "-3");
    EXPECT_EQ(formatNumber(0.0005, "0.000"), "0.001");
    EXPECT_EQ(formatNumber(99.995, "##0.00"), "100.00");
}

TEST(FormatNumber, RoundsTheExactBinaryValueNotItsFifteenDigitText) {
    // 2.675, 1.005 and 9.995 are each a little under the half in binary.
    EXPECT_EQ(formatNumber(2.675, "##0.00"), "2.67");
    EXPECT_EQ(formatNumber(1.005, "0.00"), "1.00");
    EXPECT_EQ(formatNumber(9.995, "##0.00"), "9.99");
    EXPECT_EQ(formatNumber(0.1 + 0.2, "0.0000000000000000"), "0.3000000000000000");
    EXPECT_EQ(formatNumber(1.0 / 3.0, "0.000"), "0.333");
    EXPECT_EQ(formatNumber(4.35 * 100.0, "0"), "435");
    EXPECT_EQ(formatNumber(1234567890.123457, "0.000000"), "1234567890.123457");
}

TEST(FormatNumber, PadsDecimalsAndShowsNoThousandsSeparators) {
    EXPECT_EQ(formatNumber(1, "0.000"), "1.000");
    EXPECT_EQ(formatNumber(1234567.891, "##0.00"), "1234567.89");
    EXPECT_EQ(formatNumber(0.5, "##0.00"), "0.50");
    EXPECT_EQ(formatNumber(1e16, "##0"), "10000000000000000");
}

TEST(FormatNumber, NeverShowsANegativeZero) {
    EXPECT_EQ(formatNumber(-0.001, "##0.00"), "0.00");
    EXPECT_EQ(formatNumber(-0.4, "##0"), "0");
    EXPECT_EQ(formatNumber(-0.0, "0.0"), "0.0");
}

TEST(FormatNumber, HashMaskShowsAValueThatRoundsToZeroAsEmpty) {
    EXPECT_EQ(formatNumber(0, "##"), "");
    EXPECT_EQ(formatNumber(0.4, "##"), "");
    EXPECT_EQ(formatNumber(-0.4, "##"), "");
    EXPECT_EQ(formatNumber(0.6, "##"), "1");
    EXPECT_EQ(formatNumber(-12.5, "##"), "-13");
    EXPECT_EQ(formatNumber(0, "##0.00"), "0.00");
}

TEST(StrFixed, RightAlignsTheRoundedValueInTheLength) {
    EXPECT_EQ(strFixed(3.14159, 10, 2), "      3.14");
    EXPECT_EQ(strFixed(-2.5, 5, 0), "   -3");
    EXPECT_EQ(strFixed(0.125, 6, 2), "  0.13");
    EXPECT_EQ(strFixed(7, 1, 0), "7");
}

TEST(StrFixed, GivesUpDecimalsBeforeTheNumber) {
    EXPECT_EQ(strFixed(123.456, 5, 2), "123.5");
    EXPECT_EQ(strFixed(123.456, 4, 2), " 123");
}

TEST(StrFixed, FillsTheLengthWithAsterisksWhenTheNumberDoesNotFit) {
    EXPECT_EQ(strFixed(123456, 5, 0), "*****");
    EXPECT_EQ(strFixed(-1234, 4, 2), "****");
    EXPECT_EQ(strFixed(99.6, 2, 0), "**");
}

// Every value whose text fits the twenty characters of the server form.
TEST(StrFixed, AgreesWithTheDesktopMaskAfterTrimming) {
    const std::vector<double> values = {
        0,          0.5,   -0.5,  1.5,     2.675,  0.125,         -0.125,    1.005,     1.015,
        1.025,      1.045, 2.345, -2.345,  0.0049, 0.005,         -0.005,    0.0005,    99.995,
        -99.995,    1e-9,  -1e-9, 1234.5,  1e14,   123456789.125, 0.1 + 0.2, 1.0 / 3.0, 2.0 / 3.0,
        -7.0 / 3.0, 4.35,  8.675, 1.1 * 3, 0.285,  1.255,         -1.255,    1e12 + 0.5};
    for (const double value : values) {
        for (int decimals = 0; decimals <= 4; ++decimals) {
            EXPECT_EQ(ltrim(strFixed(value, 20, decimals)), formatNumber(value, desktopMask(decimals)))
                << "value " << value << " with " << decimals << " decimals";
        }
    }
}

// str(x, 20, decimals) at the edges: every digit of the exact binary value, halves away from zero.
TEST(StrFixed, ShowsEveryDigitOfTheExactValue) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {1000000000000001.0, 2, "1000000000000001.00"},
        {1e16, 2, "10000000000000000.00"},
        {1e16 + 2, 2, "10000000000000002.00"},
        {12345678901234567.0, 0, "12345678901234568"},
        {1234567890.123456, 6, "1234567890.123456"},
        {1234567890.123457, 6, "1234567890.123457"},
        {12345678901234.56, 2, "12345678901234.56"},
        {12345678901234.61, 2, "12345678901234.61"},
        {0.125, 2, "0.13"},
        {-0.125, 2, "-0.13"},
        {2.675, 2, "2.67"},
        {-2.675, 2, "-2.67"},
        {8.675, 2, "8.68"},
        {0.0000015, 6, "0.000002"},
        {-0.0000025, 6, "-0.000003"},
        {0.0000005, 6, "0.000000"},
        {1e12 + 0.5, 0, "1000000000001"},
        {-1e15 - 0.5, 0, "-1000000000000001"},
        {5e-324, 3, "0.000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ltrim(strFixed(c.value, 20, c.decimals)), c.text) << c.value << " at " << c.decimals;
}

TEST(WholeNumberText, RoundsHalfAwayFromZeroWithoutBlanks) {
    EXPECT_EQ(wholeNumberText(42), "42");
    EXPECT_EQ(wholeNumberText(12.5), "13");
    EXPECT_EQ(wholeNumberText(-12.5), "-13");
    EXPECT_EQ(wholeNumberText(-0.2), "0");
    EXPECT_EQ(wholeNumberText(1234567890123.0), "1234567890123");
    EXPECT_EQ(wholeNumberText(1000000000000001.0), "1000000000000001");
}

TEST(LeadingValue, ReadsTheNumberAtTheStartOfAText) {
    EXPECT_DOUBLE_EQ(leadingValue("12.5kg"), 12.5);
    EXPECT_DOUBLE_EQ(leadingValue(" -3"), -3);
    EXPECT_DOUBLE_EQ(leadingValue("+.25"), 0.25);
    EXPECT_DOUBLE_EQ(leadingValue("1e3x"), 1000);
    EXPECT_DOUBLE_EQ(leadingValue("2e"), 2);
    EXPECT_DOUBLE_EQ(leadingValue("1.2.3"), 1.2);
}

TEST(LeadingValue, GivesZeroWithoutANumber) {
    EXPECT_EQ(leadingValue("abc"), 0);
    EXPECT_EQ(leadingValue(""), 0);
    EXPECT_EQ(leadingValue("-"), 0);
    EXPECT_EQ(leadingValue("."), 0);
}

TEST(ParseNumber, AcceptsOneWholeNumberWithBlanksAround) {
    double value = 0;
    ASSERT_TRUE(parseNumber(" 12.5 ", value));
    EXPECT_DOUBLE_EQ(value, 12.5);
    ASSERT_TRUE(parseNumber("-1.5e2", value));
    EXPECT_DOUBLE_EQ(value, -150);
    EXPECT_TRUE(isNumericText("+.5"));
    EXPECT_TRUE(isNumericText("7."));
}

TEST(ParseNumber, RejectsEmptyAndPartlyNumericTexts) {
    double value = 99;
    EXPECT_FALSE(parseNumber("", value));
    EXPECT_FALSE(parseNumber("   ", value));
    EXPECT_FALSE(parseNumber("12a", value));
    EXPECT_FALSE(parseNumber("1 2", value));
    EXPECT_FALSE(parseNumber(".", value));
    EXPECT_FALSE(parseNumber("1,5", value));
    EXPECT_DOUBLE_EQ(value, 99);
    EXPECT_FALSE(isNumericText("abc"));
}

TEST(ShortestText, WritesTheShortestExactDecimal) {
    EXPECT_EQ(shortestText(2.5), "2.5");
    EXPECT_EQ(shortestText(100000), "100000");
    EXPECT_EQ(shortestText(0.1), "0.1");
    EXPECT_EQ(shortestText(-0.0), "0");
    EXPECT_EQ(shortestText(-12.75), "-12.75");
}

}  // namespace
}  // namespace tarvenish
