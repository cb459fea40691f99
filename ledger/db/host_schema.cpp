// The demo and test account sets' tables. IA_Subsidiary has exactly the 69 opening-row columns in their order
// and nothing else, because the regeneration inserts by position.

#include "ledger/db/host_schema.h"

#include <string_view>
#include <vector>

#include "ledger/db/connection.h"
#include "ledger/sql/host_tables.h"

namespace tarvenish {

namespace {

std::string openingRowTable() {
    std::string text = "create table IA_Subsidiary (";
    for (std::size_t i = 0; i < host::kOpeningRowColumns.size(); ++i) {
        if (i > 0) text += ", ";
        text += host::kOpeningRowColumns[i].name;
        text += ' ';
        text += host::kOpeningRowColumns[i].sqlType;
        text += " null";
    }
    return text + ")";
}

std::vector<std::string> buildSchema() {
    return {
        openingRowTable(),
        "create table RdRecord (ID int not null primary key, brdflag tinyint null, cVouchType varchar(2) "
        "null, "
        "cBusType varchar(12) null, cBusCode varchar(30) null, cCode varchar(30) null, dDate datetime null, "
        "dKeepDate datetime null, cPTCode varchar(2) null, cSTCode varchar(2) null, cWhCode varchar(10) "
        "null, "
        "cDepCode varchar(12) null, cRdCode varchar(5) null, cVenCode varchar(20) null, cCusCode varchar(20) "
        "null, "
        "cOrderCode varchar(30) null, cARVCode varchar(30) null, cBillCode varchar(30) null, "
        "cDLCode varchar(30) null, cProBatch varchar(20) null, cPersonCode varchar(20) null, "
        "cHandler varchar(20) null, cAccounter varchar(20) null, cMaker varchar(20) null, cMemo varchar(60) "
        "null, "
        "cDefine1 varchar(20) null, cDefine2 varchar(20) null, cDefine3 varchar(20) null, "
        "cDefine4 varchar(20) null, cDefine5 varchar(20) null, cDefine6 datetime null, cDefine7 float null, "
        "cDefine8 varchar(4) null, cDefine9 varchar(8) null, cDefine10 varchar(60) null)",
        "create table RdRecords (AutoID integer primary key, ID int not null, cInvCode varchar(20) not null, "
        "iQuantity float null, iUnitCost float null, iPrice money null, cBatch varchar(20) null, "
        "cObjCode varchar(20) null, cFree1 varchar(20) null, cFree2 varchar(20) null, "
        "cDefine22 varchar(60) null, cDefine23 varchar(60) null, cDefine24 varchar(60) null, "
        "cDefine25 varchar(60) null, cDefine26 float null, cDefine27 float null, isOutQuantity float null, "
        "cVouchCode varchar(30) null)",
        "create table Warehouse (cWhCode varchar(10) not null primary key, cWhName varchar(20) not null, "
        "cDepCode varchar(12) null, cWhValueStyle varchar(10) null)",
        "create table Inventory (cInvCode varchar(20) not null primary key, cInvName varchar(60) not null, "
        "cInvStd varchar(60) null)",
        "create table department (cDepCode varchar(12) not null primary key, cDepName varchar(30) not null)",
        "create table AccInformation (cSysID varchar(2) not null, cID varchar(10) null, cName varchar(50) "
        "not null, "
        "cCaption varchar(100) null, cType varchar(20) null, cValue varchar(100) null, cDefault varchar(100) "
        "null)",
        "create table SaleBillVouch (SBVID int not null primary key, cSBVCode varchar(30) null, "
        "cSTCode varchar(2) null, cVerifier varchar(20) null, cInvalider varchar(20) null, IDISP int null, "
        "bFirstBill bit null)",
        "create table SaleBillVouchs (AutoID integer primary key, SBVID int not null, cWhCode varchar(10) "
        "null, "
        "cInvCode varchar(20) null, iQuantity float null, RdsID int null)",
        "create table DispatchList (DLID int not null primary key, cDLCode varchar(30) null, "
        "cSTCode varchar(2) null, ISALE tinyint null)",
        "create table DispatchLists (AutoID integer primary key, DLID int not null, cWhCode varchar(10) "
        "null, "
        "cInvCode varchar(20) null, iQuantity float null, iOutQuantity float null, RdsID int null)",
        "create table EnDispatch (EDID int not null primary key, cEDCode varchar(30) null, "
        "cSTCode varchar(2) null)",
        "create table EnDispatchs (AutoID integer primary key, EDID int not null, cWhCode varchar(10) null, "
        "cInvCode varchar(20) null, iQuantity float null, iRetQuantity float null, iSettleQuantity float "
        "null, "
        "bSettleAll bit null)",
        "create index IA_Subsidiary_WhInv on IA_Subsidiary (cvoutype, cWhcode, cinvcode)",
        "create index IA_Subsidiary_DepInv on IA_Subsidiary (cvoutype, cdepcode, cinvcode)",
        "create index RdRecord_TypeWh on RdRecord (cVouchType, cWhCode)",
        "create index RdRecords_ID on RdRecords (ID)",
        "create index RdRecords_InvCode on RdRecords (cInvCode)",
        "create index RdRecords_VouchCode on RdRecords (cVouchCode)",
        "create unique index AccInformation_Name on AccInformation (cSysID, cName)",
        "create index SaleBillVouchs_SBVID on SaleBillVouchs (SBVID)",
        "create index DispatchLists_DLID on DispatchLists (DLID)",
        "create index EnDispatchs_EDID on EnDispatchs (EDID)",
    };
}

}  // namespace

std::span<const std::string> hostSchemaStatements() {
    static const std::vector<std::string> statements = buildSchema();
    return statements;
}

void createHostSchema(Connection& connection) {
    for (const std::string& statement : hostSchemaStatements()) connection.execute(statement);
}

}  // namespace tarvenish
