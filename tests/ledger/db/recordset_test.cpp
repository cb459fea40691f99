#include "ledger/db/recordset.h"

#include <gtest/gtest.h>

#include "ledger/db/connection.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

class RecordsetReading : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.run(
            "create table Stock(cWhCode text, iQuantity real, dDate datetime, autoid integer);"
            "insert into Stock values ('01', 2.5, '2024-01-05', 7);"
            "insert into Stock values ('02', null, '2024-01-06 08:30:00', 8);"
            "insert into Stock values ('03', 4, null, 9);");
    }
    void TearDown() override { ConnectionPool::clear(); }

    Recordset query(std::string_view sql) {
        Recordset rs;
        rs.setCursorLocation(CursorLocation::Client);
        rs.open(sql, m_db.connectionString(), CursorType::Static, LockType::ReadOnly, CommandType::Text);
        return rs;
    }

    test::TempDatabase m_db;
};

TEST_F(RecordsetReading, CountsEveryRowAndWalksThemInOrder) {
    Recordset rs = query("select cWhCode from Stock order by cWhCode");
    EXPECT_EQ(rs.recordCount(), 3);
    EXPECT_FALSE(rs.bof());
    std::string codes;
    for (; !rs.eof(); rs.moveNext()) codes += rs.field(0).asText();
    EXPECT_EQ(codes, "010203");
    EXPECT_THROW(rs.moveNext(), DbError);
    rs.moveLast();
    EXPECT_EQ(rs.field(0).asText(), "03");
    rs.moveFirst();
    EXPECT_EQ(rs.field(0).asText(), "01");
}

TEST_F(RecordsetReading, AnEmptyResultIsAtBothEnds) {
    Recordset rs = query("select * from Stock where 0");
    EXPECT_EQ(rs.recordCount(), 0);
    EXPECT_TRUE(rs.eof());
    EXPECT_TRUE(rs.bof());
    EXPECT_THROW((void)rs.field(0), DbError);
    EXPECT_EQ(rs.fieldCount(), 4u);
}

TEST_F(RecordsetReading, FieldsByNameIgnoreCase) {
    Recordset rs = query("select * from Stock order by autoid");
    EXPECT_EQ(rs.field("CWHCODE").asText(), "01");
    EXPECT_EQ(rs.field("iquantity").kind(), ValueKind::Double);
    EXPECT_EQ(rs.field("AutoId").kind(), ValueKind::Long);
    EXPECT_EQ(rs.fieldName(1), "iQuantity");
    EXPECT_THROW((void)rs.field("nosuch"), DbError);
    EXPECT_THROW((void)rs.field(4), DbError);
}

TEST_F(RecordsetReading, DateColumnsGiveDatesAndNullsStayNull) {
    Recordset rs = query("select dDate, iQuantity from Stock order by autoid");
    EXPECT_EQ(rs.field(0), Value::date(makeDate(2024, 1, 5)));
    rs.moveNext();
    EXPECT_EQ(rs.field(0), Value::date(makeDate(2024, 1, 6, 8, 30)));
    EXPECT_TRUE(rs.field(1).isNull());
}

TEST_F(RecordsetReading, GetStringGivesTheClipFormFromTheCurrentRow) {
    Recordset rs = query("select cWhCode, iQuantity, dDate, autoid from Stock order by autoid");
    rs.moveNext();
    EXPECT_EQ(rs.getString(), "02\t\t2024-01-06 08:30:00\t8\r03\t4\t\t9\r");
    EXPECT_TRUE(rs.eof());
    rs.moveFirst();
    EXPECT_EQ(rs.getString().substr(0, 19), "01\t2.5\t2024-01-05\t7");
}

TEST_F(RecordsetReading, ErrorsNameTheStatement) {
    try {
        (void)query("select nosuch from Stock");
        FAIL() << "opened a bad query";
    } catch (const DbError& e) {
        EXPECT_EQ(e.statement(), "select nosuch from Stock");
        EXPECT_NE(e.engineMessage().find("nosuch"), std::string::npos) << e.engineMessage();
    }
}

TEST_F(RecordsetReading, AQueryMustBeOneStatement) {
    EXPECT_THROW((void)query("select 1; delete from Stock"), DbError);
    EXPECT_EQ(m_db.scalar("select count(*) from Stock"), "3");
    EXPECT_NO_THROW((void)query("select 1;"));
}

TEST_F(RecordsetReading, HookCanFailTheOpen) {
    ScopedEngineHooks hooks(
        {[](std::string_view s) { throw DbError("open recordset", 0, "injected", std::string(s)); }, {}});
    EXPECT_THROW((void)query("select 1"), DbError);
}

TEST_F(RecordsetReading, OnAConnectionStringSeesOnlyCommittedRows) {
    const ConnectionPtr writer = Connection::open(m_db.connectionString());
    writer->beginTrans();
    writer->execute("insert into Stock values ('04', 1, null, 10)");
    EXPECT_EQ(query("select * from Stock").recordCount(), 3);

    Recordset own;
    own.open("select * from Stock", *writer, CursorType::Static, LockType::ReadOnly, CommandType::Text);
    EXPECT_EQ(own.recordCount(), 4);
    writer->commitTrans();
    EXPECT_EQ(query("select * from Stock").recordCount(), 4);
}

TEST_F(RecordsetReading, LeavesNoLockBehindAfterOpen) {
    Recordset rs = query("select * from Stock");
    const ConnectionPtr writer = Connection::open(m_db.connectionString());
    writer->beginTrans();
    writer->execute("delete from Stock");
    EXPECT_NO_THROW(writer->commitTrans());
    EXPECT_EQ(rs.recordCount(), 3);
}

}  // namespace
}  // namespace tarvenish
