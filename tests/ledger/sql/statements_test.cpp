// The exact statement texts of every form: the text itself is what the host's database receives.

#include "ledger/sql/statements.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace tarvenish {
namespace {

using sql::quoteCode;

std::string cat(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) text += piece;
    return text;
}

constexpr std::string_view kWhere =
    " where IA_Subsidiary.cVouType=N'34' And Warehouse.cWhValueStyle=N'个别计价法'";
constexpr std::string_view kSpecificDepartments =
    "(select distinct cDepCode,cWhValueStyle from Warehouse where cWhValueStyle=N'个别计价法') as Warehouse";

TEST(QuoteCode, DoublesEveryApostropheAndKeepsTheRest) {
    EXPECT_EQ(quoteCode("01"), "01");
    EXPECT_EQ(quoteCode("O'Neil's"), "O''Neil''s");
    EXPECT_EQ(quoteCode("'"), "''");
    EXPECT_EQ(quoteCode("仓库'一"), "仓库''一");
    EXPECT_EQ(quoteCode(""), "");
}

TEST(SettingStatements, ReadOneSettingBySystemAndName) {
    EXPECT_EQ(sql::accSetting("IA", "dIAStartDate").text(),
              "Select * FROM AccInformation where cSysID=N'IA' and cName=N'dIAStartDate'");
    EXPECT_EQ(sql::accSetting("IA", "cValueStyle").text(),
              "Select * FROM AccInformation where cSysID=N'IA' and cName=N'cValueStyle'");
    EXPECT_EQ(sql::accSetting("AA", "iStrsQuanDecDgt").text(),
              cat({"Select * FROM AccInformation where cSysID=N'", "AA", "' and cName=N'", "iStrsQuanDecDgt",
                   "'"}));
}

TEST(SettingStatements, ReadTheFirstOpeningRowOfASpecificIdentificationWarehouse) {
    EXPECT_EQ(sql::settingsOpeningRow(PairMode::Warehouse).text(),
              cat({"Select caccounter ,cmaker FROM (IA_Subsidiary LEFT JOIN  Warehouse On "
                   "IA_Subsidiary.cWhCode=Warehouse.cWhCode)"
                   " where IA_Subsidiary.cVouType=N'34' And Warehouse.cWhValueStyle=N'个别计价法'"}));
}

TEST(SettingStatements, CountEachOpeningRowOnceByDepartment) {
    EXPECT_EQ(sql::settingsOpeningRow(PairMode::Department).text(),
              cat({"Select caccounter ,cmaker,IA_Subsidiary.cwhcode FROM (IA_Subsidiary LEFT JOIN  ",
                   kSpecificDepartments, " On IA_Subsidiary.cdepCode=Warehouse.cdepCode)", kWhere}));
}

TEST(SettingStatements, ReadTheKeepDateOfAnyOpeningRow) {
    EXPECT_EQ(sql::keepDate().text(), "select dkeepdate from ia_subsidiary where cvoutype=N'34'");
}

TEST(DepartmentFill, HasAServerAndADesktopForm) {
    EXPECT_EQ(sql::departmentFill(Dialect::Server).text(),
              "update ia_subsidiary set cdepcode=Warehouse.cdepcode from Warehouse where "
              "Warehouse.cwhcode=ia_subsidiary.cwhcode");
    EXPECT_EQ(sql::departmentFill(Dialect::Desktop).text(),
              "UPDATE Warehouse INNER JOIN IA_Subsidiary ON Warehouse.cWhCode = IA_Subsidiary.cWhCode SET "
              "IA_Subsidiary.cDepCode = [warehouse].[cDepcode];");
}

TEST(OpeningRowCheck, JoinsWarehousesByCodeInWarehouseMode) {
    EXPECT_EQ(
        sql::openingRowCheck(PairMode::Warehouse).text(),
        cat({"Select * FROM (IA_Subsidiary LEFT JOIN  Warehouse On IA_Subsidiary.cWhCode=Warehouse.cWhCode)"
             " where IA_Subsidiary.cVouType=N'34' And Warehouse.cWhValueStyle=N'个别计价法'"}));
}

TEST(OpeningRowCheck, JoinsOneRowPerSpecificIdentificationDepartment) {
    EXPECT_EQ(sql::openingRowCheck(PairMode::Department).text(),
              cat({"Select * FROM (IA_Subsidiary LEFT JOIN  ", kSpecificDepartments,
                   " On IA_Subsidiary.cdepCode=Warehouse.cdepCode)", kWhere}));
}

