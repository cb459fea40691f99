#include "checks/documents_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ledger/db/connection.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

constexpr const char* kTables = R"(
    CREATE TABLE SaleBillVouch (SBVID INTEGER, cInvalider TEXT, cSTCode TEXT, IDISP INTEGER, bFirstBill BOOLEAN,
                                cVerifier TEXT);
    CREATE TABLE SaleBillVouchs (SBVID INTEGER, cwhcode TEXT, RdsID INTEGER);
    CREATE TABLE DispatchList (DLID INTEGER, cSTCode TEXT, ISALE INTEGER);
    CREATE TABLE DispatchLists (DLID INTEGER, cwhcode TEXT, RdsID INTEGER, iquantity REAL, iOutQuantity REAL);
    CREATE TABLE EnDispatch (EDID INTEGER, cSTCode TEXT);
    CREATE TABLE EnDispatchs (EDID INTEGER, cwhcode TEXT, iquantity REAL, iretquantity REAL,
                              isettlequantity REAL, bSettleAll BOOLEAN);
)";

// An account set with the three document kinds, asked through the host's open connection.
class DocumentsCheck : public ::testing::Test {
protected:
    void SetUp() override {
        m_db.run(kTables);
        m_conn = Connection::open(m_db.connectionString());
    }
    void TearDown() override {
        m_conn.reset();
        ConnectionPool::clear();
    }
    // Runs the check with `flag` and keeps every statement it sent.
    bool check(std::int16_t flag) {
        m_sent.clear();
        ScopedEngineHooks hooks({[this](std::string_view sql) { m_sent.emplace_back(sql); }, {}});
        return noDocumentsOutstanding(DialectChoice::fromHostFlag(flag), *m_conn);
    }
    // An invoice that is outstanding by both dialects' tests, its line in `warehouse`.
    void openInvoice(const std::string& warehouse) {
        m_db.run(
            "INSERT INTO SaleBillVouch VALUES (1, NULL, 'ST', NULL, -1, NULL);"
            "INSERT INTO SaleBillVouchs VALUES (1, " +
            warehouse + ", NULL);");
    }

    test::TempDatabase m_db;
    ConnectionPtr m_conn;
    std::vector<std::string> m_sent;
};

class DocumentsCheckAllFlags : public DocumentsCheck, public ::testing::WithParamInterface<std::int16_t> {};

TEST_P(DocumentsCheckAllFlags, AnswersTrueForEmptyDocumentTablesAfterAskingAllThree) {
    EXPECT_TRUE(check(GetParam()));
    EXPECT_EQ(m_sent.size(), 3u);
}

TEST_P(DocumentsCheckAllFlags, AnswersFalseForAnOutstandingInvoice) {
    openInvoice("'W1'");
    EXPECT_FALSE(check(GetParam()));
}

TEST_P(DocumentsCheckAllFlags, IgnoresAnInvoiceWhoseLinesHaveNoWarehouse) {
    openInvoice("NULL");
    EXPECT_TRUE(check(GetParam()));
}

TEST_P(DocumentsCheckAllFlags, AnswersFalseWhenADocumentTableIsMissing) {
    m_db.run("DROP TABLE EnDispatchs");
    EXPECT_FALSE(check(GetParam()));
}

TEST_P(DocumentsCheckAllFlags, AnswersFalseWhenAQueryIsRefused) {
    ScopedEngineHooks refuse(
        {[](std::string_view sql) { throw DbError("open recordset", 1, "refused", std::string(sql)); }, {}});
    EXPECT_FALSE(noDocumentsOutstanding(DialectChoice::fromHostFlag(GetParam()), *m_conn));
}

INSTANTIATE_TEST_SUITE_P(DialectFlags, DocumentsCheckAllFlags, ::testing::Values<std::int16_t>(1, 0, 2, -1));

using ServerDocumentsCheck = DocumentsCheck;

TEST_F(ServerDocumentsCheck, StopsAtAnUnsettledDispatchListWithoutAskingForTheThirdKind) {
    m_db.run(
        "INSERT INTO DispatchList VALUES (1, 'ST', NULL);"
        "INSERT INTO DispatchLists VALUES (1, 'W1', 0, 5, 5);");
    EXPECT_FALSE(check(1));
    ASSERT_EQ(m_sent.size(), 2u);
    EXPECT_NE(m_sent[1].find("DispatchList"), std::string::npos);
}

TEST_F(ServerDocumentsCheck, CountsAnEnDispatchWithQuantityLeftAfterReturnsAndSettlements) {
    m_db.run(
        "INSERT INTO EnDispatch VALUES (1, 'ST');"
        "INSERT INTO EnDispatchs VALUES (1, 'W1', 10, 4, 6, 0);");
    EXPECT_TRUE(check(1));
    m_db.run("UPDATE EnDispatchs SET isettlequantity = 5");
    EXPECT_FALSE(check(1));
}

class DesktopDocumentsCheck : public DocumentsCheck, public ::testing::WithParamInterface<std::int16_t> {};

TEST_P(DesktopDocumentsCheck, IgnoresAVerifiedInvoiceOrOneThatIsNotAFirstBill) {
    m_db.run(
        "INSERT INTO SaleBillVouch VALUES (1, NULL, 'ST', NULL, -1, 'checker');"
        "INSERT INTO SaleBillVouchs VALUES (1, 'W1', NULL);"
        "INSERT INTO SaleBillVouch VALUES (2, NULL, 'ST', NULL, 0, NULL);"
        "INSERT INTO SaleBillVouchs VALUES (2, 'W1', NULL);");
    EXPECT_TRUE(check(GetParam()));
}

TEST_P(DesktopDocumentsCheck, CountsADispatchListWhoseQuantityIsNotFullyIssued) {
    m_db.run(
        "INSERT INTO DispatchList VALUES (1, 'ST', 1);"
        "INSERT INTO DispatchLists VALUES (1, 'W1', 3, 5, 5);");
    EXPECT_TRUE(check(GetParam()));
    m_db.run("UPDATE DispatchLists SET iOutQuantity = 2");
    EXPECT_FALSE(check(GetParam()));
}

TEST_P(DesktopDocumentsCheck, CountsAnEnDispatchLineMarkedSettled) {
    m_db.run(
        "INSERT INTO EnDispatch VALUES (1, 'ST');"
        "INSERT INTO EnDispatchs VALUES (1, 'W1', 10, 0, 0, 0);");
    EXPECT_TRUE(check(GetParam()));
    m_db.run("UPDATE EnDispatchs SET bSettleAll = -1");
    EXPECT_FALSE(check(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(NonServerFlags, DesktopDocumentsCheck, ::testing::Values<std::int16_t>(0, 2, -1));

}  // namespace
}  // namespace tarvenish
