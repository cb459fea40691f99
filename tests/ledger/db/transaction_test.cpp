#include "ledger/db/transaction.h"

#include <gtest/gtest.h>

#include "ledger/db/connection.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

class TransactionScope : public ::testing::Test {
protected:
    void SetUp() override { m_db.run("create table t(a)"); }
    test::TempDatabase m_db;
    ConnectionPtr m_connection = Connection::open(m_db.connectionString());
};

TEST_F(TransactionScope, RollsBackWhenLeftUncommitted) {
    {
        Transaction transaction(*m_connection);
        m_connection->execute("insert into t values (1)");
    }
    EXPECT_FALSE(m_connection->inTransaction());
    EXPECT_EQ(m_db.scalar("select count(*) from t"), "0");
}

TEST_F(TransactionScope, KeepsWhatWasCommitted) {
    {
        Transaction transaction(*m_connection);
        m_connection->execute("insert into t values (1)");
        transaction.commit();
    }
    EXPECT_EQ(m_db.scalar("select count(*) from t"), "1");
}

TEST_F(TransactionScope, RollsBackWhenAStatementThrowsOutOfIt) {
    try {
        Transaction transaction(*m_connection);
        m_connection->execute("insert into t values (1)");
        m_connection->execute("insert into missing values (1)");
        transaction.commit();
    } catch (const std::exception&) {
    }
    EXPECT_EQ(m_db.scalar("select count(*) from t"), "0");
}

}  // namespace
}  // namespace tarvenish