TEST(OutstandingDocuments, ServerFormsTestIssueAndSettlementColumns) {
    const auto queries = sql::outstandingDocuments(Dialect::Server);
    EXPECT_EQ(queries[0].text(),
              cat({"select * from SaleBillVouch LEFT JOIN SaleBillVouchs ON "
                   "SaleBillVouch.SBVID=SaleBillVouchs.SBVID WHERE "
                   "(salebillvouchs.cwhcode is not null)  and SaleBillVouch.cInvalider is null "
                   "And salebillvouch.cSTCode is not null and ISNULL(SALEBILLVOUCH.IDISP,0)=0 "
                   "and ISNULL(SALEBILLVOUCHs.RdsID,0)=0"}));
    EXPECT_EQ(queries[1].text(),
              cat({"select * from DispatchList LEFT JOIN DispatchLists ON "
                   "DispatchList.DLID=DispatchLists.DLID WHERE "
                   "(DispatchLists.cwhcode is not null)  And DispatchList.cSTCode is not null "
                   "and ISNULL(DispatchList.ISALE,0)=0 and ISNULL(DispatchLists.RdsID,0)=0"}));
    EXPECT_EQ(queries[2].text(),
              cat({"select * from EnDispatch LEFT JOIN EnDispatchs ON EnDispatch.EDID=EnDispatchs.EDID WHERE "
                   "(EnDispatchs.cwhcode is not null)  And EnDispatch.cSTCode is not null "
                   "and (EnDispatchs.iquantity-EnDispatchs.iretquantity-EnDispatchs.isettlequantity)>0"}));
}

TEST(OutstandingDocuments, DesktopFormsTestTheirOwnFlags) {
    const auto queries = sql::outstandingDocuments(Dialect::Desktop);
    EXPECT_EQ(queries[0].text(),
              cat({"select * from SaleBillVouch LEFT JOIN SaleBillVouchs ON "
                   "SaleBillVouch.SBVID=SaleBillVouchs.SBVID WHERE "
                   "(salebillvouchs.cwhcode is not null)  and SaleBillVouch.cInvalider is null "
                   "And salebillvouch.cSTCode is not null and SALEBILLVOUCH.bFirstBill and "
                   "SALEBILLVOUCH.cVerifier is  null "}));
    EXPECT_EQ(queries[1].text(),
              cat({"select * from DispatchList LEFT JOIN DispatchLists ON "
                   "DispatchList.DLID=DispatchLists.DLID WHERE "
                   "(DispatchLists.cwhcode is not null)  And DispatchList.cSTCode is not null "
                   "and iquantity<>iOutQuantity"}));
    EXPECT_EQ(queries[2].text(),
              cat({"select * from EnDispatch LEFT JOIN EnDispatchs ON EnDispatch.EDID=EnDispatchs.EDID WHERE "
                   "(EnDispatchs.cwhcode is not null)  And EnDispatch.cSTCode is not null "
                   "and EnDispatchs.bSettleAll"}));
}

TEST(IssuedQuantityPass, ServerFormRunsFiveStatementsInOrder) {
    const auto statements = sql::issuedQuantityPrepare(Dialect::Server);
    EXPECT_EQ(statements[0].text(), "ALTER TABLE Rdrecords add isOutQuantity_s float ");
    EXPECT_EQ(statements[1].text(), "update  rdrecords set isOutQuantity_s=0");
    EXPECT_EQ(
        statements[2].text(),
        cat({"select RdRecords.autoid, RdRecords.isOutQuantity-"
             "isnull(sum(case when R1.brdflag=0 then R2.iQuantity else abs(R2.iquantity) end),0) "
             "as IsumQuantity into FSumQuantity FROM RdRecords left join RdRecords R2 on "
             "RdRecords.autoid=R2.cVouchCode "
             "left join rdrecord R1 on R2.id=R1.id group by RdRecords.isOutQuantity,RdRecords.autoid"}));
    EXPECT_EQ(statements[3].text(),
              cat({"update rdrecords set isOutQuantity_s=(select IsumQuantity from FSumQuantity "
                   "where rdrecords.autoid=FSumQuantity.autoid)"}));
    EXPECT_EQ(statements[4].text(), "drop table FSumQuantity");
}

TEST(IssuedQuantityPass, DesktopFormRunsFiveStatementsInOrder) {
    const auto statements = sql::issuedQuantityPrepare(Dialect::Desktop);
    EXPECT_EQ(statements[0].text(), "ALTER TABLE Rdrecords add isOutQuantity_s float NULL");
    EXPECT_EQ(statements[1].text(), "update  rdrecords set isOutQuantity_s=0");
    EXPECT_EQ(
        statements[2].text(),
        cat({"select RdRecords.autoid, RdRecords.isOutQuantity-"
             "iif((Sum(IIf(R1.brdflag = 0, R2.iquantity, Abs(R2.iquantity))))  "
             "is null,0,Sum(IIf(R1.brdflag = 0, R2.iquantity, Abs(R2.iquantity)))) "
             "as IsumQuantity into FSumQuantity FROM ((RdRecords left join RdRecords R2 "
             "on str(RdRecords.autoid)=R2.cVouchCode) "
             "left join rdrecord R1 on R2.id=R1.id) group by RdRecords.isOutQuantity,RdRecords.autoid"}));
    EXPECT_EQ(statements[3].text(),
              cat({"UPDATE RdRecords INNER JOIN FSumQuantity ON RdRecords.AutoID = FSumQuantity.autoid "
                   "SET rdrecords.isOutQuantity_s = FSumQuantity.IsumQuantity"}));
    EXPECT_EQ(statements[4].text(), "drop table FSumQuantity");
}

