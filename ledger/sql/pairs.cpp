// The run's statements per pair: the pair summary, the stock totals and the regeneration's delete and insert.

#include "ledger/sql/statements.h"

#include "ledger/sql/pieces.h"

namespace tarvenish::sql {

namespace {

// The pair's code and item code closing a statement that ends in "...=".
Statement withPairFilter(StatementBuilder& text, std::string_view code, std::string_view invCode) {
    text.text(code);
    text += " and Rdrecords.cinvcode=";
    text.text(invCode);
    return text.build();
}

}  // namespace

Statement pairSummary(Dialect dialect, PairMode mode, int quantityDigits) {
    const bool byDepartment = mode == PairMode::Department;
    std::string text =
        byDepartment
            ? "SELECT IA_Subsidiary.cdepCode,department.cdepName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
              "Inventory.cInvStd, "
            : "SELECT IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
              "Inventory.cInvStd, ";
    text += detail::openingTotals(dialect, quantityDigits);
    // No blank between the desktop money column and the FROM that follows: the desktop text is sent so.
    if (dialect == Dialect::Server) text += ' ';
    if (byDepartment) {
        text +=
            "FROM ((IA_Subsidiary LEFT JOIN Inventory ON Inventory.cInvCode=IA_Subsidiary.cInvCode) Left "
            "Join ";
        text += detail::kSpecificDepartments;
        text += " On ";
        text +=
            "IA_Subsidiary.cdepCode=Warehouse.cdepCode) left join department on "
            "IA_Subsidiary.cdepcode=department.cdepcode where IA_Subsidiary.cVouType=N'34' And "
            "Warehouse.cWhValueStyle=N'个别计价法' ";
        text +=
            "group by IA_Subsidiary.cdepCode,department.cdepName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
            "Inventory.cInvStd ";
        text += "order by IA_Subsidiary.cdepCode,IA_Subsidiary.cInvCode";
    } else {
        text +=
            "FROM ((IA_Subsidiary LEFT JOIN Inventory ON Inventory.cInvCode=IA_Subsidiary.cInvCode) Left "
            "Join "
            "Warehouse On ";
        text +=
            "IA_Subsidiary.cWhCode=Warehouse.cWhCode) where IA_Subsidiary.cVouType=N'34' And "
            "Warehouse.cWhValueStyle=N'个别计价法' ";
        text +=
            "group by IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
            "Inventory.cInvStd ";
        text += "order by IA_Subsidiary.cWhCode,IA_Subsidiary.cInvCode";
    }
    return Statement::fixed(std::move(text));
}

namespace {

// The stock totals' two figures, "SELECT " to the blank before FROM, with `issued` as each line's issued
// quantity: the temporary column, or a read-only query's column of the same figure.
std::string stockFigures(Dialect dialect, PairMode mode, int quantityDigits, std::string_view issued) {
    const bool byDepartment = mode == PairMode::Department;
    const std::string in(issued);
    std::string text;
    if (dialect == Dialect::Server) {
        text = "SELECT ltrim(str(sum(isnull((RdRecords.iQuantity-" + in + "),0)),20,";
        text += detail::serverDigits(quantityDigits);
        text += ")),";
        text += byDepartment ? "ltrim(str(sum(isnull((isnull(RdRecords.iprice,0)-" + in +
                                   "*isnull(Rdrecords.iUnitCost,0)),0)),20,2)) "
                             : "ltrim(str(sum(isnull(isnull(RdRecords.iPrice,0)-" + in +
                                   "*isnull(Rdrecords.iUnitCost,0),0)),20,2)) ";
    } else {
        text = byDepartment ? "SELECT format(sum(RdRecords.iQuantity-" + in + "),'"
                            : "SELECT format(sum(Rdrecords.iQuantity-" + in + "),'";
        text += detail::desktopMask(quantityDigits);
        text += "'),";
        text += "Format(Sum(IIf(Rdrecords.iprice Is Null,0,Rdrecords.iprice)-iif(" + in + " is null,0," + in +
                ")*iif(Rdrecords.iUnitCost is null ,0,Rdrecords.iUnitCost)),'##0.00') ";
    }
    return text;
}

constexpr std::string_view kIssuedColumn = "Rdrecords.isOutQuantity_s";

}  // namespace

Statement stockTotals(Dialect dialect, PairMode mode, int quantityDigits, std::string_view code,
                      std::string_view invCode) {
    const bool byDepartment = mode == PairMode::Department;
    StatementBuilder text(StatementKind::StockTotals);
    text += stockFigures(dialect, mode, quantityDigits, kIssuedColumn);
    if (byDepartment) {
        text +=
            "FROM (RdRecord LEFT JOIN RdRecords ON RdRecord.ID=RdRecords.ID) left join Warehouse on "
            "Warehouse.cwhcode=RdRecord.cwhcode ";
        text += "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Warehouse.cdepCode=";
    } else {
        text += "FROM (RdRecord LEFT JOIN RdRecords ON RdRecord.ID=RdRecords.ID) ";
        text += "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=";
    }
    return withPairFilter(text, code, invCode);
}

Statement stockTotalsByPair(Dialect dialect, PairMode mode, int quantityDigits) {
    const bool byDepartment = mode == PairMode::Department;
    const bool server = dialect == Dialect::Server;
    const std::string code = byDepartment ? "Warehouse.cdepCode" : "Rdrecord.cWhCode";
    // What the pass stores in the temporary column: the line's isOutQuantity less what later lines issued
    // against it. The issues are summed once per line they point back to, then joined: one pass over the
    // ledger rather than one per line.
    const std::string issued =
        server ? "(RdRecords.isOutQuantity-isnull(Issued.IssuedQuantity,0))"
               : "(RdRecords.isOutQuantity-iif(Issued.IssuedQuantity is null,0,Issued.IssuedQuantity))";
    const std::string issues =
        // The server compares the number with the text as numbers, so the issues are keyed by number too.
        server ? "(select cast(R2.cVouchCode as float) as VouchLine,sum(case when R1.brdflag=0 then "
                 "R2.iQuantity "
                 "else abs(R2.iquantity) end) as IssuedQuantity from RdRecords R2 left join rdrecord R1 on "
                 "R2.id=R1.id where R2.cVouchCode is not null group by cast(R2.cVouchCode as float)) as "
                 "Issued on "
                 "RdRecords.autoid=Issued.VouchLine"
               : "(select R2.cVouchCode,Sum(IIf(R1.brdflag = 0, R2.iquantity, Abs(R2.iquantity))) "
                 "as IssuedQuantity from RdRecords R2 left join rdrecord R1 on R2.id=R1.id "
                 "where R2.cVouchCode is not null group by R2.cVouchCode) as Issued on "
                 "str(RdRecords.autoid)=Issued.cVouchCode";
    std::string text = stockFigures(dialect, mode, quantityDigits, issued);
    text.replace(0, 7, "SELECT " + code + ",RdRecords.cInvCode,");
    text += byDepartment
                ? "FROM (((RdRecord LEFT JOIN RdRecords ON RdRecord.ID=RdRecords.ID) left join Warehouse "
                  "on Warehouse.cwhcode=RdRecord.cwhcode) "
                : "FROM ((RdRecord LEFT JOIN RdRecords ON RdRecord.ID=RdRecords.ID) ";
    text += "left join " + issues + ") ";
    text += "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' ";
    text += "group by " + code + ",RdRecords.cInvCode";
    return Statement::fixed(std::move(text));
}

Statement regenerationDelete(Dialect dialect, PairMode mode, std::string_view code,
                             std::string_view invCode) {
    StatementBuilder text(StatementKind::RegenerationDelete);
    if (dialect == Dialect::Desktop) {
        text += mode == PairMode::Department
                    ? "delete * from IA_subsidiary where cVouType=N'34' And cdepcode="
                    : "delete * from IA_subsidiary where cVouType=N'34' And cWhCode=";
    } else {
        text += mode == PairMode::Department ? "delete from IA_subsidiary where cVouType=N'34' And cdepCode="
                                             : "delete from IA_subsidiary where cVouType=N'34' And cWhCode=";
    }
    text.text(code);
    text += " and cinvcode=";
    text.text(invCode);
    return text.build();
}

// The select names no target columns: its n-th expression fills the n-th column of IA_Subsidiary.
Statement regenerationInsert(Dialect dialect, PairMode mode, Date keepDate, std::string_view code,
                             std::string_view invCode) {
    const bool desktop = dialect == Dialect::Desktop;
    const bool byDepartment = mode == PairMode::Department;
    StatementBuilder text(StatementKind::RegenerationInsert);
    // about 1,700 characters, built once per pair: one allocation for the text and one for the shape
    text.reserve(2048);
    text += "insert into IA_subsidiary ";
    text +=
        "SELECT RdRecord.brdflag,RdRecord.cbustype,RdRecord.cbuscode,RdRecord.ccode as cvoucode, "
        "RdRecords.ID,null as valueid,null as justid,";
    text += "RdRecord.dDate as dvoudate,";
    text += detail::dateLiteral(dialect, keepDate);
    text += " as dkeepdate,0 as ";
    text +=
        "imonth,null as ipzid,null as ipzdate,null as cpztype,null as cpzdigest,null as cinvhead,null as "
        "cdifhead,null as copphead,N'34' as cvoutype,";
    text += "RdRecord.cptcode,RdRecord.cstcode,RdRecord.cwhcode,RdRecord.cdepcode as ";
    text +=
        "caccdep,RdRecords.cInvCode,RdRecord.cRdCode,RdRecord.cvenCode,RdRecord.ccusCode,RdRecord.cOrderCode,"
        "RdRecord.cARVCode,RdRecord.cbillcode,RdRecord.cdlcode,";
    text +=
        "RdRecords.cObjCode as cpspcode,RdRecord.cProBatch as cprocode,null as cdepcode,RdRecord.cPersonCode,"
        "RdRecord.chandler,";
    // Only the desktop warehouse form spells the quantity's first table RdRecords.
    text += desktop && !byDepartment ? "(RdRecords.iQuantity-Rdrecords.isOutQuantity_s) as iainquantity,"
                                     : "(Rdrecords.iQuantity-Rdrecords.isOutQuantity_s) as iainquantity,";
    text += "null as iaoutQuantity ,RdRecords.iUnitCost as iincost,null as ioutcost,";
    text += desktop
                ? "iif(Rdrecords.iPrice is null,0,Rdrecords.iPrice)-Rdrecords.isOutQuantity_s*"
                  "iif(Rdrecords.iUnitCost is null,0,Rdrecords.iUnitCost) as iainprice,"
                : "(isnull(Rdrecords.iprice,0)-Rdrecords.isOutQuantity_s*isnull(Rdrecords.iUnitCost,0)) as "
                  "iainprice,";
    text += "null as iaoutprice,RdRecords.cBatch as cbatchcode,";
    text +=
        "null as idebitdifcost,null as icreditdifcost,RdRecord.caccounter,RdRecord.cmaker,0 as bflag,1 as "
        "bMoneyFlag,0 as bsale,RdRecord.cMemo,";
    text += "RdRecord.cDefine1,RdRecord.cDefine2,RdRecord.cDefine3, ";
    text += "RdRecord.cDefine4,RdRecord.cDefine5,RdRecord.cDefine6,";
    text += "RdRecord.cDefine7,RdRecord.cDefine8,RdRecord.cDefine9,";
    text +=
        "RdRecord.cDefine10,RdRecords.cFree1,RdRecords.cFree2,N'0' as cpzid,RdRecords.cDefine22,"
        "RdRecords.cDefine23,RdRecords.cDefine24,";
    text +=
        "RdRecords.cDefine25,RdRecords.cDefine26,RdRecords.cDefine27 from (RdRecord LEFT JOIN RdRecords ON "
        "RdRecord.ID=RdRecords.ID) ";
    if (byDepartment) {
        text += "left join Warehouse on Warehouse.cwhcode=RdRecord.cwhcode ";
        text += "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Warehouse.cdepCode=";
    } else {
        text += "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=";
    }
    return withPairFilter(text, code, invCode);
}

}  // namespace tarvenish::sql
