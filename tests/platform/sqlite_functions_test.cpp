#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sqlite_dialect.h"

namespace tarvenish {
namespace {

using Cell = std::optional<std::string>;

// An in-memory database with the dialect functions registered.
class FunctionsDb {
public:
    FunctionsDb() {
        sqlite3* raw = nullptr;
        if (sqlite3_open(":memory:", &raw) != SQLITE_OK)
            throw std::runtime_error("cannot open a memory database");
        m_db.reset(raw);
        if (registerDialectFunctions(raw) != SQLITE_OK)
            throw std::runtime_error("cannot register the functions");
    }

    void exec(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(text + " in: " + sql);
        }
    }

    // The first column of every row, as text.
    std::vector<Cell> column(const std::string& sql) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(m_db.get())) + " in: " + sql);
        const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> statement(raw, &sqlite3_finalize);
        std::vector<Cell> cells;
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
            cells.push_back(text ? Cell(text) : std::nullopt);
        }
        if (rc != SQLITE_DONE)
            throw std::runtime_error(std::string(sqlite3_errmsg(m_db.get())) + " in: " + sql);
        return cells;
    }

    Cell scalar(const std::string& expression) {
        const auto cells = column("select " + expression);
        return cells.at(0);
    }

private:
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> m_db{nullptr, &sqlite3_close};
};

TEST(StrFunction, WithOneArgumentGivesThePlainWholeNumber) {
    FunctionsDb db;
    EXPECT_EQ(db.scalar("str(12)"), "12");
    EXPECT_EQ(db.scalar("str(12.5)"), "13");
    EXPECT_EQ(db.scalar("str(-7)"), "-7");
    EXPECT_EQ(db.scalar("str('  8 ')"), "8");
}

TEST(StrFunction, WithLengthAndDecimalsGivesTheServersFixedWidthText) {
    FunctionsDb db;
    EXPECT_EQ(db.scalar("str(3.14159,10,2)"), "      3.14");
    EXPECT_EQ(db.scalar("str(2.5,4)"), "   3");
    EXPECT_EQ(db.scalar("ltrim(str(2.675,20,2))"), "2.68");
    EXPECT_EQ(db.scalar("str(123456,5,0)"), "*****");
}

TEST(StrFunction, AnswersNullForANullArgumentOrAnUnusableLength) {
    FunctionsDb db;
    EXPECT_EQ(db.scalar("str(NULL)"), std::nullopt);
    EXPECT_EQ(db.scalar("str(1,NULL,2)"), std::nullopt);
    EXPECT_EQ(db.scalar("str(1,20,NULL)"), std::nullopt);
    EXPECT_EQ(db.scalar("str(1,0,0)"), std::nullopt);
}

TEST(StrFunction, RejectsATextThatIsNotANumber) {
    FunctionsDb db;
    EXPECT_THROW(db.scalar("str('abc')"), std::runtime_error);
}

TEST(FormatFunction, FormatsNumbersAndNumericTextsWithTheMask) {
    FunctionsDb db;
    EXPECT_EQ(db.scalar("format(2.675,'##0.00')"), "2.68");
    EXPECT_EQ(db.scalar("format('2.675','##0.00')"), "2.68");
    EXPECT_EQ(db.scalar("format(7,'##0.000')"), "7.000");
    EXPECT_EQ(db.scalar("format(-0.001,'##0.00')"), "0.00");
    EXPECT_EQ(db.scalar("format(0,'##')"), "");
}

TEST(FormatFunction, ReturnsNullForNullAndOtherTextsAsTheyAre) {
    FunctionsDb db;
    EXPECT_EQ(db.scalar("format(NULL,'##0')"), std::nullopt);
    EXPECT_EQ(db.scalar("format(1,NULL)"), std::nullopt);
    EXPECT_EQ(db.scalar("format('abc','##0')"), "abc");
}

TEST(FormatFunction, AgreesWithTheServersTrimmedStrOnEveryRow) {
    FunctionsDb db;
    db.exec("create table v(x float)");
    db.exec(
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
    FunctionsDb db;
    db.exec("create table lines(autoid integer, cVouchCode text)");
    db.exec("insert into lines values (1,null),(2,'1'),(3,'1'),(10,'2'),(11,'10'),(12,'x')");
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
