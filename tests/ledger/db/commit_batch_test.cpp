#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ledger/db/commit_batch.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine.h"
#include "ledger/db/error.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

// Committed transactions are made durable in batches; every test reads through a connection of its own.
class GroupCommit : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.run("create table t(a)");
        // A child row without its parent fails only the real commit: the check is deferred to it.
        m_db.run(
            "create table parent(id integer primary key);"
            "create table child(p references parent(id) deferrable initially deferred)");
        m_connection->execute("PRAGMA foreign_keys=ON");
        m_batch.emplace(*m_connection);
    }

    void commitInsert(int value) {
        m_connection->beginTrans();
        m_connection->execute("insert into t values (" + std::to_string(value) + ")");
        m_connection->commitTrans();
        m_batch->commitWhenDue();
    }

    [[nodiscard]] std::string values() const {
        return m_db.scalar("select group_concat(a) from (select a from t order by a)");
    }

    test::TempDatabase m_db;
    ConnectionPtr m_connection = Connection::open(m_db.connectionString());
    std::optional<CommitBatch> m_batch;
};

TEST_F(GroupCommit, KeepsEveryTransactionOfABatchButTheOneRolledBack) {
    commitInsert(1);
    m_connection->beginTrans();
    m_connection->execute("insert into t values (2)");
    m_connection->rollbackTrans();
    EXPECT_FALSE(m_connection->inTransaction());
    commitInsert(3);
    m_batch->commit();
    EXPECT_EQ(values(), "1,3");
}

TEST_F(GroupCommit, HoldsCommittedWorkBackUntilSettled) {
    commitInsert(1);
    commitInsert(2);
    EXPECT_FALSE(m_connection->inTransaction());
    EXPECT_EQ(m_connection->unsettledTransactions(), 2u);
    EXPECT_EQ(values(), "");
    m_batch->commit();
    EXPECT_EQ(m_connection->unsettledTransactions(), 0u);
    EXPECT_EQ(values(), "1,2");
}

TEST_F(GroupCommit, SettlingWithoutHeldWorkChangesNothing) {
    m_batch->commit();
    EXPECT_EQ(m_connection->unsettledTransactions(), 0u);
    EXPECT_EQ(values(), "");
}

TEST_F(GroupCommit, RefusesToSettleInsideATransaction) {
    commitInsert(1);
    m_connection->beginTrans();
    EXPECT_THROW(m_batch->commit(), DbError);
    EXPECT_TRUE(m_connection->inTransaction());
    m_connection->commitTrans();
    m_batch->commit();
    EXPECT_EQ(values(), "1");
}

TEST_F(GroupCommit, ClosingCommitsReleasedWorkAndRollsBackTheOpenTransaction) {
    commitInsert(1);
    m_connection->beginTrans();
    m_connection->execute("insert into t values (2)");
    m_connection->close();
    EXPECT_EQ(values(), "1");
    m_batch.reset();
}

TEST_F(GroupCommit, EndingTheBatchScopeCommitsReleasedWork) {
    commitInsert(1);
    commitInsert(2);
    m_batch.reset();
    EXPECT_EQ(values(), "1,2");
}

TEST_F(GroupCommit, SettlesBeforeAStatementOutsideATransaction) {
    commitInsert(1);
    m_connection->execute("insert into t values (2)");
    EXPECT_EQ(m_connection->unsettledTransactions(), 0u);
    EXPECT_EQ(values(), "1,2");
}

TEST_F(GroupCommit, SettlesBeforeAQueryOutsideATransaction) {
    commitInsert(1);
    (void)m_connection->engine().query(Statement::asText("select count(*) from t"));
    EXPECT_EQ(values(), "1");
}

TEST_F(GroupCommit, RollingBackTheOnlyTransactionReleasesTheWriteLock) {
    m_connection->beginTrans();
    m_connection->execute("insert into t values (1)");
    m_connection->rollbackTrans();
    EXPECT_EQ(m_connection->unsettledTransactions(), 0u);
    m_db.run("insert into t values (2)");
    EXPECT_EQ(values(), "2");
}

TEST_F(GroupCommit, RefusesANestedTransaction) {
    m_connection->beginTrans();
    EXPECT_THROW(m_connection->beginTrans(), DbError);
    m_connection->rollbackTrans();
    EXPECT_THROW(m_connection->commitTrans(), DbError);
    EXPECT_THROW(m_connection->rollbackTrans(), DbError);
}

TEST_F(GroupCommit, RaisesAFailingBatchCommitFromTheCommitThatMadeItDueAndLosesTheWholeBatch) {
    m_connection->beginTrans();
    m_connection->execute("insert into child values (7)");
    m_connection->execute("insert into t values (0)");
    m_connection->commitTrans();
    int committed = 1;
    bool raised = false;
    // The batch falls due after a bounded number of transactions at the latest.
    for (int value = 1; value <= 10000 && !raised; ++value) {
        try {
            commitInsert(value);
            ++committed;
            EXPECT_EQ(m_connection->unsettledTransactions(), static_cast<std::size_t>(committed));
        } catch (const DbError& error) {
            raised = true;
            EXPECT_NE(std::string(error.what()).find("FOREIGN KEY"), std::string::npos) << error.what();
        }
    }
    ASSERT_TRUE(raised);
    EXPECT_FALSE(m_connection->inTransaction());
    EXPECT_EQ(m_connection->unsettledTransactions(), 0u);
    EXPECT_EQ(values(), "");
    EXPECT_EQ(m_db.scalar("select count(*) from child"), "0");
    // The connection goes on: the next transaction starts a new batch.
    commitInsert(1);
    m_batch->commit();
    EXPECT_EQ(values(), "1");
}

TEST_F(GroupCommit, CommitsAtOnceOnceBatchingEnds) {
    commitInsert(1);
    m_batch->end();
    EXPECT_EQ(values(), "1");
    commitInsert(2);
    EXPECT_EQ(m_connection->unsettledTransactions(), 0u);
    EXPECT_EQ(values(), "1,2");
}

TEST_F(GroupCommit, RaisesAFailingSettleAndLosesTheBatch) {
    commitInsert(1);
    m_connection->beginTrans();
    m_connection->execute("insert into child values (7)");
    m_connection->commitTrans();
    EXPECT_THROW(m_batch->commit(), DbError);
    EXPECT_EQ(m_connection->unsettledTransactions(), 0u);
    EXPECT_EQ(values(), "");
    m_connection->execute("insert into t values (2)");
    EXPECT_EQ(values(), "2");
}

}  // namespace
}  // namespace tarvenish
