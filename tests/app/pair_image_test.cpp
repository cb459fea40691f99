// The per-pair statements answered from the run's image of the booked opening lines, reading the issued
// quantities kept beside the stock ledger as a run's connection does, give exactly what the statements give
// run as they are on the column in the table, and a commit of another connection between pairs is seen.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "base/automation_date.h"
#include "command_support.h"
#include "ledger/db/connection.h"
#include "ledger/odbc/engine.h"
#include "ledger/sql/statements.h"
#include "ledger/sqlite/engine.h"

namespace tarvenish::test {
namespace {

// A department with two warehouses, codes with apostrophes, lines without a quantity, a cost or a price,
// an issue of a negative quantity drawn on a receipt, and a receipt of no warehouse.
constexpr std::string_view kOddLines =
    "insert into Warehouse values ('W''9', 'odd', 'D''9', '个别计价法'), ('W''8', 'odd', 'D''9', "
    "'个别计价法');"
    "insert into RdRecord (ID, brdflag, cVouchType, cWhCode, cAccounter, cCode, dDate) values"
    " (900001, 1, '34', 'W''9', 'a', 'R''1', '2025-01-01'), (900002, 1, '34', 'W''8', 'a', 'R2', "
    "'2025-01-02'),"
    " (900003, 0, '32', 'W''9', 'a', 'X1', '2025-02-01'), (900004, 1, '34', null, 'a', 'R4', '2025-01-03'),"
    " (900005, 1, '34', 'W''9', null, 'R5', '2025-01-04');"
    "insert into RdRecords (AutoID, ID, cInvCode, iQuantity, iUnitCost, iPrice, isOutQuantity, cVouchCode)"
    " values (900001, 900001, 'I''9', 0.1, 0.7, null, 0, null), (900002, 900001, 'I''9', null, null, 0.3, 0,"
    " null), (900003, 900002, 'I''9', 2.2, 1.1, 2.42, 0, null), (900004, 900001, 'I''9', 3.3, 0.3, 0.99, 0.5,"
    " null), (900005, 900003, 'I''9', -1.7, 0.7, null, 0, '900001'), (900006, 900004, 'I''9', 1, 1, 1, 0,"
    " null), (900007, 900005, 'I''9', 1, 1, 1, 0, null), (900008, 900002, 'I''9', 0.2, 0.1, 0.07, 0, null);";

// Every value as its kind and its exact content: a double by its bits.
std::vector<std::string> exactly(const QueryResult& result) {
    std::vector<std::string> values;
    std::vector<Value> row;
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        result.rows.decode(i, row);
        for (const Value& value : row) {
            std::string text = std::to_string(static_cast<int>(value.kind())) + ":";
            text += value.kind() == ValueKind::Double
                        ? std::to_string(std::bit_cast<std::uint64_t>(value.asDouble()))
                        : value.displayText();
            values.push_back(std::move(text));
        }
    }
    return values;
}

std::size_t imageBuilds(Connection& connection) {
    if (auto* sqlite = dynamic_cast<SqliteEngine*>(&connection.engine())) return sqlite->pairImageBuilds();
    return dynamic_cast<OdbcEngine&>(connection.engine()).pairImageBuilds();
}

class PairImage : public ::testing::TestWithParam<std::tuple<EngineKind, PairMode, Dialect>> {
protected:
    void TearDown() override { ConnectionPool::clear(); }
    [[nodiscard]] EngineKind engine() const { return std::get<0>(GetParam()); }
    [[nodiscard]] PairMode mode() const { return std::get<1>(GetParam()); }
    [[nodiscard]] Dialect dialect() const { return std::get<2>(GetParam()); }

    struct Prepared {
        ConnectionPtr connection;
        // The image's connection is a run's, reading its own data: the embedded engine keeps the issued
        // quantities beside the table there.
        std::unique_ptr<ReadingOwnData> reading;
        Engine* operator->() const { return &connection->engine(); }
    };

    // A copy of the odd set at `name`, its issued quantities computed, on a connection of its own.
    Prepared prepared(const std::string& name, bool image) {
        const std::string path = m_dir.file(name);
        std::filesystem::copy_file(m_set, path);
        std::string text =
            engine() == EngineKind::Embedded ? "Data Source=" + path + ";" : connectionTo(path, engine());
        if (!image) text += "Pair Image=Off;Issued Beside=Off;";
        Prepared result{Connection::open(text), nullptr};
        if (image) result.reading = std::make_unique<ReadingOwnData>(*result.connection);
        for (const Statement& statement : sql::issuedQuantityPrepare(dialect()))
            result.connection->execute(statement);
        return result;
    }

    void SetUp() override {
        m_set = makeDemo(m_dir, "set.db", mode(), 30, 20);
        LedgerFile(m_set).exec(kOddLines);
    }

