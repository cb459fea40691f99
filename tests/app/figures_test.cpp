// Figures as a run compares and shows them: every digit at the account set's decimals, and decimals settings
// that name a number of decimals or stop the run before it changes anything.

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "command_support.h"
#include "front.h"

// A scenario names only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish::test {
namespace {

struct PairFigures {
    const char* openingQuantity;
    const char* openingMoney;
    const char* stockQuantity;
    const char* stockMoney;
};

// A warehouse-mode set of one pair with one opening receipt line, nothing issued from it, and one opening
// row holding the figures; quantities have six decimals.
std::string onePairSet(const ScratchDir& dir, const PairFigures& figures) {
    const std::string path = dir.file("set.db");
    DemoOptions options;
    options.pairs = 1;
    options.linesPerPair = 1;
    options.mismatchPercent = 0;
    (void)createDemoAccountSet(path, options);
    const LedgerFile file(path);
    file.exec(std::string("delete from RdRecords where cVouchCode is not null;"
                          "update RdRecords set isOutQuantity=0, iQuantity=") +
              figures.stockQuantity + ", iPrice=" + figures.stockMoney +
              " where ID in (select ID from RdRecord where cVouchType='34');"
              "update IA_Subsidiary set iAInQuantity=0, iAInPrice=0 where cVouType='34';"
              "update IA_Subsidiary set iAInQuantity=" +
              figures.openingQuantity + ", iAInPrice=" + figures.openingMoney +
              " where rowid=(select min(rowid) from IA_Subsidiary where cVouType='34' and cInvCode='I00001');"
              "update AccInformation set cValue='6' where cName='iStrsQuanDecDgt';");
    return path;
}

constexpr std::string_view kOpeningRows = "select * from IA_Subsidiary where cVouType='34'";

// Totals that differ in their last shown decimal, beyond the fifteenth significant digit.
class FiguresBeyondFifteenDigits : public ::testing::TestWithParam<std::tuple<Front, PairFigures>> {
protected:
    ScratchDir m_dir;
};

TEST_P(FiguresBeyondFifteenDigits, DoNotAgreeAndThePairIsLeft) {
    const auto& [front, figures] = GetParam();
    const std::string path = onePairSet(m_dir, figures);
    const auto before = sortedRows(LedgerFile(path), kOpeningRows);
    const FrontResult result = runThrough(front, {path});
    EXPECT_TRUE(answered(result, Outcome::PairsLeft)) << result.out << result.err;
    EXPECT_EQ(sortedRows(LedgerFile(path), kOpeningRows), before);
}

INSTANTIATE_TEST_SUITE_P(
    BothFronts, FiguresBeyondFifteenDigits,
    ::testing::Combine(::testing::Values(Front::Command, Front::Library),
                       ::testing::Values(PairFigures{"1234567890.123456", "10", "1234567890.123457", "10"},
                                         PairFigures{"5", "12345678901234.56", "5", "12345678901234.61"})),
    [](const auto& p) {
        return frontName(std::get<0>(p.param)) +
               (std::string(std::get<1>(p.param).openingMoney) == "10" ? "Quantity" : "Money");
    });

class FiguresInTheDetails : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

// The details show a figure as the run compared it: in its mask, never cut to fifteen digits.
TEST_P(FiguresInTheDetails, ShowEveryDigitInTheirMasks) {
    const std::string path = onePairSet(
        m_dir, {"1234567890.123457", "12345678901234.61", "1234567890.123457", "12345678901234.61"});
    const std::string details = m_dir.file("pairs.csv");
    const FrontResult result = runThrough(GetParam(), {path, 1, "skip", {}, {}, false, details});
    ASSERT_TRUE(answered(result, Outcome::Done)) << result.out << result.err;
    std::stringstream text;
    text << std::ifstream(details).rdbuf();
    EXPECT_NE(text.str().find(",2,1,1234567890.123457,12345678901234.61,1234567890.123457,"
                              "12345678901234.61,1234567890.123457,12345678901234.61,0.000000,0.00,,,\r\n"),
              std::string::npos)
        << text.str();
}

INSTANTIATE_TEST_SUITE_P(BothFronts, FiguresInTheDetails, ::testing::Values(Front::Command, Front::Library),
                         [](const ::testing::TestParamInfo<Front>& p) { return frontName(p.param); });

struct DecimalsSetting {
    const char* name;
    const char* value;     // a SQL literal for cValue
    const char* fallback;  // for cDefault
    const char* shown;     // what the message quotes
};

// A pair that agrees only when its quantities are cut to whole numbers (14.4 against 14).
class BadDecimalsSetting : public ::testing::TestWithParam<std::tuple<Front, DecimalsSetting>> {
protected:
    ScratchDir m_dir;
};

TEST_P(BadDecimalsSetting, StopsTheRunAndVerifyBeforeAnyChange) {
    const auto& [front, setting] = GetParam();
    const std::string path = onePairSet(m_dir, {"14.4", "100", "14", "100"});
    const LedgerFile file(path);
    file.exec(std::string("update AccInformation set cValue=") + setting.value +
              ", cDefault=" + setting.fallback + " where cName='" + setting.name + "'");
    const auto before = sortedRows(file, "select * from IA_Subsidiary");
    const auto stockBefore = sortedRows(file, "select * from RdRecords");

    const FrontResult result = runThrough(front, {path});
    EXPECT_TRUE(answered(result, Outcome::Refused)) << result.out << result.err;
    EXPECT_NE(result.err.find(setting.name), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(setting.shown), std::string::npos) << result.err;
    EXPECT_EQ(sortedRows(file, "select * from IA_Subsidiary"), before);
    EXPECT_EQ(sortedRows(file, "select * from RdRecords"), stockBefore);
    EXPECT_FALSE(file.hasTable("tarvenish_runs"));

    if (front != Front::Command) return;
    const CommandResult verified = runCommand({"verify", "--db", path});
    EXPECT_EQ(verified.exitCode, 2) << verified.out << verified.err;
    EXPECT_NE(verified.err.find(setting.name), std::string::npos) << verified.err;
}

INSTANTIATE_TEST_SUITE_P(
    BothFronts, BadDecimalsSetting,
    ::testing::Combine(::testing::Values(Front::Command, Front::Library),
                       ::testing::Values(DecimalsSetting{"iStrsQuanDecDgt", "NULL", "NULL", "Null"},
                                         DecimalsSetting{"iStrsQuanDecDgt", "'abc'", "'2'", "'abc'"},
                                         DecimalsSetting{"iStrsQuanDecDgt", "'-1'", "'2'", "'-1'"},
                                         DecimalsSetting{"iStrsQuanDecDgt", "'1e9'", "'2'", "'1e9'"},
                                         DecimalsSetting{"iStrsQuanDecDgt", "'32768'", "'2'", "'32768'"},
                                         DecimalsSetting{"iStrsQuanDecDgt", "'2.0'", "'2'", "'2.0'"},
                                         DecimalsSetting{"iStrsQuanDecDgt", "' '", "''", "''"},
                                         DecimalsSetting{"iStrsPriDecDgt", "'abc'", "'2'", "'abc'"},
                                         DecimalsSetting{"iStrsPriDecDgt", "''", "'11'", "'11'"})),
    [](const auto& p) {
        const std::string front = frontName(std::get<0>(p.param));
        std::string name = std::get<1>(p.param).name;
        for (const char c : std::string(std::get<1>(p.param).value))
            name += std::isalnum(static_cast<unsigned char>(c)) ? std::string(1, c) : std::string("_");
        return front + "_" + name + "_" + std::to_string(p.index);
    });

}  // namespace
}  // namespace tarvenish::test