TEST(IssuedQuantityPass, RemovesTheColumnAndALeftOverTableWithPlainDrops) {
    EXPECT_EQ(sql::issuedQuantityRemove().text(), "ALTER TABLE rdrecords drop column isOutQuantity_s");
    EXPECT_EQ(sql::dropLeftoverSumTable().text(), "drop table FSumQuantity");
    EXPECT_EQ(sql::sumTableProbe().text(), "select * from FSumQuantity where 1=0");
}

TEST(PairSummary, ServerWarehouseFormSplicesTheQuantityDigits) {
    EXPECT_EQ(sql::pairSummary(Dialect::Server, PairMode::Warehouse, 3).text(),
              cat({"SELECT "
                   "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd, ",
                   "ltrim(str(sum(isnull(IA_Subsidiary.iAInQuantity,0)),20,", "3",
                   ")),ltrim(str(sum(isnull(IA_Subsidiary.iAInPrice,0)),20,2)) ",
                   "FROM ((IA_Subsidiary LEFT JOIN Inventory ON Inventory.cInvCode=IA_Subsidiary.cInvCode) "
                   "Left Join Warehouse On ",
                   "IA_Subsidiary.cWhCode=Warehouse.cWhCode) where IA_Subsidiary.cVouType=N'34' And "
                   "Warehouse.cWhValueStyle=N'个别计价法' ",
                   "group by "
                   "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd ",
                   "order by IA_Subsidiary.cWhCode,IA_Subsidiary.cInvCode"}));
    EXPECT_EQ(sql::pairSummary(Dialect::Server, PairMode::Warehouse, 0).text(),
              cat({"SELECT "
                   "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd, ",
                   "ltrim(str(sum(isnull(IA_Subsidiary.iAInQuantity,0)),20,", "0",
                   ")),ltrim(str(sum(isnull(IA_Subsidiary.iAInPrice,0)),20,2)) ",
                   "FROM ((IA_Subsidiary LEFT JOIN Inventory ON Inventory.cInvCode=IA_Subsidiary.cInvCode) "
                   "Left Join Warehouse On ",
                   "IA_Subsidiary.cWhCode=Warehouse.cWhCode) where IA_Subsidiary.cVouType=N'34' And "
                   "Warehouse.cWhValueStyle=N'个别计价法' ",
                   "group by "
                   "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd ",
                   "order by IA_Subsidiary.cWhCode,IA_Subsidiary.cInvCode"}));
}

TEST(PairSummary, DesktopWarehouseFormBuildsTheMaskWithoutAPointForNoDigits) {
    EXPECT_EQ(sql::pairSummary(Dialect::Desktop, PairMode::Warehouse, 3).text(),
              cat({"SELECT "
                   "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd, ",
                   "format(sum(IA_Subsidiary.iAInQuantity),'", "##0.000", "'),",
                   "format(sum(IA_Subsidiary.iAInPrice),'##0.00')",
                   "FROM ((IA_Subsidiary LEFT JOIN Inventory ON Inventory.cInvCode=IA_Subsidiary.cInvCode) "
                   "Left Join Warehouse On ",
                   "IA_Subsidiary.cWhCode=Warehouse.cWhCode) where IA_Subsidiary.cVouType=N'34' And "
                   "Warehouse.cWhValueStyle=N'个别计价法' ",
                   "group by "
                   "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd ",
                   "order by IA_Subsidiary.cWhCode,IA_Subsidiary.cInvCode"}));
    EXPECT_EQ(sql::pairSummary(Dialect::Desktop, PairMode::Warehouse, 0).text(),
              cat({"SELECT "
                   "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd, ",
                   "format(sum(IA_Subsidiary.iAInQuantity),'", "##0", "'),",
                   "format(sum(IA_Subsidiary.iAInPrice),'##0.00')",
                   "FROM ((IA_Subsidiary LEFT JOIN Inventory ON Inventory.cInvCode=IA_Subsidiary.cInvCode) "
                   "Left Join Warehouse On ",
                   "IA_Subsidiary.cWhCode=Warehouse.cWhCode) where IA_Subsidiary.cVouType=N'34' And "
                   "Warehouse.cWhValueStyle=N'个别计价法' ",
                   "group by "
                   "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd ",
                   "order by IA_Subsidiary.cWhCode,IA_Subsidiary.cInvCode"}));
}

