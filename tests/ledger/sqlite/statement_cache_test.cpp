#include "ledger/sqlite/statement_cache.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "ledger/db/connection.h"
#include "ledger/db/engine.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

StatementPtr prepared(sqlite3* db, const char* text) {
    sqlite3_stmt* raw = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, text, -1, &raw, nullptr), SQLITE_OK);
    return StatementPtr(raw);
}

TEST(StatementCache, DropsTheLeastRecentlyUsedShapeWhenFull) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    {
        SqliteStatementCache cache(2);
        cache.insert("a", {"select 1", prepared(db, "select 1")});
        cache.insert("b", {"select 2", prepared(db, "select 2")});
        ASSERT_NE(cache.find("a"), nullptr);  // a is now the most recently used
        cache.insert("c", {"select 3", prepared(db, "select 3")});
        EXPECT_EQ(cache.size(), 2u);
        EXPECT_NE(cache.find("a"), nullptr);
        EXPECT_EQ(cache.find("b"), nullptr);
        ASSERT_NE(cache.find("c"), nullptr);
        EXPECT_EQ(cache.find("c")->sqliteText, "select 3");
        cache.erase("a");
        EXPECT_EQ(cache.find("a"), nullptr);
    }
    // every statement was finalized: the handle closes cleanly
    EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}

// Statements run through a connection whose engine keeps one prepared statement per shape.
class ShapedStatements : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.run(
            "create table Stock (cWhCode varchar(10), cInvCode varchar(20), iQuantity float);"
            "insert into Stock values ('W1','A',1), ('W1','B',2), ('W2','A',4), ('W2','B',8), "
            "('W''3','A',16);");
        m_connection = Connection::open(m_db.connectionString());
    }

    double total(std::string_view code, std::string_view item) {
        Recordset rs;
        rs.open("select sum(iQuantity) from Stock where cWhCode=N'" + std::string(code) +
                    "' and cInvCode=N'" + std::string(item) + "'",
                *m_connection, CursorType::Static, LockType::ReadOnly, CommandType::Text);
        return rs.field(0).isNull() ? -1 : rs.field(0).asDouble();
    }

    test::TempDatabase m_db;
    ConnectionPtr m_connection;
};

TEST_F(ShapedStatements, EachCallGetsTheRowsOfItsOwnLiterals) {
    EXPECT_EQ(total("W1", "A"), 1);
    EXPECT_EQ(total("W2", "B"), 8);
    EXPECT_EQ(total("W1", "B"), 2);
    EXPECT_EQ(total("W2", "A"), 4);
    EXPECT_EQ(total("W9", "A"), -1);
    // a doubled apostrophe binds as one
    EXPECT_EQ(total("W''3", "A"), 16);
}

TEST_F(ShapedStatements, ChangesMadeBetweenCallsAreSeen) {
    EXPECT_EQ(total("W1", "A"), 1);
    m_connection->execute("update Stock set iQuantity=iQuantity+100 where cWhCode=N'W1' and cInvCode=N'A'");
    EXPECT_EQ(m_connection->lastChanges(), 1);
    m_connection->execute("update Stock set iQuantity=iQuantity+100 where cWhCode=N'W2' and cInvCode=N'A'");
    EXPECT_EQ(total("W1", "A"), 101);
    EXPECT_EQ(total("W2", "A"), 104);
    m_connection->execute("delete from Stock where cWhCode=N'W1' and cInvCode=N'A'");
    EXPECT_EQ(total("W1", "A"), -1);
}

TEST_F(ShapedStatements, QueryColumnsKeepTheNamesOfTheirLiterals) {
    Recordset rs;
    rs.open("select 0, N'x', cInvCode from Stock where cWhCode=N'W1' order by cInvCode", *m_connection,
            CursorType::Static, LockType::ReadOnly, CommandType::Text);
    EXPECT_EQ(rs.fieldName(0), "0");
    EXPECT_EQ(rs.fieldName(1), "'x'");
    EXPECT_EQ(rs.recordCount(), 2);
}

TEST_F(ShapedStatements, AColumnAddedOrDroppedBetweenCallsIsSeen) {
    const std::string query = "select * from Stock where cWhCode=N'W1' and cInvCode=N'A'";
    Recordset before;
    before.open(query, *m_connection, CursorType::Static, LockType::ReadOnly, CommandType::Text);
    EXPECT_EQ(before.fieldCount(), 3u);
    m_connection->execute("ALTER TABLE Stock add isOutQuantity_s float NULL");
    m_connection->execute("update Stock set isOutQuantity_s=7 where cWhCode=N'W1'");
    Recordset after;
    after.open(query, *m_connection, CursorType::Static, LockType::ReadOnly, CommandType::Text);
    ASSERT_EQ(after.fieldCount(), 4u);
    EXPECT_EQ(after.field("isOutQuantity_s").asDouble(), 7);
    m_connection->execute("ALTER TABLE Stock drop column isOutQuantity_s");
    Recordset dropped;
    dropped.open(query, *m_connection, CursorType::Static, LockType::ReadOnly, CommandType::Text);
    EXPECT_EQ(dropped.fieldCount(), 3u);
}

