#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ledger/dialect/bridge.h"
#include "support/dialect_memory_db.h"

namespace tarvenish {
namespace {

using test::Cell;
using test::DialectMemoryDb;

TEST(StrFunction, WithOneArgumentGivesThePlainWholeNumber) {
    DialectMemoryDb db;
    EXPECT_EQ(db.scalar("str(12)"), "12");
    EXPECT_EQ(db.scalar("str(12.5)"), "13");
    EXPECT_EQ(db.scalar("str(-7)"), "-7");
    EXPECT_EQ(db.scalar("str('  8 ')"), "8");
}

TEST(StrFunction, WithLengthAndDecimalsGivesTheServersFixedWidthText) {
    DialectMemoryDb db;
    EXPECT_EQ(db.scalar("str(3.14159,10,2)"), "      3.14");
    EXPECT_EQ(db.scalar("str(2.5,4)"), "   3");
    // 2.675 is a little under the half in binary; 0.125 is the half exactly.
    EXPECT_EQ(db.scalar("ltrim(str(2.675,20,2))"), "2.67");
    EXPECT_EQ(db.scalar("ltrim(str(0.125,20,2))"), "0.13");
    EXPECT_EQ(db.scalar("str(1000000000000001,20,2)"), " 1000000000000001.00");
    EXPECT_EQ(db.scalar("str(123456,5,0)"), "*****");
}

TEST(StrFunction, AnswersNullForANullArgumentOrAnUnusableLength) {
    DialectMemoryDb db;
    EXPECT_EQ(db.scalar("str(NULL)"), std::nullopt);
    EXPECT_EQ(db.scalar("str(1,NULL,2)"), std::nullopt);
    EXPECT_EQ(db.scalar("str(1,20,NULL)"), std::nullopt);
    EXPECT_EQ(db.scalar("str(1,0,0)"), std::nullopt);
}

TEST(StrFunction, RejectsATextThatIsNotANumber) {
    DialectMemoryDb db;
    EXPECT_THROW(db.scalar("str('abc')"), std::runtime_error);
}

TEST(FormatFunction, FormatsNumbersAndNumericTextsWithTheMask) {
    DialectMemoryDb db;
    EXPECT_EQ(db.scalar("format(2.675,'##0.00')"), "2.67");
    EXPECT_EQ(db.scalar("format('2.675','##0.00')"), "2.67");
    EXPECT_EQ(db.scalar("format(1234567890.123457,'##0.000000')"), "1234567890.123457");
    EXPECT_EQ(db.scalar("format(7,'##0.000')"), "7.000");
    EXPECT_EQ(db.scalar("format(-0.001,'##0.00')"), "0.00");
    EXPECT_EQ(db.scalar("format(0,'##')"), "");
}

TEST(FormatFunction, ReturnsNullForNullAndOtherTextsAsTheyAre) {
    DialectMemoryDb db;
    EXPECT_EQ(db.scalar("format(NULL,'##0')"), std::nullopt);
    EXPECT_EQ(db.scalar("format(1,NULL)"), std::nullopt);
    EXPECT_EQ(db.scalar("format('abc','##0')"), "abc");
}

TEST(FormatFunction, AgreesWithTheServersTrimmedStrOnEveryRow) {
    DialectMemoryDb db;
    db.native("create table v(x float)");
    db.native(
        "insert into v values (0),(0.5),(-0.5),(2.675),(0.125),(-0.125),(1.005),(1.015),(99.995),(-99.995),"
        "(0.0049),(0.005),(1e-9),(123456789.125),(4.35),(1.255),(-1.255),(0.1+0.2),(1.0/3),(-2.0/3)");
    for (const auto& [mask, decimals] : std::vector<std::pair<std::string, int>>{
             {"##0", 0}, {"##0.0", 1}, {"##0.00", 2}, {"##0.000", 3}, {"##0.0000", 4}}) {
        const auto mismatches = db.column("select x from v where format(x,'" + mask +
                                          "') <> ltrim(str(x,20," + std::to_string(decimals) + "))");
        EXPECT_TRUE(mismatches.empty())
            << mask << " differs first at " << mismatches.front().value_or("null");
    }
}

TEST(StrFunction, PairsANumberWithTheTextColumnThatHoldsIt) {
    DialectMemoryDb db;
    db.native("create table lines(autoid integer, cVouchCode text)");
    db.native("insert into lines values (1,null),(2,'1'),(3,'1'),(10,'2'),(11,'10'),(12,'x')");
    const std::string desktop =
        "select group_concat(a.autoid||'-'||b.autoid) from (select * from lines order by autoid) a "
        "join lines b on str(a.autoid)=b.cVouchCode";
    const std::string server =
        "select group_concat(a.autoid||'-'||b.autoid) from (select * from lines order by autoid) a "
        "join lines b on a.autoid=b.cVouchCode";
    EXPECT_EQ(db.column(desktop), db.column(server));
    EXPECT_EQ(db.column(desktop).at(0), "1-2,1-3,2-10,10-11");
}

}  // namespace
}  // namespace tarvenish