TEST(PairSummary, DepartmentFormsJoinOneRowPerSpecificIdentificationDepartment) {
    const std::string from = cat(
        {"FROM ((IA_Subsidiary LEFT JOIN Inventory ON Inventory.cInvCode=IA_Subsidiary.cInvCode) Left Join ",
         kSpecificDepartments, " On "});
    EXPECT_EQ(sql::pairSummary(Dialect::Server, PairMode::Department, 0).text(),
              cat({"SELECT "
                   "IA_Subsidiary.cdepCode,department.cdepName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd, ",
                   "ltrim(str(sum(isnull(IA_Subsidiary.iAInQuantity,0)),20,", "0",
                   ")),ltrim(str(sum(isnull(IA_Subsidiary.iAInPrice,0)),20,2)) ", from,
                   "IA_Subsidiary.cdepCode=Warehouse.cdepCode) left join department on "
                   "IA_Subsidiary.cdepcode=department.cdepcode where IA_Subsidiary.cVouType=N'34' And "
                   "Warehouse.cWhValueStyle=N'个别计价法' ",
                   "group by "
                   "IA_Subsidiary.cdepCode,department.cdepName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd ",
                   "order by IA_Subsidiary.cdepCode,IA_Subsidiary.cInvCode"}));
    EXPECT_EQ(sql::pairSummary(Dialect::Desktop, PairMode::Department, 3).text(),
              cat({"SELECT "
                   "IA_Subsidiary.cdepCode,department.cdepName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd, ",
                   "format(sum(IA_Subsidiary.iAInQuantity),'", "##0.000", "'),",
                   "format(sum(IA_Subsidiary.iAInPrice),'##0.00')", from,
                   "IA_Subsidiary.cdepCode=Warehouse.cdepCode) left join department on "
                   "IA_Subsidiary.cdepcode=department.cdepcode where IA_Subsidiary.cVouType=N'34' And "
                   "Warehouse.cWhValueStyle=N'个别计价法' ",
                   "group by "
                   "IA_Subsidiary.cdepCode,department.cdepName,IA_Subsidiary.cInvCode,Inventory.cInvName,"
                   "Inventory.cInvStd ",
                   "order by IA_Subsidiary.cdepCode,IA_Subsidiary.cInvCode"}));
}

TEST(StockTotals, ServerFormsFilterByWarehouseOrByTheWarehouseDepartment) {
    EXPECT_EQ(
        sql::stockTotals(Dialect::Server, PairMode::Warehouse, 3, "01", "A001").text(),
        cat({"SELECT ltrim(str(sum(isnull((RdRecords.iQuantity-Rdrecords.isOutQuantity_s),0)),20,", "3",
             ")),",
             "ltrim(str(sum(isnull(isnull(RdRecords.iPrice,0)-Rdrecords.isOutQuantity_s*isnull(Rdrecords."
             "iUnitCost,0),0)),20,2)) ",
             "FROM (RdRecord LEFT JOIN RdRecords ON RdRecord.ID=RdRecords.ID) ",
             "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=N'",
             "01", "' and Rdrecords.cinvcode=N'", "A001", "'"}));
    EXPECT_EQ(
        sql::stockTotals(Dialect::Server, PairMode::Department, 0, "D1", "A001").text(),
        cat({"SELECT ltrim(str(sum(isnull((RdRecords.iQuantity-Rdrecords.isOutQuantity_s),0)),20,", "0",
             ")),",
             "ltrim(str(sum(isnull((isnull(RdRecords.iprice,0)-Rdrecords.isOutQuantity_s*isnull(Rdrecords."
             "iUnitCost,0)),0)),20,2)) ",
             "FROM (RdRecord LEFT JOIN RdRecords ON RdRecord.ID=RdRecords.ID) left join Warehouse on "
             "Warehouse.cwhcode=RdRecord.cwhcode ",
             "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Warehouse.cdepCode=N'",
             "D1", "' and Rdrecords.cinvcode=N'", "A001", "'"}));
}

