// The issued-quantity pass: the temporary column of RdRecords and the select-into through FSumQuantity.

#include "ledger/sql/statements.h"

namespace tarvenish::sql {

std::array<Statement, 5> issuedQuantityPrepare(Dialect dialect, DesktopStr str) {
    if (dialect == Dialect::Server) {
        return {
            Statement::asText("ALTER TABLE Rdrecords add isOutQuantity_s float ",
                              StatementKind::IssuedColumnAdd),
            Statement::fixed("update  rdrecords set isOutQuantity_s=0", StatementKind::IssuedColumnZero),
            Statement::asText(
                std::string("select RdRecords.autoid, RdRecords.isOutQuantity-") +
                "isnull(sum(case when R1.brdflag=0 then R2.iQuantity else abs(R2.iquantity) end),0) " +
                "as IsumQuantity into FSumQuantity FROM RdRecords left join RdRecords R2 on " +
                "RdRecords.autoid=R2.cVouchCode " +
                "left join rdrecord R1 on R2.id=R1.id group by RdRecords.isOutQuantity,RdRecords.autoid"),
            Statement::fixed(std::string("update rdrecords set isOutQuantity_s=(select IsumQuantity from "
                                         "FSumQuantity ") +
                                 "where rdrecords.autoid=FSumQuantity.autoid)",
                             StatementKind::IssuedColumnFill),
            Statement::asText("drop table FSumQuantity"),
        };
    }
    // The desktop engine compares the number column with the text column only after str() has made it text;
    // a real one pads the text with a blank, so there the join compares it trimmed.
    const std::string lineIdText =
        str == DesktopStr::Padded ? "trim(str(RdRecords.autoid))" : "str(RdRecords.autoid)";
    return {
        Statement::asText("ALTER TABLE Rdrecords add isOutQuantity_s float NULL",
                          StatementKind::IssuedColumnAdd),
        Statement::fixed("update  rdrecords set isOutQuantity_s=0", StatementKind::IssuedColumnZero),
        Statement::asText(
            std::string("select RdRecords.autoid, RdRecords.isOutQuantity-") +
            "iif((Sum(IIf(R1.brdflag = 0, R2.iquantity, Abs(R2.iquantity))))  " +
            "is null,0,Sum(IIf(R1.brdflag = 0, R2.iquantity, Abs(R2.iquantity)))) " +
            "as IsumQuantity into FSumQuantity FROM ((RdRecords left join RdRecords R2 " + "on " +
            lineIdText + "=R2.cVouchCode) " +
            "left join rdrecord R1 on R2.id=R1.id) group by RdRecords.isOutQuantity,RdRecords.autoid"),
        Statement::fixed(
            std::string(
                "UPDATE RdRecords INNER JOIN FSumQuantity ON RdRecords.AutoID = FSumQuantity.autoid ") +
                "SET rdrecords.isOutQuantity_s = FSumQuantity.IsumQuantity",
            StatementKind::IssuedColumnFill),
        Statement::asText("drop table FSumQuantity"),
    };
}

Statement issuedQuantityRemove() {
    return Statement::asText("ALTER TABLE rdrecords drop column isOutQuantity_s",
                             StatementKind::IssuedColumnDrop);
}

// Neither the desktop engine nor every server version knows "drop table if exists", so this is the plain
// drop: the run sends it only after sumTableProbe() has opened, that is when a left-over table is really
// there.
Statement dropLeftoverSumTable() {
    return Statement::asText("drop table FSumQuantity");
}

Statement sumTableProbe() {
    return Statement::asText("select * from FSumQuantity where 1=0");
}

}  // namespace tarvenish::sql
