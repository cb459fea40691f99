#include "ledger/db/connection.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <string>

#include "ledger/db/engine.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "ledger/db/stop_request.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

bool mentions(const std::exception& e, std::string_view part) {
    return std::string(e.what()).find(part) != std::string::npos;
}

TEST(ConnectionOpening, AMissingFileIsAnErrorAndIsNotCreated) {
    const auto path = std::filesystem::temp_directory_path() / "tarvenish-no-such-file.db";
    std::filesystem::remove(path);
    try {
        (void)Connection::open("Data Source=" + path.string());
        FAIL() << "opened a missing file";
    } catch (const DbError& e) {
        EXPECT_TRUE(mentions(e, path.string())) << e.what();
        EXPECT_TRUE(mentions(e, "does not exist")) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ConnectionOpening, AFileThatIsNotADatabaseIsAnError) {
    const auto path = std::filesystem::temp_directory_path() / "tarvenish-not-a-db.txt";
    std::ofstream(path) << "these are not the pages of a database, just a plain text that is long enough\n";
    try {
        (void)Connection::open(path.string());
        FAIL() << "opened a text file";
    } catch (const DbError& e) {
        EXPECT_TRUE(mentions(e, "not a database")) << e.what();
    }
    std::filesystem::remove(path);
}

TEST(ConnectionOpening, ASharedMemoryUriIsAcceptedAsDataSource) {
    const std::string uri = "Data Source=file:ledger-conn-test?mode=memory&cache=shared;";
    const ConnectionPtr first = Connection::open(uri);
    first->execute("create table t(a); insert into t values (1)");
    const ConnectionPtr second = Connection::open(uri);
    Engine& engine = second->engine();
    EXPECT_EQ(engine.query(Statement::asText("select a from t")).rows.size(), 1u);
}

// A literal that names a result column stays a literal, at whatever depth its select list stands.
TEST(ConnectionQuery, NamesAColumnAfterALiteralOfASubquerysSelectList) {
    test::TempDatabase db;
    db.run("create table t(a); insert into t values ('x')");
    const ConnectionPtr connection = Connection::open(db.connectionString());
    // Twice: the second meets the shape the first left behind.
    for (int i = 0; i < 2; ++i) {
        const QueryResult result = connection->engine().query(
            Statement::asText("select * from (select 5, a from t where a=N'x') s"));
        ASSERT_EQ(result.columns.size(), 2u);
        EXPECT_EQ(result.columns[0].name, "5");
        EXPECT_EQ(result.rows.size(), 1u);
    }
}

TEST(ConnectionState, OpenAndCloseFollowTheStoredString) {
    test::TempDatabase db;
    const ConnectionPtr c = Connection::create();
    EXPECT_EQ(c->state(), 0);
    EXPECT_THROW(c->open(), DbError);
    c->setConnectionString(db.connectionString());
    c->open();
    EXPECT_EQ(c->state(), 1);
    EXPECT_THROW(c->setConnectionString("other.db"), DbError);
    c->close();
    EXPECT_EQ(c->state(), 0);
    EXPECT_THROW(c->execute("select 1"), DbError);
}

class ConnectionExecute : public ::testing::Test {
protected:
    test::TempDatabase m_db;
    ConnectionPtr m_connection = Connection::open(m_db.connectionString());
};

TEST_F(ConnectionExecute, AStopRequestCutsAStatementShortOnlyWhileThatIsAllowed) {
    m_connection->execute("create table t(a integer)");
    const std::string longFill =
        "insert into t with recursive n(i) as (select 1 union all select i+1 from n where i<100000) "
        "select i from n";
    requestStop(SIGINT);
    m_connection->interruptOnStopRequest(true);
    EXPECT_THROW(m_connection->execute(longFill), DbError);
    EXPECT_EQ(m_db.scalar("select count(*) from t"), "0");
    m_connection->interruptOnStopRequest(false);
    m_connection->execute(longFill);
    clearStopRequest();
    EXPECT_EQ(m_db.scalar("select count(*) from t"), "100000");
}

TEST_F(ConnectionExecute, RunsEveryStatementOfTheText) {
    m_connection->execute("create table t(a integer); insert into t values (1); insert into t values (2);");
    EXPECT_EQ(m_db.scalar("select sum(a) from t"), "3");
}

TEST_F(ConnectionExecute, ErrorsCarryTheStatementAndTheEngineMessage) {
    const std::string statement = "delete from NoSuchTable where cVouType=N'34'";
    try {
        m_connection->execute(statement);
        FAIL() << "a statement on a missing table succeeded";
    } catch (const DbError& e) {
        EXPECT_EQ(e.statement(), statement);
        EXPECT_NE(e.engineMessage().find("no such table"), std::string::npos) << e.engineMessage();
        EXPECT_NE(e.engineCode(), 0);
        EXPECT_TRUE(mentions(e, "execute")) << e.what();
        EXPECT_TRUE(mentions(e, statement)) << e.what();
        EXPECT_TRUE(mentions(e, "no such table")) << e.what();
    }
}

TEST_F(ConnectionExecute, AnEmptyStatementIsAnError) {
    EXPECT_THROW(m_connection->execute("  ;  "), DbError);
}

TEST_F(ConnectionExecute, HookSeesTheTextAsGivenAndCanFailIt) {
    m_db.run("create table t(a)");
    std::vector<std::string> seen;
    ScopedEngineHooks hooks({[&](std::string_view s) {
                                 seen.emplace_back(s);
                                 if (s.find("fail me") != std::string_view::npos)
                                     throw DbError("execute", 0, "injected", std::string(s));
                             },
                             {}});
    m_connection->execute("insert into t values (1)");
    EXPECT_THROW(m_connection->execute("insert into t values ('fail me')"), DbError);
    EXPECT_EQ(seen,
              (std::vector<std::string>{"insert into t values (1)", "insert into t values ('fail me')"}));
    EXPECT_EQ(m_db.scalar("select count(*) from t"), "1");
}

TEST_F(ConnectionExecute, HooksAreRestoredAfterTheirScope) {
    {
        ScopedEngineHooks hooks({[](std::string_view) { throw DbError("execute", 0, "injected", {}); }, {}});
        EXPECT_THROW(m_connection->execute("create table t(a)"), DbError);
    }
    EXPECT_NO_THROW(m_connection->execute("create table t(a)"));
}

TEST_F(ConnectionExecute, DestroyingAConnectionInsideATransactionRollsBack) {
    m_db.run("create table t(a)");
    {
        const ConnectionPtr other = Connection::open(m_db.connectionString());
        other->beginTrans();
        EXPECT_TRUE(other->inTransaction());
        other->execute("insert into t values (1)");
    }
    EXPECT_EQ(m_db.scalar("select count(*) from t"), "0");
}

TEST_F(ConnectionExecute, CommittedWorkStays) {
    m_db.run("create table t(a)");
    m_connection->beginTrans();
    m_connection->execute("insert into t values (1)");
    m_connection->commitTrans();
    EXPECT_FALSE(m_connection->inTransaction());
    m_connection->beginTrans();
    m_connection->execute("insert into t values (2)");
    m_connection->rollbackTrans();
    EXPECT_EQ(m_db.scalar("select group_concat(a) from t"), "1");
}

}  // namespace
}  // namespace tarvenish