TEST(StockTotals, DesktopFormsFormatWithMasks) {
    EXPECT_EQ(
        sql::stockTotals(Dialect::Desktop, PairMode::Warehouse, 0, "01", "A001").text(),
        cat({"SELECT format(sum(Rdrecords.iQuantity-Rdrecords.isOutQuantity_s),'", "##0", "'),",
             "Format(Sum(IIf(Rdrecords.iprice Is Null,0,Rdrecords.iprice)-iif(Rdrecords.isOutQuantity_s is "
             "null,0,Rdrecords.isOutQuantity_s)*iif(Rdrecords.iUnitCost is null "
             ",0,Rdrecords.iUnitCost)),'##0.00') ",
             "FROM (RdRecord LEFT JOIN RdRecords ON RdRecord.ID=RdRecords.ID) ",
             "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=N'",
             "01", "' and Rdrecords.cinvcode=N'", "A001", "'"}));
    EXPECT_EQ(
        sql::stockTotals(Dialect::Desktop, PairMode::Department, 3, "D1", "A001").text(),
        cat({"SELECT format(sum(RdRecords.iQuantity-Rdrecords.isOutQuantity_s),'", "##0.000", "'),",
             "Format(Sum(IIf(Rdrecords.iprice Is Null,0,Rdrecords.iprice)-iif(Rdrecords.isOutQuantity_s is "
             "null,0,Rdrecords.isOutQuantity_s)*iif(Rdrecords.iUnitCost is null "
             ",0,Rdrecords.iUnitCost)),'##0.00') ",
             "FROM (RdRecord LEFT JOIN RdRecords ON RdRecord.ID=RdRecords.ID) left join Warehouse on "
             "Warehouse.cwhcode=RdRecord.cwhcode ",
             "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Warehouse.cdepCode=N'",
             "D1", "' and Rdrecords.cinvcode=N'", "A001", "'"}));
}

TEST(StockTotals, KeepsACodeWithAnApostropheOneLiteral) {
    EXPECT_EQ(
        sql::stockTotals(Dialect::Server, PairMode::Warehouse, 2, "0'1", "A'B").text(),
        cat({"SELECT ltrim(str(sum(isnull((RdRecords.iQuantity-Rdrecords.isOutQuantity_s),0)),20,", "2",
             ")),",
             "ltrim(str(sum(isnull(isnull(RdRecords.iPrice,0)-Rdrecords.isOutQuantity_s*isnull(Rdrecords."
             "iUnitCost,0),0)),20,2)) ",
             "FROM (RdRecord LEFT JOIN RdRecords ON RdRecord.ID=RdRecords.ID) ",
             "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=N'",
             "0''1", "' and Rdrecords.cinvcode=N'", "A''B", "'"}));
}

TEST(RegenerationDelete, HasFourForms) {
    EXPECT_EQ(sql::regenerationDelete(Dialect::Desktop, PairMode::Warehouse, "01", "A1").text(),
              cat({"delete * from IA_subsidiary where cVouType=N'34' And cWhCode=N'", "01",
                   "' and cinvcode=N'", "A1", "'"}));
    EXPECT_EQ(sql::regenerationDelete(Dialect::Desktop, PairMode::Department, "D1", "A1").text(),
              cat({"delete * from IA_subsidiary where cVouType=N'34' And cdepcode=N'", "D1",
                   "' and cinvcode=N'", "A1", "'"}));
    EXPECT_EQ(sql::regenerationDelete(Dialect::Server, PairMode::Warehouse, "01", "A1").text(),
              cat({"delete from IA_subsidiary where cVouType=N'34' And cWhCode=N'", "01", "' and cinvcode=N'",
                   "A1", "'"}));
    EXPECT_EQ(sql::regenerationDelete(Dialect::Server, PairMode::Department, "D'1", "A1").text(),
              cat({"delete from IA_subsidiary where cVouType=N'34' And cdepCode=N'", "D''1",
                   "' and cinvcode=N'", "A1", "'"}));
}

// The insert's twenty pieces; each form replaces some of them.
struct InsertPieces {
    std::string_view p2 = "RdRecord.dDate as dvoudate,N'";
    std::string date;
    std::string_view p4 = "' as dkeepdate,0 as ";
    std::string_view p8 =
        "RdRecords.cObjCode as cpspcode,RdRecord.cProBatch as cprocode,null as "
        "cdepcode,RdRecord.cPersonCode,RdRecord.chandler,(Rdrecords.iQuantity-Rdrecords.isOutQuantity_s) as "
        "iainquantity,";
    std::string_view p9 =
        "null as iaoutQuantity ,RdRecords.iUnitCost as iincost,null as "
        "ioutcost,(isnull(Rdrecords.iprice,0)-Rdrecords.isOutQuantity_s*isnull(Rdrecords.iUnitCost,0)) as "
        "iainprice,null as iaoutprice,RdRecords.cBatch as cbatchcode,";
    std::string_view p15 =
        "RdRecords.cDefine25,RdRecords.cDefine26,RdRecords.cDefine27 from (RdRecord LEFT JOIN RdRecords ON "
        "RdRecord.ID=RdRecords.ID) ";
    std::string_view p16 =
        "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=N'";
    std::string code;
    std::string inv;

