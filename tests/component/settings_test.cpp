#include "component/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "component/shared_state.h"
#include "ledger/db/connection.h"
#include "ledger/db/error.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

constexpr const char* kTables = R"(
    CREATE TABLE AccInformation (cSysID TEXT, cName TEXT, cValue TEXT, cDefault TEXT);
    CREATE TABLE Warehouse (cWhCode TEXT PRIMARY KEY, cWhName TEXT, cDepCode TEXT, cWhValueStyle TEXT);
    CREATE TABLE IA_Subsidiary (cVouType TEXT, cWhCode TEXT, cDepCode TEXT, cInvCode TEXT, iAInQuantity REAL,
                                iAInPrice REAL, dkeepdate DATETIME, caccounter TEXT, cmaker TEXT);
)";

// An account set whose settings are read through SharedState's connection, as the run reads them.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.run(kTables);
        sharedState().Conn = Connection::create(m_db.connectionString());
    }
    void TearDown() override {
        sharedState().releaseConn();
        ConnectionPool::clear();
    }
    void setting(const std::string& system, const std::string& name, const std::string& value,
                 const std::string& fallback) {
        m_db.run("INSERT INTO AccInformation VALUES ('" + system + "','" + name + "'," + value + "," +
                 fallback + ")");
    }
    // One specific-identification warehouse W1 of department D1 with one opening row.
    void openingRow(const std::string& accounter, const std::string& maker) {
        m_db.run(
            "INSERT INTO Warehouse VALUES ('W1','Main','D1','个别计价法');"
            "INSERT INTO IA_Subsidiary (cVouType,cWhCode,cDepCode,cInvCode,caccounter,cmaker) VALUES "
            "('34','W1','D1','I1'," +
            accounter + "," + maker + ")");
    }

    test::TempDatabase m_db;
};

using AccSettingReading = SettingsTest;

TEST_F(AccSettingReading, TakesCValueWhenItHoldsText) {
    setting("IA", "cValueStyle", "'按仓库核算'", "'按部门核算'");
    EXPECT_EQ(GetAccSetting("IA", "cValueStyle"), Value::text("按仓库核算"));
}

TEST_F(AccSettingReading, FallsBackToCDefaultWhenCValueIsEmptyOrNull) {
    setting("AA", "iStrsQuanDecDgt", "''", "'3'");
    setting("AA", "iStrsPriDecDgt", "NULL", "'4'");
    EXPECT_EQ(GetAccSetting("AA", "iStrsQuanDecDgt"), Value::text("3"));
    EXPECT_EQ(GetAccSetting("AA", "iStrsPriDecDgt"), Value::text("4"));
}

TEST_F(AccSettingReading, ReturnsNullWhenBothColumnsAreNull) {
    setting("IA", "cValueStyle", "NULL", "NULL");
    EXPECT_TRUE(GetAccSetting("IA", "cValueStyle").isNull());
}

TEST_F(AccSettingReading, ReturnsTheEmptyTextWhenThereIsNoRow) {
    EXPECT_EQ(GetAccSetting("IA", "cValueStyle"), Value::text(""));
}

TEST_F(AccSettingReading, KeepsANameWithAnApostropheInsideItsLiteral) {
    setting("IA", "it''s", "'found'", "NULL");
    EXPECT_EQ(GetAccSetting("IA", "it's"), Value::text("found"));
}

TEST_F(AccSettingReading, FailsWhenSharedStateHoldsNoConnection) {
    sharedState().releaseConn();
    EXPECT_THROW((void)GetAccSetting("IA", "cValueStyle"), DbError);
}

using AccountSettingsReading = SettingsTest;

TEST_F(AccountSettingsReading, ReadsWarehouseModeFromTheDefaultAndKeepsDepWhCode) {
    setting("IA", "cValueStyle", "''", "'按仓库核算'");
    setting("AA", "iStrsQuanDecDgt", "'2'", "NULL");
    setting("AA", "iStrsPriDecDgt", "'4'", "NULL");
    openingRow("'accounter'", "'maker'");

    AccountSettingsRecord record;
    record.ByDepartment = true;
    record.DepWhCode = "earlier";
    ReadAccountSettings(record);
    EXPECT_FALSE(record.ByDepartment);
    EXPECT_EQ(record.QuantityDigits, 2);
    EXPECT_EQ(record.PriceDigits, 4);
    EXPECT_EQ(record.Accounter, "accounter");
    EXPECT_EQ(record.Maker, "maker");
    EXPECT_EQ(record.DepWhCode, "earlier");
}

TEST_F(AccountSettingsReading, TakesDepartmentModeWithoutAStyleRowAndReadsTheWarehouse) {
    openingRow("'accounter'", "'maker'");

    AccountSettingsRecord record;
    ReadAccountSettings(record);
    EXPECT_TRUE(record.ByDepartment);
    EXPECT_EQ(record.QuantityDigits, 0);
    EXPECT_EQ(record.PriceDigits, 0);
    EXPECT_EQ(record.Accounter, "accounter");
    EXPECT_EQ(record.DepWhCode, "W1");
}