    ScratchDir m_dir;
    std::string m_set;
};

TEST_P(PairImage, AnswersEveryPerPairStatementAsItRunsPlainly) {
    const Prepared image = prepared("image.db", true);
    const Prepared plain = prepared("plain.db", false);
    const QueryResult pairs = plain->query(sql::stockTotalsByPair(dialect(), mode(), 2));
    ASSERT_GT(pairs.rows.size(), 10u);
    const Date keep = makeDate(2026, 1, 1);
    std::vector<Value> pair;
    for (std::size_t i = 0; i < pairs.rows.size(); ++i) {
        pairs.rows.decode(i, pair);
        const std::string code = pair[0].displayText();
        const std::string item = pair[1].displayText();
        SCOPED_TRACE(code + "/" + item);
        for (const Statement& query : {sql::stockTotals(dialect(), mode(), 3, code, item),
                                       sql::receiptLines(dialect(), mode(), keep, 3, 2, code, item)})
            EXPECT_EQ(exactly(image->query(query)), exactly(plain->query(query)));
        for (const Statement& write : {sql::regenerationDelete(dialect(), mode(), code, item),
                                       sql::regenerationInsert(dialect(), mode(), keep, code, item)}) {
            image->execute(write);
            plain->execute(write);
        }
    }
    EXPECT_GT(imageBuilds(*image.connection), 0u);
    EXPECT_EQ(imageBuilds(*plain.connection), 0u);
    // The issued quantities never reached the image's file.
    EXPECT_FALSE(LedgerFile(m_dir.file("image.db")).hasColumn("RdRecords", "isOutQuantity_s"));
    const std::string rows = "select * from IA_Subsidiary order by rowid";
    EXPECT_EQ(LedgerFile(m_dir.file("image.db")).rows(rows), LedgerFile(m_dir.file("plain.db")).rows(rows));
    // Not two empty sets compared: the odd pair's lines were written, the null-coded line and the
    // unbooked receipt not.
    EXPECT_EQ(
        LedgerFile(m_dir.file("image.db")).scalar("select count(*) from IA_Subsidiary where cinvcode='I''9'"),
        "5");
}

TEST_P(PairImage, SeesALineAnotherConnectionCommitsBetweenPairs) {
    const Prepared image = prepared("image.db", true);
    const std::string code = mode() == PairMode::Warehouse ? "W'9" : "D'9";
    const Statement totals = sql::stockTotals(dialect(), mode(), 3, code, "I'9");
    const std::vector<std::string> before = exactly(image->query(totals));
    // Another program adds a line, knowing nothing of the issued quantities: the line reads 0 there.
    constexpr std::string_view kNewLine =
        "insert into RdRecords (AutoID, ID, cInvCode, iQuantity, iUnitCost, iPrice, isOutQuantity)"
        " values (900009, 900001, 'I''9', 5, 1, 5, 0)";
    LedgerFile(m_dir.file("image.db")).exec(std::string(kNewLine));
    const std::vector<std::string> after = exactly(image->query(totals));
    EXPECT_NE(after, before);
    const Prepared plain = prepared("plain.db", false);
    LedgerFile(m_dir.file("plain.db")).exec(std::string(kNewLine));
    EXPECT_EQ(after, exactly(plain->query(totals)));
}

// The run's own connection adds a line and takes one away, in a transaction it then rolls back: its totals
// read each line's issued quantity at every step as the column in the table gives it.
TEST_P(PairImage, FollowsTheLinesItsOwnConnectionAddsAndRemovesAndRollsBack) {
    const Prepared image = prepared("image.db", true);
    const Prepared plain = prepared("plain.db", false);
    const std::string code = mode() == PairMode::Warehouse ? "W'9" : "D'9";
    const Statement totals = sql::stockTotals(dialect(), mode(), 3, code, "I'9");
    const auto both = [&](const std::string& text) {
        for (const Prepared* side : {&image, &plain}) side->connection->execute(Statement::asText(text));
    };
    const auto same = [&](const char* step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(exactly(image->query(totals)), exactly(plain->query(totals)));
    };
    same("as computed");
    both("insert into RdRecords (AutoID, ID, cInvCode, iQuantity, iUnitCost, iPrice, isOutQuantity)"
         " values (900010, 900001, 'I''9', 7, 1, 7, 0)");
    same("a line added");
    for (const Prepared* side : {&image, &plain}) side->connection->beginTrans();
    both("delete from RdRecords where AutoID=900004");
    both("update RdRecords set AutoID=900011 where AutoID=900003");
    same("a line removed and one renumbered");
    for (const Prepared* side : {&image, &plain}) side->connection->rollbackTrans();
    same("rolled back");
    EXPECT_FALSE(LedgerFile(m_dir.file("image.db")).hasColumn("RdRecords", "isOutQuantity_s"));
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<EngineKind, PairMode, Dialect>>& info) {
    return engineName(std::get<0>(info.param)) +
           (std::get<1>(info.param) == PairMode::Warehouse ? "Warehouse" : "Department") +
           (std::get<2>(info.param) == Dialect::Server ? "Server" : "Desktop");
}

INSTANTIATE_TEST_SUITE_P(EnginesModesDialects, PairImage,
                         ::testing::Combine(::testing::Values(EngineKind::Embedded, EngineKind::Odbc),
                                            ::testing::Values(PairMode::Warehouse, PairMode::Department),
                                            ::testing::Values(Dialect::Server, Dialect::Desktop)),
                         caseName);

}  // namespace
}  // namespace tarvenish::test
