#include "checks/start_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ledger/db/connection.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "ledger/sql/statements.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

constexpr const char* kTables = R"(
    CREATE TABLE AccInformation (cSysID TEXT, cName TEXT, cValue TEXT, cDefault TEXT);
    CREATE TABLE Warehouse (cWhCode TEXT PRIMARY KEY, cWhName TEXT, cDepCode TEXT, cWhValueStyle TEXT);
    CREATE TABLE IA_Subsidiary (cVouType TEXT, cWhCode TEXT, cDepCode TEXT, cInvCode TEXT, iAInQuantity REAL,
                                iAInPrice REAL, dkeepdate DATETIME, caccounter TEXT, cmaker TEXT);
    INSERT INTO Warehouse VALUES ('W1', 'Specific', 'D1', '个别计价法');
    INSERT INTO Warehouse VALUES ('W2', 'Average', 'D2', '全月平均法');
)";

// An account set reached through the host's open connection; the parameter is the host's dialect flag.
class StartCheck : public ::testing::TestWithParam<std::int16_t> {
protected:
    void SetUp() override {
        m_db.run(kTables);
        m_conn = Connection::open(m_db.connectionString());
    }
    void TearDown() override {
        m_conn.reset();
        ConnectionPool::clear();
    }
    void setting(const std::string& name, const std::string& value, const std::string& fallback) {
        m_db.run("INSERT INTO AccInformation VALUES ('IA','" + name + "'," + value + "," + fallback + ")");
    }
    void openingRow(const std::string& warehouse, const std::string& department) {
        m_db.run("INSERT INTO IA_Subsidiary (cVouType,cWhCode,cDepCode,cInvCode) VALUES ('34','" + warehouse +
                 "'," + department + ",'I1')");
    }
    // Runs the check and keeps every statement it sent.
    bool check() {
        ScopedEngineHooks hooks({[this](std::string_view sql) { m_sent.emplace_back(sql); }, {}});
        return accountingStarted(DialectChoice::fromHostFlag(GetParam()), *m_conn);
    }
    [[nodiscard]] bool sent(const std::string& sql) const {
        return std::find(m_sent.begin(), m_sent.end(), sql) != m_sent.end();
    }
    // Only flag 1 selects the server form; 0, 2 and -1 all take the desktop one.
    [[nodiscard]] std::string departmentFill() const {
        return sql::departmentFill(GetParam() == 1 ? Dialect::Server : Dialect::Desktop).text();
    }

    test::TempDatabase m_db;
    ConnectionPtr m_conn;
    std::vector<std::string> m_sent;
};

TEST_P(StartCheck, AnswersTrueForAStartDateAndSpecificIdentificationOpeningRows) {
    setting("dIAStartDate", "'2024-01-01'", "NULL");
    setting("cValueStyle", "'按仓库核算'", "NULL");
    openingRow("W1", "NULL");
    EXPECT_TRUE(check());
}

TEST_P(StartCheck, TakesTheStartDateFromTheDefaultWhenTheValueIsEmpty) {
    setting("dIAStartDate", "''", "'2024/01/01'");
    setting("cValueStyle", "'按仓库核算'", "NULL");
    openingRow("W1", "NULL");
    EXPECT_TRUE(check());
}

TEST_P(StartCheck, AnswersFalseWithoutTouchingDepartmentsWhenTheStartDateIsNotADate) {
    setting("dIAStartDate", "'not started'", "'2024-01-01'");
    openingRow("W1", "NULL");
    EXPECT_FALSE(check());
    EXPECT_FALSE(sent(departmentFill()));
    EXPECT_EQ(m_db.scalar("SELECT count(*) FROM IA_Subsidiary WHERE cDepCode IS NULL"), "1");
}

TEST_P(StartCheck, AnswersFalseWithoutAStartDateSetting) {
    openingRow("W1", "NULL");
    EXPECT_FALSE(check());
    EXPECT_FALSE(sent(departmentFill()));
}

TEST_P(StartCheck, AnswersFalseWhenOpeningRowsLieOnlyInOtherValuationStyles) {
    setting("dIAStartDate", "'2024-01-01'", "NULL");
    setting("cValueStyle", "'按仓库核算'", "NULL");
    openingRow("W2", "NULL");
    m_db.run("INSERT INTO IA_Subsidiary (cVouType,cWhCode) VALUES ('01','W1')");
    EXPECT_FALSE(check());
}

TEST_P(StartCheck, NeverFillsDepartmentsInWarehouseMode) {
    setting("dIAStartDate", "'2024-01-01'", "NULL");
    setting("cValueStyle", "''", "'按仓库核算'");
    openingRow("W1", "'OLD'");
    EXPECT_TRUE(check());
    EXPECT_FALSE(sent(departmentFill()));
    EXPECT_EQ(m_db.scalar("SELECT cDepCode FROM IA_Subsidiary"), "OLD");
}

TEST_P(StartCheck, FillsEveryRowsDepartmentBeforeCountingInDepartmentMode) {
    setting("dIAStartDate", "'2024-01-01'", "NULL");
    openingRow("W1", "NULL");
    m_db.run("INSERT INTO IA_Subsidiary (cVouType,cWhCode) VALUES ('01','W2')");
    EXPECT_TRUE(check());
    EXPECT_TRUE(sent(departmentFill()));
    EXPECT_EQ(m_db.scalar("SELECT group_concat(cDepCode) FROM "
                          "(SELECT cDepCode FROM IA_Subsidiary ORDER BY cWhCode)"),
              "D1,D2");
}

TEST_P(StartCheck, CountsEvenWhenTheDepartmentFillFails) {
    setting("dIAStartDate", "'2024-01-01'", "NULL");
    setting("cValueStyle", "'按部门核算'", "NULL");
    openingRow("W1", "'D1'");
    const std::string fill = departmentFill();
    ScopedEngineHooks failFill({[&](std::string_view sql) {
                                    if (sql == fill) throw DbError("execute", 1, "refused", std::string(sql));
                                },
                                {}});
    EXPECT_TRUE(accountingStarted(DialectChoice::fromHostFlag(GetParam()), *m_conn));
}

TEST_P(StartCheck, AnswersFalseWhenTheLedgerTableIsMissing) {
    setting("dIAStartDate", "'2024-01-01'", "NULL");
    setting("cValueStyle", "'按仓库核算'", "NULL");
    m_db.run("DROP TABLE IA_Subsidiary");
    EXPECT_FALSE(check());
}

INSTANTIATE_TEST_SUITE_P(DialectFlags, StartCheck, ::testing::Values<std::int16_t>(1, 0, 2, -1));

TEST(StartCheckFailures, AnswersFalseOnAConnectionThatOpensNothing) {
    auto unopened = Connection::create();
    EXPECT_FALSE(accountingStarted(DialectChoice::fromHostFlag(1), *unopened));
    auto missingFile = Connection::create("Data Source=/nonexistent/ledger.db;");
    EXPECT_FALSE(accountingStarted(DialectChoice::fromHostFlag(0), *missingFile));
}

}  // namespace
}  // namespace tarvenish