    [[nodiscard]] std::string text() const {
        return cat({"insert into IA_subsidiary ",
                    "SELECT RdRecord.brdflag,RdRecord.cbustype,RdRecord.cbuscode,RdRecord.ccode as cvoucode, "
                    "RdRecords.ID,null as valueid,null as justid,",
                    p2,
                    date,
                    p4,
                    "imonth,null as ipzid,null as ipzdate,null as cpztype,null as cpzdigest,null as "
                    "cinvhead,null as cdifhead,null as copphead,N'34' as cvoutype,",
                    "RdRecord.cptcode,RdRecord.cstcode,RdRecord.cwhcode,RdRecord.cdepcode as ",
                    "caccdep,RdRecords.cInvCode,RdRecord.cRdCode,RdRecord.cvenCode,RdRecord.ccusCode,"
                    "RdRecord.cOrderCode,RdRecord.cARVCode,RdRecord.cbillcode,RdRecord.cdlcode,",
                    p8,
                    p9,
                    "null as idebitdifcost,null as icreditdifcost,RdRecord.caccounter,RdRecord.cmaker,0 as "
                    "bflag,1 as bMoneyFlag,0 as bsale,RdRecord.cMemo,",
                    "RdRecord.cDefine1,RdRecord.cDefine2,RdRecord.cDefine3, ",
                    "RdRecord.cDefine4,RdRecord.cDefine5,RdRecord.cDefine6,",
                    "RdRecord.cDefine7,RdRecord.cDefine8,RdRecord.cDefine9,",
                    "RdRecord.cDefine10,RdRecords.cFree1,RdRecords.cFree2,N'0' as "
                    "cpzid,RdRecords.cDefine22,RdRecords.cDefine23,RdRecords.cDefine24,",
                    p15,
                    p16,
                    code,
                    "' and Rdrecords.cinvcode=N'",
                    inv,
                    "'"});
    }
};

TEST(RegenerationInsert, ServerFormQuotesTheKeepDate) {
    InsertPieces expected;
    expected.date = "2024-01-01";
    expected.code = "01";
    expected.inv = "A1";
    EXPECT_EQ(sql::regenerationInsert(Dialect::Server, PairMode::Warehouse, makeDate(2024, 1, 1), "01", "A1")
                  .text(),
              expected.text());
    expected.p15 =
        "RdRecords.cDefine25,RdRecords.cDefine26,RdRecords.cDefine27 from (RdRecord LEFT JOIN RdRecords ON "
        "RdRecord.ID=RdRecords.ID) left join Warehouse on Warehouse.cwhcode=RdRecord.cwhcode ";
    expected.p16 =
        "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Warehouse.cdepCode=N'";
    expected.code = "D''1";
    EXPECT_EQ(
        sql::regenerationInsert(Dialect::Server, PairMode::Department, makeDate(2024, 1, 1), "D'1", "A1")
            .text(),
        expected.text());
}

TEST(RegenerationInsert, DesktopFormPutsTheKeepDateBetweenHashSigns) {
    InsertPieces expected;
    expected.p2 = "RdRecord.dDate as dvoudate,#";
    expected.p4 = "# as dkeepdate,0 as ";
    expected.p9 =
        "null as iaoutQuantity ,RdRecords.iUnitCost as iincost,null as ioutcost,iif(Rdrecords.iPrice is "
        "null,0,Rdrecords.iPrice)-Rdrecords.isOutQuantity_s*iif(Rdrecords.iUnitCost is "
        "null,0,Rdrecords.iUnitCost) as iainprice,null as iaoutprice,RdRecords.cBatch as cbatchcode,";
    expected.date = "2023-12-31 08:30:00";
    expected.code = "D1";
    expected.inv = "A1";
    expected.p15 =
        "RdRecords.cDefine25,RdRecords.cDefine26,RdRecords.cDefine27 from (RdRecord LEFT JOIN RdRecords ON "
        "RdRecord.ID=RdRecords.ID) left join Warehouse on Warehouse.cwhcode=RdRecord.cwhcode ";
    expected.p16 =
        "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Warehouse.cdepCode=N'";
    const Date keep = makeDate(2023, 12, 31, 8, 30);
    EXPECT_EQ(sql::regenerationInsert(Dialect::Desktop, PairMode::Department, keep, "D1", "A1").text(),
              expected.text());
    expected.p8 =
        "RdRecords.cObjCode as cpspcode,RdRecord.cProBatch as cprocode,null as "
        "cdepcode,RdRecord.cPersonCode,RdRecord.chandler,(RdRecords.iQuantity-Rdrecords.isOutQuantity_s) as "
        "iainquantity,";
    expected.p15 =
        "RdRecords.cDefine25,RdRecords.cDefine26,RdRecords.cDefine27 from (RdRecord LEFT JOIN RdRecords ON "
        "RdRecord.ID=RdRecords.ID) ";
    expected.p16 =
        "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=N'";
    expected.code = "01";
    EXPECT_EQ(sql::regenerationInsert(Dialect::Desktop, PairMode::Warehouse, keep, "01", "A1").text(),
              expected.text());
}