TEST_F(ShapedStatements, AStatementOverADroppedTableFailsAndWorksAgainOnceTheTableIsBack) {
    m_connection->execute("create table Probe (a int)");
    const std::string query = "select * from Probe where 1=0";
    Recordset first;
    first.open(query, *m_connection, CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text);
    EXPECT_EQ(first.recordCount(), 0);
    m_connection->execute("drop table Probe");
    Recordset missing;
    EXPECT_THROW(
        missing.open(query, *m_connection, CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text),
        DbError);
    m_connection->execute("create table Probe (a int, b int)");
    Recordset again;
    again.open(query, *m_connection, CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text);
    EXPECT_EQ(again.fieldCount(), 2u);
}

TEST_F(ShapedStatements, AFailingStatementLeavesNoLockBehind) {
    EXPECT_THROW(m_connection->execute("insert into Stock (nope) values (N'x')"), DbError);
    // a statement left running would keep the table locked against the drop
    EXPECT_EQ(total("W1", "A"), 1);
    m_connection->execute("drop table Stock");
    EXPECT_EQ(m_db.scalar("select count(*) from sqlite_master where name='Stock'"), "0");
}

TEST_F(ShapedStatements, ASelectIntoTableIsIndexedOnItsFirstColumnAndCanBeDropped) {
    m_connection->execute("select cInvCode, sum(iQuantity) as q into Sums from Stock group by cInvCode");
    EXPECT_EQ(m_db.scalar("select count(*) from pragma_index_list('Sums')"), "1");
    EXPECT_EQ(m_db.scalar("select name from pragma_index_info((select name from pragma_index_list('Sums')))"),
              "cInvCode");
    EXPECT_EQ(m_db.scalar("select q from Sums where cInvCode='B'"), "10.0");
    m_connection->execute("drop table Sums");
    EXPECT_EQ(m_db.scalar("select count(*) from sqlite_master where tbl_name='Sums'"), "0");
    // made again, as the next run does
    m_connection->execute("select cInvCode, sum(iQuantity) as q into Sums from Stock group by cInvCode");
    EXPECT_EQ(m_db.scalar("select q from Sums where cInvCode='A'"), "21.0");
}

// The server form compares a number column with a text column: no index serves it, so SQLite is given the
// same join driven from the other side. The figures must not change.
TEST_F(ShapedStatements, ANumberToTextJoinGivesTheSameSumsInBothDialects) {
    m_db.run(
        "create table Lines (AutoID integer primary key, iQuantity float, isOutQuantity float, "
        "cVouchCode varchar(30));"
        "create index Lines_Code on Lines (cVouchCode);"
        "insert into Lines values (1, 10, 3, null), (2, -2, 0, '1'), (3, -1, 0, '1'), (4, 5, 1, null),"
        " (5, -4, 0, '4'), (6, 9, 0, 'x');");
    m_connection->execute(
        "select Lines.autoid, Lines.isOutQuantity-isnull(sum(R2.iQuantity),0) as s into SumServer "
        "FROM Lines left join Lines R2 on Lines.autoid=R2.cVouchCode group by "
        "Lines.isOutQuantity,Lines.autoid");
    m_connection->execute(
        "select Lines.autoid, Lines.isOutQuantity-iif((Sum(R2.iQuantity)) is null,0,Sum(R2.iQuantity)) as s "
        "into SumDesktop FROM (Lines left join Lines R2 on str(Lines.autoid)=R2.cVouchCode) "
        "group by Lines.isOutQuantity,Lines.autoid");
    EXPECT_EQ(
        m_db.scalar("select group_concat(autoid || ':' || s, ' ') from (select * from SumServer order by "
                    "autoid)"),
        "1:6.0 2:0.0 3:0.0 4:5.0 5:0.0 6:0.0");
    EXPECT_EQ(
        m_db.scalar("select count(*) from SumServer S join SumDesktop D using (autoid) where S.s = D.s"),
        "6");
}

}  // namespace
}  // namespace tarvenish

namespace tarvenish {
namespace {

TEST(JournalSettings, TheFileKeepsItsJournalModeUnlessTheConnectionStringAsks) {
    test::TempDatabase db;
    db.run("create table t (a int)");
    {
        const ConnectionPtr plain = Connection::open(db.connectionString());
        plain->execute("insert into t values (1)");
    }
    EXPECT_EQ(db.scalar("pragma journal_mode"), "delete");
    {
        const ConnectionPtr wal = Connection::open(db.connectionString() + "Journal Mode=WAL;");
        wal->execute("insert into t values (2)");
    }
    EXPECT_EQ(db.scalar("pragma journal_mode"), "wal");
    EXPECT_EQ(db.scalar("select count(*) from t"), "2");
}

}  // namespace
}  // namespace tarvenish
