// What a whole run leaves in a demo account set, through the command and through the library, checked against
// figures worked out here from the stock ledger with plain SQL.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "command_support.h"
#include "front.h"

// A scenario names only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish::test {
namespace {

// Receipt lines and opening rows of specific-identification warehouses, keyed as the pairs of the mode are.
std::string pairKey(PairMode mode) {
    return mode == PairMode::Warehouse ? "w.cWhCode" : "w.cDepCode";
}
// In department mode a row written in the dialog carries the pair's department, while an added row stands
// in the first opening row's warehouse, which may belong to another department; a regenerated row has none
// until the next department fill.
std::string openingPairKey(PairMode mode) {
    return mode == PairMode::Warehouse ? "w.cWhCode" : "coalesce(s.cDepCode, w.cDepCode)";
}

constexpr std::string_view kSpecific = "w.cWhValueStyle='个别计价法'";

// What remains on one booked opening receipt line: its quantity less what was issued before the opening,
// i.e. isOutQuantity less the quantities of the later lines that point back to it.
std::string remainingLinesSql(PairMode mode) {
    const std::string issuedBefore =
        "(l.isOutQuantity - coalesce((select sum(case when h2.brdflag=0 then r2.iQuantity else "
        "abs(r2.iQuantity) end) from RdRecords r2 left join RdRecord h2 on h2.ID=r2.ID "
        "where r2.cVouchCode=cast(l.autoid as text)),0))";
    return "select " + pairKey(mode) + " as pairCode, l.cInvCode as invCode, l.iQuantity-" + issuedBefore +
           " as quantity, coalesce(l.iPrice,0)-" + issuedBefore +
           "*coalesce(l.iUnitCost,0) as money from RdRecord h join RdRecords l on l.ID=h.ID "
           "join Warehouse w on w.cWhCode=h.cWhCode where h.cVouchType='34' and h.caccounter is not null "
           "and " +
           std::string(kSpecific);
}

struct Totals {
    long rows = 0;
    double quantity = 0.0;
    double money = 0.0;
};
using PairTotals = std::map<std::pair<std::string, std::string>, Totals>;

PairTotals totalsBy(const LedgerFile& file, const std::string& sql) {
    PairTotals result;
    for (const auto& row : file.rows(sql)) {
        result[{row[0].value_or(""), row[1].value_or("")}] = {
            std::stol(*row[2]), std::stod(row[3].value_or("0")), std::stod(row[4].value_or("0"))};
    }
    return result;
}

PairTotals stockTotals(const LedgerFile& file, PairMode mode) {
    return totalsBy(file, "select pairCode, invCode, count(*), sum(quantity), sum(money) from (" +
                              remainingLinesSql(mode) + ") group by pairCode, invCode");
}

// The opening rows of every pair; `which` narrows them further.
PairTotals openingTotals(const LedgerFile& file, PairMode mode, std::string_view which = "1=1") {
    return totalsBy(file,
                    "select " + openingPairKey(mode) +
                        ", s.cInvCode, count(*), sum(s.iAInQuantity), sum(s.iAInPrice) from IA_Subsidiary s "
                        "join Warehouse w on w.cWhCode=s.cWhCode where s.cVouType='34' and " +
                        std::string(kSpecific) + " and " + std::string(which) + " group by 1, 2");
}

bool sameToTheCent(double a, double b) {
    return std::fabs(a - b) < 0.005;
}

class RebuildOutcome : public ::testing::TestWithParam<std::tuple<Front, PairMode, EngineKind>> {
protected:
    [[nodiscard]] static Front front() { return std::get<0>(GetParam()); }
    [[nodiscard]] static PairMode mode() { return std::get<1>(GetParam()); }
    [[nodiscard]] static EngineKind engine() { return std::get<2>(GetParam()); }
    [[nodiscard]] std::string demo(std::string_view name) const { return makeDemo(m_dir, name, mode()); }

    static void run(const std::string& path, std::string_view onMismatch, int accSql = 1,
                    Front through = front(), EngineKind engineUsed = engine()) {
        Scenario scenario{path, accSql, std::string(onMismatch)};
        scenario.engine = engineUsed;
        EXPECT_TRUE(answered(runThrough(through, scenario), Outcome::Done));
    }