std::string desktopLines(std::string_view p13, std::string_view p20, std::string_view date,
                         std::string_view qMask, std::string_view pMask, std::string_view code,
                         std::string_view inv) {
    return cat(
        {"SELECT RdRecord.brdflag,RdRecord.cbustype,RdRecord.cbuscode,RdRecord.ccode, "
         "RdRecords.ID,null,null,",
         "RdRecord.dDate,#",
         date,
         "#,0,null,null,null,null,null,null,null,N'34',RdRecord.cptcode,RdRecord.cstcode,",
         "RdRecord.cwhcode,RdRecord.cDepCode,RdRecordS.cInvCode,RdRecord.cRdCode,RdRecord.cvenCode,RdRecord."
         "ccusCode,RdRecord.cOrderCode,",
         "RdRecord.cARVCode,RdRecord.cbillcode,RdRecord.cdlcode,RdRecords.cObjCode,RdRecord.cProBatch,null,"
         "RdRecord.cPersonCode,RdRecord.chandler,",
         "format((Rdrecords.iQuantity-Rdrecords.isOutQuantity_s),'",
         qMask,
         "'),",
         "null,format(Rdrecords.iUnitCost,'",
         pMask,
         "'),",
         p13,
         ",null,RdRecords.cBatch,null,null,RdRecord.caccounter,",
         "RdRecord.cmaker,0,1,0,RdRecord.cMemo,RdRecord.cDefine1,RdRecord.cDefine2,RdRecord.cDefine3,",
         "RdRecord.cDefine4,RdRecord.cDefine5,RdRecord.cDefine6,",
         "RdRecord.cDefine7,RdRecord.cDefine8,RdRecord.cDefine9,",
         "RdRecord.cDefine10,RdRecords.cFree1,RdRecords.cFree2,'0',RdRecords.cDefine22,RdRecords.cDefine23,"
         "RdRecords.cDefine24,",
         "RdRecords.cDefine25,RdRecords.cDefine26,RdRecords.cDefine27 from (RdRecord LEFT JOIN RdRecords ON "
         "RdRecord.ID=RdRecords.ID) ",
         p20,
         code,
         "' and Rdrecords.cinvcode=N'",
         inv,
         "'"});
}

std::string serverLines(std::string_view p10, std::string_view p12, std::string_view qDigits,
                        std::string_view pDigits, std::string_view code, std::string_view inv) {
    return cat(
        {"SELECT RdRecord.brdflag,RdRecord.cbustype,RdRecord.cbuscode,RdRecord.ccode, "
         "RdRecords.ID,null,null,",
         "RdRecord.dDate,RdRecord.dKeepDate,0,null,null,null,null,null,null,null,N'34',RdRecord.cptcode,"
         "RdRecord.cstcode,",
         "RdRecord.cwhcode,RdRecord.cdepcode,RdRecords.cInvCode,RdRecord.cRdCode,RdRecord.cvenCode,RdRecord."
         "ccusCode,RdRecord.cOrderCode,",
         "RdRecord.cARVCode,RdRecord.cbillcode,RdRecord.cdlcode,RdRecords.cObjCode,RdRecord.cProBatch,null,"
         "RdRecord.cPersonCode,RdRecord.chandler,",
         "ltrim(str(isnull((Rdrecords.iQuantity-Rdrecords.isOutQuantity_s),0),20,",
         qDigits,
         ")),null,ltrim(str(isnull(RdRecords.iUnitCost,0),20,",
         pDigits,
         ")),",
         p10,
         "RdRecord.cmaker,0,1,0,RdRecord.cMemo,RdRecord.cDefine1,RdRecord.cDefine2,RdRecord.cDefine3,",
         "RdRecord.cDefine4,RdRecord.cDefine5,RdRecord.cDefine6,",
         "RdRecord.cDefine7,RdRecord.cDefine8,RdRecord.cDefine9,",
         "RdRecord.cDefine10,RdRecords.cFree1,RdRecords.cFree2,'0',RdRecords.cDefine22,RdRecords.cDefine23,"
         "RdRecords.cDefine24,",
         "RdRecords.cDefine25,RdRecords.cDefine26,RdRecords.cDefine27 from (RdRecord LEFT JOIN RdRecords ON "
         "RdRecord.ID=RdRecords.ID) ",
         p12,
         code,
         "' and Rdrecords.cinvcode=N'",
         inv,
         "'"});
}

