// The run's own checks: pairs it must not rebuild without asking, opening rows that belong to no pair, and
// the totals it reads back after its last pair.

#include "ledger/sql/statements.h"

#include "ledger/sql/pieces.h"

namespace tarvenish::sql {

namespace {

// A join of two tables only: the desktop engine needs no further parentheses and the server reads it as is.
constexpr std::string_view kBookedOpeningLines =
    "FROM (RdRecord INNER JOIN RdRecords ON RdRecord.ID=RdRecords.ID) ";
constexpr std::string_view kBookedOpeningWhere =
    "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And RdRecords.isOutQuantity_s is "
    "null";
constexpr std::string_view kOpeningRowsOfWarehouses =
    "FROM (IA_Subsidiary INNER JOIN Warehouse ON IA_Subsidiary.cWhCode=Warehouse.cWhCode) ";

}  // namespace

Statement pairsWithoutIssuedQuantity(PairMode mode) {
    if (mode == PairMode::Department) {
        return Statement::fixed("select distinct Warehouse.cdepCode,RdRecords.cInvCode " +
                                    std::string(kBookedOpeningLines) +
                                    "left join Warehouse on Warehouse.cwhcode=RdRecord.cwhcode " +
                                    std::string(kBookedOpeningWhere),
                                StatementKind::IssuedColumnCheck);
    }
    return Statement::fixed("select distinct RdRecord.cWhCode,RdRecords.cInvCode " +
                                std::string(kBookedOpeningLines) + std::string(kBookedOpeningWhere),
                            StatementKind::IssuedColumnCheck);
}

Statement openingRowsWithoutDepartment() {
    return Statement::fixed(
        "select IA_Subsidiary.cWhCode,IA_Subsidiary.cInvCode,count(*) " +
        std::string(kOpeningRowsOfWarehouses) +
        "where IA_Subsidiary.cVouType=N'34' And Warehouse.cWhValueStyle=N'个别计价法' And "
        "IA_Subsidiary.cdepCode is null group by IA_Subsidiary.cWhCode,IA_Subsidiary.cInvCode");
}

Statement openingTotalsCheck(Dialect dialect, PairMode mode, int quantityDigits) {
    const std::string code = mode == PairMode::Department ? "Warehouse.cDepCode" : "IA_Subsidiary.cWhCode";
    std::string text = "SELECT " + code + ",IA_Subsidiary.cInvCode,";
    text += detail::openingTotals(dialect, quantityDigits) + " ";
    text += kOpeningRowsOfWarehouses;
    text += "where IA_Subsidiary.cVouType=N'34' And IA_Subsidiary.cInvCode is not null And ";
    // A department pair holds the rows of all its warehouses, whatever their valuation style.
    text += mode == PairMode::Department
                ? "Warehouse.cDepCode in (select cDepCode from Warehouse where cWhValueStyle=N'个别计价法') "
                : "Warehouse.cWhValueStyle=N'个别计价法' ";
    text += "group by " + code + ",IA_Subsidiary.cInvCode";
    return Statement::fixed(std::move(text));
}

Statement specificIdentificationCodes(PairMode mode) {
    return Statement::fixed(mode == PairMode::Department
                                ? "select distinct cDepCode from Warehouse where cWhValueStyle=N'个别计价法'"
                                : "select cWhCode from Warehouse where cWhValueStyle=N'个别计价法'");
}

Statement codeNames(PairMode mode) {
    return Statement::fixed(mode == PairMode::Department ? "select cDepCode,cDepName from Department"
                                                         : "select cWhCode,cWhName from Warehouse");
}

Statement itemNames() {
    return Statement::fixed("select cInvCode,cInvName from Inventory");
}

}  // namespace tarvenish::sql
