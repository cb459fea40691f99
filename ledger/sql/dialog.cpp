// The adjustment dialog's statements: the receipt lines of one pair and the commit's delete.

#include "ledger/sql/statements.h"

#include "ledger/sql/pieces.h"

namespace tarvenish::sql {

namespace {

constexpr std::string_view kLinesHead =
    "SELECT RdRecord.brdflag,RdRecord.cbustype,RdRecord.cbuscode,RdRecord.ccode, RdRecords.ID,null,null,";
constexpr std::string_view kLinesCodes =
    "RdRecord.cARVCode,RdRecord.cbillcode,RdRecord.cdlcode,RdRecords.cObjCode,RdRecord.cProBatch,null,"
    "RdRecord.cPersonCode,RdRecord.chandler,";
constexpr std::string_view kLinesTail =
    "RdRecord.cmaker,0,1,0,RdRecord.cMemo,RdRecord.cDefine1,RdRecord.cDefine2,RdRecord.cDefine3,"
    "RdRecord.cDefine4,RdRecord.cDefine5,RdRecord.cDefine6,"
    "RdRecord.cDefine7,RdRecord.cDefine8,RdRecord.cDefine9,"
    "RdRecord.cDefine10,RdRecords.cFree1,RdRecords.cFree2,'0',RdRecords.cDefine22,RdRecords.cDefine23,"
    "RdRecords.cDefine24,"
    "RdRecords.cDefine25,RdRecords.cDefine26,RdRecords.cDefine27 from (RdRecord LEFT JOIN RdRecords ON "
    "RdRecord.ID=RdRecords.ID) ";
constexpr std::string_view kLinesByWarehouse =
    "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=";
constexpr std::string_view kLinesByDepartment =
    "left join Warehouse on Warehouse.cwhcode=RdRecord.cwhcode where RdRecord.caccounter is not null and "
    "RdRecord.cVouchType=N'34' And Warehouse.cdepCode=";

}  // namespace

// The desktop form carries the run's keep date in field 8 of every line, the server form each receipt's own.
Statement receiptLines(Dialect dialect, PairMode mode, Date keepDate, int quantityDigits, int priceDigits,
                       std::string_view code, std::string_view invCode) {
    const bool byDepartment = mode == PairMode::Department;
    StatementBuilder text(StatementKind::ReceiptLines);
    text += kLinesHead;
    if (dialect == Dialect::Desktop) {
        text += "RdRecord.dDate,";
        text += detail::dateLiteral(dialect, keepDate);
        text += ",0,null,null,null,null,null,null,null,N'34',RdRecord.cptcode,RdRecord.cstcode,";
        text +=
            "RdRecord.cwhcode,RdRecord.cDepCode,RdRecordS.cInvCode,RdRecord.cRdCode,RdRecord.cvenCode,"
            "RdRecord.ccusCode,RdRecord.cOrderCode,";
        text += kLinesCodes;
        text += "format((Rdrecords.iQuantity-Rdrecords.isOutQuantity_s),'";
        text += detail::desktopMask(quantityDigits);
        text += "'),";
        text += "null,format(Rdrecords.iUnitCost,'";
        text += detail::desktopMask(priceDigits);
        text += "'),";
        text += byDepartment ? "null, Format(" : "null,Format(";
        text +=
            "IIf(Rdrecords.iprice Is Null,0,Rdrecords.iprice)-iif(Rdrecords.isOutQuantity_s is null,0,"
            "Rdrecords.isOutQuantity_s)*iif(Rdrecords.iUnitCost is null ,0,Rdrecords.iUnitCost),'##0.00') ";
        text += ",null,RdRecords.cBatch,null,null,RdRecord.caccounter,";
    } else {
        text +=
            "RdRecord.dDate,RdRecord.dKeepDate,0,null,null,null,null,null,null,null,N'34',RdRecord.cptcode,"
            "RdRecord.cstcode,";
        text +=
            "RdRecord.cwhcode,RdRecord.cdepcode,RdRecords.cInvCode,RdRecord.cRdCode,RdRecord.cvenCode,"
            "RdRecord.ccusCode,RdRecord.cOrderCode,";
        text += kLinesCodes;
        text += "ltrim(str(isnull((Rdrecords.iQuantity-Rdrecords.isOutQuantity_s),0),20,";
        text += detail::serverDigits(quantityDigits);
        text += ")),null,ltrim(str(isnull(RdRecords.iUnitCost,0),20,";
        text += detail::serverDigits(priceDigits);
        text += ")),";
        text += byDepartment ? "null,ltrim(str(isnull(isnull(Rdrecords.iprice,0)-Rdrecords.isOutQuantity_s*"
                               "isnull(Rdrecords.iUnitCost,0),0),20,2)),null,RdRecords.cBatch,null,null,"
                               "RdRecord.caccounter,"
                             : "null,ltrim(str(isnull((isnull(Rdrecords.iprice,0)-Rdrecords.isOutQuantity_s*"
                               "isnull(Rdrecords.iUnitCost,0)),0),20,2)),null,RdRecords.cBatch,null,null,"
                               "RdRecord.caccounter,";
    }
    text += kLinesTail;
    text += byDepartment ? kLinesByDepartment : kLinesByWarehouse;
    text.text(code);
    text += " and Rdrecords.cinvcode=";
    text.text(invCode);
    return text.build();
}

Statement commitDelete(Dialect dialect, PairMode mode, std::string_view code, std::string_view invCode) {
    StatementBuilder text(StatementKind::CommitDelete);
    text += dialect == Dialect::Desktop ? "delete * from IA_subsidiary where cVouType=N'34' And "
                                        : "delete from IA_subsidiary where cVouType=N'34' And ";
    text += mode == PairMode::Department ? "cdepCode=" : "cWhCode=";
    text.text(code);
    text += " and cinvcode=";
    text.text(invCode);
    return text.build();
}

Statement departmentWarehouses(std::string_view department) {
    StatementBuilder text;
    text += "select cWhCode from Warehouse where cDepCode=";
    text.text(department);
    text += " and cWhValueStyle=N'个别计价法' order by cWhCode";
    return text.build();
}

}  // namespace tarvenish::sql