TEST(ReceiptLines, DesktopFormsCarryTheRunKeepDateAndMasks) {
    const Date keep = makeDate(2024, 1, 1);
    EXPECT_EQ(
        sql::receiptLines(Dialect::Desktop, PairMode::Warehouse, keep, 3, 2, "01", "A1").text(),
        desktopLines(
            "null,Format(IIf(Rdrecords.iprice Is Null,0,Rdrecords.iprice)-iif(Rdrecords.isOutQuantity_s is "
            "null,0,Rdrecords.isOutQuantity_s)*iif(Rdrecords.iUnitCost is null "
            ",0,Rdrecords.iUnitCost),'##0.00') ",
            "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=N'",
            "2024-01-01", "##0.000", "##0.00", "01", "A1"));
    EXPECT_EQ(
        sql::receiptLines(Dialect::Desktop, PairMode::Department, keep, 0, 4, "D'1", "A1").text(),
        desktopLines(
            "null, Format(IIf(Rdrecords.iprice Is Null,0,Rdrecords.iprice)-iif(Rdrecords.isOutQuantity_s is "
            "null,0,Rdrecords.isOutQuantity_s)*iif(Rdrecords.iUnitCost is null "
            ",0,Rdrecords.iUnitCost),'##0.00') ",
            "left join Warehouse on Warehouse.cwhcode=RdRecord.cwhcode where RdRecord.caccounter is not null "
            "and RdRecord.cVouchType=N'34' And Warehouse.cdepCode=N'",
            "2024-01-01", "##0", "##0.0000", "D''1", "A1"));
}

TEST(ReceiptLines, ServerFormsSpliceTheDigitCounts) {
    const Date keep = makeDate(2024, 1, 1);
    EXPECT_EQ(
        sql::receiptLines(Dialect::Server, PairMode::Warehouse, keep, 3, 2, "01", "A1").text(),
        serverLines(
            "null,ltrim(str(isnull((isnull(Rdrecords.iprice,0)-Rdrecords.isOutQuantity_s*isnull(Rdrecords."
            "iUnitCost,0)),0),20,2)),null,RdRecords.cBatch,null,null,RdRecord.caccounter,",
            "where RdRecord.caccounter is not null and RdRecord.cVouchType=N'34' And Rdrecord.cWhCode=N'",
            "3", "2", "01", "A1"));
    EXPECT_EQ(
        sql::receiptLines(Dialect::Server, PairMode::Department, keep, 0, 0, "D1", "A'1").text(),
        serverLines("null,ltrim(str(isnull(isnull(Rdrecords.iprice,0)-Rdrecords.isOutQuantity_s*isnull("
                    "Rdrecords.iUnitCost,0),0),20,2)),null,RdRecords.cBatch,null,null,RdRecord.caccounter,",
                    "left join Warehouse on Warehouse.cwhcode=RdRecord.cwhcode where RdRecord.caccounter is "
                    "not null and RdRecord.cVouchType=N'34' And Warehouse.cdepCode=N'",
                    "0", "0", "D1", "A''1"));
}

TEST(CommitDelete, HasFourForms) {
    EXPECT_EQ(sql::commitDelete(Dialect::Desktop, PairMode::Warehouse, "01", "A1").text(),
              cat({"delete * from IA_subsidiary where cVouType=N'34' And cWhCode=N'", "01",
                   "' and cinvcode=N'", "A1", "'"}));
    EXPECT_EQ(sql::commitDelete(Dialect::Server, PairMode::Warehouse, "01", "A1").text(),
              cat({"delete from IA_subsidiary where cVouType=N'34' And cWhCode=N'", "01", "' and cinvcode=N'",
                   "A1", "'"}));
    EXPECT_EQ(sql::commitDelete(Dialect::Desktop, PairMode::Department, "D1", "A1").text(),
              cat({"delete * from IA_subsidiary where cVouType=N'34' And cdepCode=N'", "D1",
                   "' and cinvcode=N'", "A1", "'"}));
    EXPECT_EQ(sql::commitDelete(Dialect::Server, PairMode::Department, "D1", "A'1").text(),
              cat({"delete from IA_subsidiary where cVouType=N'34' And cdepCode=N'", "D1",
                   "' and cinvcode=N'", "A''1", "'"}));
}

TEST(DepartmentWarehouses, ListsTheDepartmentsSpecificIdentificationWarehousesInCodeOrder) {
    EXPECT_EQ(sql::departmentWarehouses("D'1").text(),
              "select cWhCode from Warehouse where cDepCode=N'D''1' and cWhValueStyle=N'个别计价法' order by "
              "cWhCode");
}

}  // namespace
}  // namespace tarvenish
