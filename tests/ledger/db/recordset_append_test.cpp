#include <gtest/gtest.h>

#include "ledger/db/connection.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/sqlite/engine.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

class RecordsetAppending : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.run(
            "create table IA_Subsidiary(cVouCode nvarchar(30), iAInQuantity float, iMonth smallint, "
            "dKeepDate datetime, bFlag bit default 0, cMemo text, cpzid varchar(10) default 'none');");
        m_rs.open("Ia_subsidiary", m_db.connectionString(), CursorType::Unspecified, LockType::Optimistic,
                  CommandType::Table);
    }
    void TearDown() override {
        m_rs.close();
        ConnectionPool::clear();
    }

    test::TempDatabase m_db;
    Recordset m_rs;
};

TEST_F(RecordsetAppending, StoresConvertedValuesUnderTheirColumns) {
    m_rs.addNew();
    EXPECT_TRUE(m_rs.setField("cvoucode", Value::text("JUST100001")));
    EXPECT_TRUE(m_rs.setField("IAINQUANTITY", Value::text(" 12.50 ")));
    EXPECT_TRUE(m_rs.setField("imonth", Value::text("3")));
    EXPECT_TRUE(m_rs.setField("dkeepdate", Value::date(makeDate(2023, 12, 31))));
    EXPECT_TRUE(m_rs.setField("cMemo", Value::real(0.1)));
    m_rs.update();
    EXPECT_EQ(
        m_db.scalar("select cVouCode || '|' || typeof(iAInQuantity) || iAInQuantity || '|' || typeof(iMonth) "
                    "|| iMonth || '|' || dKeepDate || '|' || cMemo from IA_Subsidiary"),
        "JUST100001|real12.5|integer3|2023-12-31|0.1");
}

TEST_F(RecordsetAppending, ARefusedFieldStaysUnassignedAndTheRowIsStillStored) {
    m_rs.addNew();
    EXPECT_TRUE(m_rs.setField("cVouCode", Value::text("A1")));
    EXPECT_FALSE(m_rs.setField("bFlag", Value::text("")));
    EXPECT_FALSE(m_rs.setField("iAInQuantity", Value::text("12kg")));
    EXPECT_FALSE(m_rs.setField("dKeepDate", Value::text("2024-02-30")));
    m_rs.update();
    EXPECT_EQ(m_db.scalar("select count(*) from IA_Subsidiary where cVouCode = 'A1' and bFlag = 0 "
                          "and iAInQuantity is null and dKeepDate is null"),
              "1");
}

TEST_F(RecordsetAppending, AnEmptyTextIsKeptInATextColumnAndNullIsNull) {
    m_rs.addNew();
    EXPECT_TRUE(m_rs.setField("cVouCode", Value::text("")));
    EXPECT_TRUE(m_rs.setField("cpzid", Value::null()));
    m_rs.update();
    EXPECT_EQ(m_db.scalar("select quote(cVouCode) || quote(cpzid) from IA_Subsidiary"), "''NULL");
}

TEST_F(RecordsetAppending, UnassignedColumnsTakeTheTableDefault) {
    m_rs.addNew();
    m_rs.update();
    m_rs.addNew();
    EXPECT_TRUE(m_rs.setField("cVouCode", Value::text("B")));
    m_rs.update();
    EXPECT_EQ(m_db.scalar("select group_concat(quote(cVouCode) || cpzid || bFlag, ',') from IA_Subsidiary"),
              "NULLnone0,'B'none0");
}

TEST_F(RecordsetAppending, AnotherAddNewStoresThePendingRowFirst) {
    m_rs.addNew();
    EXPECT_TRUE(m_rs.setField("cVouCode", Value::text("first")));
    m_rs.addNew();
    EXPECT_TRUE(m_rs.setField("cVouCode", Value::text("second")));
    m_rs.update();
    EXPECT_EQ(m_db.scalar("select group_concat(cVouCode) from IA_Subsidiary"), "first,second");
}

TEST_F(RecordsetAppending, AnUnknownFieldOrAMissingRowIsAnError) {
    EXPECT_THROW((void)m_rs.setField("cVouCode", Value::text("x")), DbError);
    EXPECT_THROW(m_rs.update(), DbError);
    m_rs.addNew();
    EXPECT_THROW((void)m_rs.setField("cNoSuchColumn", Value::text("x")), DbError);
}

TEST_F(RecordsetAppending, HookCanFailARowStoreWithoutStoringIt) {
    std::string table;
    ScopedEngineHooks hooks({{}, [&](std::string_view t) {
                                 table = t;
                                 throw DbError("update row", 0, "injected", {});
                             }});
    m_rs.addNew();
    EXPECT_TRUE(m_rs.setField("cVouCode", Value::text("x")));
    EXPECT_THROW(m_rs.update(), DbError);
    EXPECT_EQ(table, "Ia_subsidiary");
    EXPECT_EQ(m_db.scalar("select count(*) from IA_Subsidiary"), "0");
}

TEST_F(RecordsetAppending, AMissingTableIsAnError) {
    Recordset rs;
    EXPECT_THROW(rs.open("NoSuchTable", m_db.connectionString(), CursorType::Unspecified,
                         LockType::Optimistic, CommandType::Table),
                 DbError);
}

TEST_F(RecordsetAppending, AConstraintFailureIsReportedWithTheInsert) {
    m_db.run("create table Keyed(id integer not null)");
    Recordset rs;
    rs.open("Keyed", m_db.connectionString(), CursorType::Unspecified, LockType::Optimistic,
            CommandType::Table);
    rs.addNew();
    try {
        rs.update();
        FAIL() << "stored a row without its key";
    } catch (const DbError& e) {
        EXPECT_NE(e.engineMessage().find("NOT NULL"), std::string::npos) << e.engineMessage();
        EXPECT_NE(e.statement().find("INSERT INTO \"Keyed\""), std::string::npos) << e.statement();
    }
}

TEST(RecordsetAppendingToABigTable, DoesNotReadTheTablesRows) {
    test::TempDatabase db;
    db.run(
        "create table Ledger(id integer, cCode text, iQuantity float);"
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 200000) "
        "insert into Ledger select i, 'C' || i, i * 0.5 from n;");
    auto& engine = dynamic_cast<SqliteEngine&>(ConnectionPool::acquire(db.connectionString()).engine());
    const auto before = engine.vmSteps();
    {
        Recordset rs;
        rs.open("Ledger", db.connectionString(), CursorType::Unspecified, LockType::Optimistic,
                CommandType::Table);
        for (int i = 0; i < 3; ++i) {
            rs.addNew();
            EXPECT_TRUE(rs.setField("cCode", Value::text("new")));
            EXPECT_TRUE(rs.setField("iQuantity", Value::text("1.5")));
            rs.update();
        }
    }
    // Reading the rows costs at least one step per row; the schema and three inserts cost a few hundred.
    EXPECT_LT(engine.vmSteps() - before, 5000u);
    EXPECT_EQ(db.scalar("select count(*) from Ledger where cCode = 'new'"), "3");
    ConnectionPool::clear();
}

}  // namespace
}  // namespace tarvenish