TEST_F(AccountSettingsReading, ComparesTheStyleExactly) {
    setting("IA", "cValueStyle", "'按仓库核算 '", "NULL");
    openingRow("'a'", "'m'");
    AccountSettingsRecord record;
    ReadAccountSettings(record);
    EXPECT_TRUE(record.ByDepartment);
}

TEST_F(AccountSettingsReading, ReadsDigitsAsAWholeNumberFromZeroToTen) {
    setting("IA", "cValueStyle", "'按仓库核算'", "NULL");
    openingRow("'a'", "'m'");
    // A blank cValue falls back to cDefault as an empty one does.
    const std::tuple<const char*, const char*, int> cases[] = {
        {"'2'", "NULL", 2}, {"' 2 '", "NULL", 2}, {"'02'", "NULL", 2}, {"'10'", "NULL", 10},
        {"'0'", "NULL", 0}, {"''", "'3'", 3},     {"'  '", "'4'", 4}};
    for (const auto& [value, fallback, digits] : cases) {
        m_db.run("DELETE FROM AccInformation WHERE cSysID='AA';");
        setting("AA", "iStrsQuanDecDgt", value, fallback);
        setting("AA", "iStrsPriDecDgt", value, fallback);
        AccountSettingsRecord record;
        ReadAccountSettings(record);
        EXPECT_EQ(record.QuantityDigits, digits) << value;
        EXPECT_EQ(record.PriceDigits, digits) << value;
    }
}

TEST_F(AccountSettingsReading, FailsOnANullDigitsSettingAfterSettingTheMode) {
    setting("AA", "iStrsQuanDecDgt", "NULL", "NULL");
    openingRow("'a'", "'m'");
    AccountSettingsRecord record;
    record.QuantityDigits = 7;
    EXPECT_THROW(ReadAccountSettings(record), SettingError);
    EXPECT_TRUE(record.ByDepartment);
    EXPECT_EQ(record.QuantityDigits, 7);
}

TEST_F(AccountSettingsReading, FailsOnDigitsBeyondSixteenBits) {
    setting("AA", "iStrsQuanDecDgt", "'40000'", "NULL");
    AccountSettingsRecord record;
    EXPECT_THROW(ReadAccountSettings(record), SettingError);
}

TEST_F(AccountSettingsReading, FailsOnANullAccounterWithMakerUnchanged) {
    setting("IA", "cValueStyle", "'按仓库核算'", "NULL");
    openingRow("NULL", "'maker'");
    AccountSettingsRecord record;
    record.Maker = "before";
    EXPECT_THROW(ReadAccountSettings(record), ConversionError);
    EXPECT_EQ(record.Maker, "before");
}

TEST_F(AccountSettingsReading, FailsWhenNoOpeningRowExists) {
    setting("IA", "cValueStyle", "'按仓库核算'", "NULL");
    AccountSettingsRecord record;
    EXPECT_THROW(ReadAccountSettings(record), DbError);
}

using KeepDateReading = SettingsTest;

TEST_F(KeepDateReading, ReadsTheKeepDateOfAnOpeningRowOnly) {
    m_db.run(
        "INSERT INTO IA_Subsidiary (cVouType,dkeepdate) VALUES ('01','2020-01-01');"
        "INSERT INTO IA_Subsidiary (cVouType,dkeepdate) VALUES ('34','2023-12-31');");
    auto connection = Connection::create(m_db.connectionString());
    EXPECT_EQ(GetKeepDate(*connection), makeDate(2023, 12, 31));
}

TEST_F(KeepDateReading, FailsWhenNoOpeningRowExists) {
    m_db.run("INSERT INTO IA_Subsidiary (cVouType,dkeepdate) VALUES ('01','2020-01-01');");
    auto connection = Connection::create(m_db.connectionString());
    EXPECT_THROW((void)GetKeepDate(*connection), DbError);
}

TEST_F(KeepDateReading, FailsWhenTheOpeningRowHasNoKeepDate) {
    m_db.run("INSERT INTO IA_Subsidiary (cVouType,dkeepdate) VALUES ('34',NULL);");
    auto connection = Connection::create(m_db.connectionString());
    EXPECT_THROW((void)GetKeepDate(*connection), ConversionError);
}

TEST(RepeatTextBuilding, WritesTheTextCountTimes) {
    EXPECT_EQ(RepeatText(2, "0"), "00");
    EXPECT_EQ(RepeatText(3, "ab"), "ababab");
}

TEST(RepeatTextBuilding, GivesTheEmptyTextForNoOrANegativeCount) {
    EXPECT_EQ(RepeatText(0, "0"), "");
    EXPECT_EQ(RepeatText(-3, "0"), "");
}

}  // namespace
}  // namespace tarvenish