    // Each pair ends with one row per booked receipt line carrying that line's remaining quantity (and,
    // unless the average price was applied, its money) and at most one balancing row; together they hold
    // the pair's opening totals as they stood before.
    void expectRebuiltPairs(std::string_view onMismatch) const {
        const std::string path = demo("pairs.db");
        const PairTotals before = openingTotals(LedgerFile(path), mode());
        run(path, onMismatch);

        const LedgerFile file(path);
        const PairTotals stock = stockTotals(file, mode());
        const PairTotals lines = openingTotals(file, mode(), "s.cVouCode not like 'JUST%'");
        const PairTotals balancing = openingTotals(file, mode(), "s.cVouCode like 'JUST%'");
        const PairTotals after = openingTotals(file, mode());
        ASSERT_EQ(after.size(), before.size());
        int balanced = 0;
        for (const auto& [pair, old] : before) {
            SCOPED_TRACE(pair.first + "/" + pair.second);
            ASSERT_TRUE(stock.contains(pair) && lines.contains(pair));
            EXPECT_EQ(lines.at(pair).rows, stock.at(pair).rows);
            EXPECT_TRUE(sameToTheCent(lines.at(pair).quantity, stock.at(pair).quantity));
            if (onMismatch != "average") {
                EXPECT_TRUE(sameToTheCent(lines.at(pair).money, stock.at(pair).money));
            }
            if (balancing.contains(pair)) {
                EXPECT_EQ(balancing.at(pair).rows, 1);
                ++balanced;
            }
            EXPECT_TRUE(sameToTheCent(after.at(pair).quantity, old.quantity)) << after.at(pair).quantity;
            EXPECT_TRUE(sameToTheCent(after.at(pair).money, old.money)) << after.at(pair).money;
        }
        EXPECT_GE(balanced, 1);
    }

    ScratchDir m_dir;
};

// The command's run on the embedded engine in the server dialect is the yardstick for both fronts and both
// engines in the desktop dialect.
TEST_P(RebuildOutcome, IsTheSameLedgerAsTheCommandsInTheOtherDialect) {
    const std::string desktop = demo("desktop.db");
    const std::string server = m_dir.file("server.db");
    std::filesystem::copy_file(desktop, server);
    run(desktop, "balance", 0);
    run(server, "balance", 1, Front::Command, EngineKind::Embedded);

    const std::string all = "select * from IA_Subsidiary";
    const auto fromDesktop = sortedRows(LedgerFile(desktop), all);
    const auto fromServer = sortedRows(LedgerFile(server), all);
    ASSERT_EQ(fromDesktop.size(), fromServer.size());
    for (std::size_t i = 0; i < fromDesktop.size(); ++i) EXPECT_EQ(fromDesktop[i], fromServer[i]);
}

TEST_P(RebuildOutcome, BalancingKeepsEachPairsTotalsWithOneRowPerReceiptLine) {
    expectRebuiltPairs("balance");
}

TEST_P(RebuildOutcome, AveragePriceKeepsEachPairsTotalsWithOneRowPerReceiptLine) {
    expectRebuiltPairs("average");
}

TEST_P(RebuildOutcome, LeavesOtherWarehousesAndLaterRowsAloneAndNoTemporaryObjects) {
    const std::string path = demo("others.db");
    const std::string others =
        "select * from IA_Subsidiary where cVouType<>'34' or cWhCode not in "
        "(select cWhCode from Warehouse where cWhValueStyle='个别计价法')";
    // Department mode copies every warehouse's department into cdepcode on purpose; nothing else may change.
    const int depColumn =
        mode() == PairMode::Department
            ? std::stoi(*LedgerFile(path).scalar(
                  "select cid from pragma_table_info('IA_Subsidiary') where lower(name)='cdepcode'"))
            : -1;
    const auto before = sortedRows(LedgerFile(path), others, depColumn);
    ASSERT_GE(before.size(), 2u);
    run(path, "balance");

    const LedgerFile file(path);
    EXPECT_EQ(sortedRows(file, others, depColumn), before);
    EXPECT_FALSE(file.hasColumn("RdRecords", "isOutQuantity_s"));
    EXPECT_FALSE(file.hasTable("FSumQuantity"));
}

INSTANTIATE_TEST_SUITE_P(BothFrontsModesAndEngines, RebuildOutcome,
                         ::testing::Combine(::testing::Values(Front::Command, Front::Library),
                                            ::testing::Values(PairMode::Warehouse, PairMode::Department),
                                            ::testing::Values(EngineKind::Embedded, EngineKind::Odbc)),
                         [](const auto& p) {
                             return frontName(std::get<0>(p.param)) +
                                    (std::get<1>(p.param) == PairMode::Warehouse ? "Warehouse"
                                                                                 : "Department") +
                                    engineName(std::get<2>(p.param));
                         });

}  // namespace
}  // namespace tarvenish::test
