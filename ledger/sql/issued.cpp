// The issued-quantity pass: the temporary column of RdRecords and the select-into through FSumQuantity.

#include "ledger/sql/statements.h"

namespace tarvenish::sql {

std::array<std::string, 5> issuedQuantityPrepare(Dialect dialect) {
    if (dialect == Dialect::Server) {
        return {
            "ALTER TABLE Rdrecords add isOutQuantity_s float ",
            "update  rdrecords set isOutQuantity_s=0",
            std::string("select RdRecords.autoid, RdRecords.isOutQuantity-") +
                "isnull(sum(case when R1.brdflag=0 then R2.iQuantity else abs(R2.iquantity) end),0) " +
                "as IsumQuantity into FSumQuantity FROM RdRecords left join RdRecords R2 on " +
                "RdRecords.autoid=R2.cVouchCode " +
                "left join rdrecord R1 on R2.id=R1.id group by RdRecords.isOutQuantity,RdRecords.autoid",
            std::string("update rdrecords set isOutQuantity_s=(select IsumQuantity from FSumQuantity ") +
                "where rdrecords.autoid=FSumQuantity.autoid)",
            "drop table FSumQuantity",
        };
    }
    // The desktop engine compares the number column with the text column only after str() has made it text.
    return {
        "ALTER TABLE Rdrecords add isOutQuantity_s float NULL",
        "update  rdrecords set isOutQuantity_s=0",
        std::string("select RdRecords.autoid, RdRecords.isOutQuantity-") +
            "iif((Sum(IIf(R1.brdflag = 0, R2.iquantity, Abs(R2.iquantity))))  " +
            "is null,0,Sum(IIf(R1.brdflag = 0, R2.iquantity, Abs(R2.iquantity)))) " +
            "as IsumQuantity into FSumQuantity FROM ((RdRecords left join RdRecords R2 " +
            "on str(RdRecords.autoid)=R2.cVouchCode) " +
            "left join rdrecord R1 on R2.id=R1.id) group by RdRecords.isOutQuantity,RdRecords.autoid",
        std::string("UPDATE RdRecords INNER JOIN FSumQuantity ON RdRecords.AutoID = FSumQuantity.autoid ") +
            "SET rdrecords.isOutQuantity_s = FSumQuantity.IsumQuantity",
        "drop table FSumQuantity",
    };
}

std::string issuedQuantityRemove() {
    return "ALTER TABLE rdrecords drop column isOutQuantity_s";
}

// Neither the desktop engine nor every server version knows "drop table if exists", so this is the plain
// drop: the run sends it only after sumTableProbe() has opened, that is when a left-over table is really
// there.
std::string dropLeftoverSumTable() {
    return "drop table FSumQuantity";
}

std::string sumTableProbe() {
    return "select * from FSumQuantity where 1=0";
}

}  // namespace tarvenish::sql
