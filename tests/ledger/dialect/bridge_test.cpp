#include "ledger/dialect/bridge.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/dialect_memory_db.h"

namespace tarvenish {
namespace {

using test::DialectMemoryDb;
using test::Row;

// Warehouses, their ledger rows and the stock ledger of a small account set.
void seedLedger(DialectMemoryDb& db) {
    db.native("create table Warehouse(cWhCode text, cWhName text, cDepCode text, cWhValueStyle text)");
    db.native("create table department(cDepCode text, cDepName text)");
    db.native("create table Inventory(cInvCode text, cInvName text, cInvStd text)");
    db.native(
        "create table IA_Subsidiary(cWhCode text, cDepCode text, cInvCode text, cVouType text, "
        "iAInQuantity float, iAInPrice float)");
    db.native(
        "create table rdrecord(ID integer, brdflag integer, cWhCode text, cVouchType text, caccounter text)");
    db.native(
        "create table RdRecords(AutoID integer, ID integer, cInvCode text, iQuantity float, "
        "isOutQuantity float, iPrice float, iUnitCost float, cVouchCode text)");
    db.native("insert into Warehouse values ('W1','Main','D1','个别计价法'),('W2','Side','D2','全月平均法')");
    db.native("insert into department values ('D1','Sales'),('D2','Works')");
    db.native("insert into Inventory values ('I1','Bolt',null),('I2','Nut','M8')");
    db.native(
        "insert into IA_Subsidiary values ('W1',null,'I1','34',2.125,10.005),('W1',null,'I1','34',1,4),"
        "('W1',null,'I2','34',null,3),('W2',null,'I1','34',5,5),('W9','old','I1','01',1,1)");
    // receipts 1-3 are opening receipts; 2 and 3 issue against receipt line 1, 4 has no header
    db.native(
        "insert into rdrecord values (1,1,'W1','34','acc'),(2,0,'W1','32','acc'),(3,1,'W1','11','acc')");
    db.native(
        "insert into RdRecords values (1,1,'I1',10,5,100,10,null),(2,2,'I1',-2,0,0,0,'1'),"
        "(3,3,'I1',-4,0,0,0,'1'),(4,1,'I2',6,null,60,null,null),(5,4,'I2',-1,0,0,0,'4'),"
        "(6,1,'I2',3,7,30,2.5,null)");
}

std::vector<Row> ledgerRows(DialectMemoryDb& db) {
    return db.rows("select cWhCode,cDepCode,cInvCode,cVouType from IA_Subsidiary order by rowid");
}

TEST(TranslateToSqlite, DropsTheNationalPrefixOfTextLiterals) {
    EXPECT_EQ(translateToSqlite("select * from T where c=N'34' and d=n'x'"),
              "select * from T where c='34' and d='x'");
    EXPECT_EQ(translateToSqlite("select DN'x' from T"), "select DN'x' from T");
}

TEST(TranslateToSqlite, RenamesTheTwoArgumentIsnullOnly) {
    EXPECT_EQ(translateToSqlite("select isnull(sum(isnull(x,0)),0), ISNULL (y,1) from T where z is null"),
              "select ifnull(sum(ifnull(x,0)),0), ifnull (y,1) from T where z is null");
    EXPECT_EQ(translateToSqlite("select T.isnull(x) from T"), "select T.isnull(x) from T");
}

TEST(TranslateToSqlite, DropsTheStarOfTheDesktopDelete) {
    EXPECT_EQ(translateToSqlite("delete * from IA_subsidiary where cVouType=N'34'"),
              "delete from IA_subsidiary where cVouType='34'");
    EXPECT_EQ(translateToSqlite("delete from T"), "delete from T");
}

TEST(TranslateToSqlite, WritesDesktopDatesAsIsoTexts) {
    EXPECT_EQ(translateToSqlite("select #2024-03-05#"), "select '2024-03-05'");
    EXPECT_EQ(translateToSqlite("select #2024-03-05 14:30#"), "select '2024-03-05 14:30:00'");
    EXPECT_EQ(translateToSqlite("select #2024-03-05 00:00:00#"), "select '2024-03-05'");
    EXPECT_EQ(translateToSqlite("select #3/5/2024#, #12/31/2023 1:02:03 PM#"),
              "select '2024-03-05', '2023-12-31 13:02:03'");
}

TEST(TranslateToSqlite, RejectsADateItCannotRead) {
    EXPECT_THROW((void)translateToSqlite("select #2024-02-30#"), std::invalid_argument);
    EXPECT_THROW((void)translateToSqlite("select #soon#"), std::invalid_argument);
}

TEST(TranslateToSqlite, RejectsUnterminatedLiterals) {
    EXPECT_THROW((void)translateToSqlite("select * from T where c=N'34"), std::invalid_argument);
    EXPECT_THROW((void)translateToSqlite("select 'it''s"), std::invalid_argument);
    EXPECT_THROW((void)translateToSqlite("select [name from T"), std::invalid_argument);
    EXPECT_THROW((void)translateToSqlite("select #2024-01-01 from T"), std::invalid_argument);
}

TEST(TranslateToSqlite, LeavesTheContentsOfLiteralsAndNamesAlone) {
    const std::string statement =
        "select 'delete * from T', N'a''#1/2/2024#[x]', [isnull(], \"N'q'\" from T where c=N'isnull(a,b) "
        "into X'";
    EXPECT_EQ(translateToSqlite(statement),
              "select 'delete * from T', 'a''#1/2/2024#[x]', [isnull(], \"N'q'\" from T where c='isnull(a,b) "
              "into X'");
}

TEST(DialectStatements, KeepCodesWithQuotesAndMarkersIntact) {
    DialectMemoryDb db;
    db.native("create table T(c text)");
    db.exec("insert into T values (N'O''Brien #1 [x] delete * from')");
    const auto rows = db.rows("select c from T where c=N'O''Brien #1 [x] delete * from'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "O'Brien #1 [x] delete * from");
}

TEST(DialectStatements, DesktopAndServerDepartmentFillsChangeTheSameRows) {
    DialectMemoryDb desktop;
    DialectMemoryDb server;
    seedLedger(desktop);
    seedLedger(server);
    desktop.exec(
        "UPDATE Warehouse INNER JOIN IA_Subsidiary ON Warehouse.cWhCode = IA_Subsidiary.cWhCode SET "
        "IA_Subsidiary.cDepCode = [warehouse].[cDepcode];");
    server.exec(
        "update ia_subsidiary set cdepcode=Warehouse.cdepcode from Warehouse where "
        "Warehouse.cwhcode=ia_subsidiary.cwhcode");
    EXPECT_EQ(ledgerRows(desktop), ledgerRows(server));
    EXPECT_EQ(ledgerRows(desktop)[0][1], "D1");
    EXPECT_EQ(ledgerRows(desktop)[3][1], "D2");
    EXPECT_EQ(ledgerRows(desktop)[4][1], "old");
}

TEST(DialectStatements, DesktopUpdateJoinMayUpdateTheFirstTableAndKeepItsWhere) {
    DialectMemoryDb db;
    seedLedger(db);
    db.exec(
        "UPDATE [IA_Subsidiary] INNER JOIN Warehouse ON Warehouse.cWhCode = IA_Subsidiary.cWhCode "
        "SET ia_subsidiary.cDepCode = Warehouse.cDepCode, IA_Subsidiary.cVouType = N'35' "
        "WHERE Warehouse.cWhValueStyle = N'个别计价法'");
    const auto rows = ledgerRows(db);
    EXPECT_EQ(rows[0], (Row{"W1", "D1", "I1", "35"}));
    EXPECT_EQ(rows[3], (Row{"W2", std::nullopt, "I1", "34"}));
}

// The five statements of the issued-quantity pass in one dialect.
std::vector<std::string> issuedQuantityPass(bool server) {
    if (server)
        return {"ALTER TABLE Rdrecords add isOutQuantity_s float ", "update  rdrecords set isOutQuantity_s=0",
                "select RdRecords.autoid, RdRecords.isOutQuantity-"
                "isnull(sum(case when R1.brdflag=0 then R2.iQuantity else abs(R2.iquantity) end),0) "
                "as IsumQuantity into FSumQuantity FROM RdRecords left join RdRecords R2 on "
                "RdRecords.autoid=R2.cVouchCode "
                "left join rdrecord R1 on R2.id=R1.id group by RdRecords.isOutQuantity,RdRecords.autoid",
                "update rdrecords set isOutQuantity_s=(select IsumQuantity from FSumQuantity "
                "where rdrecords.autoid=FSumQuantity.autoid)",
                "drop table FSumQuantity"};
    return {"ALTER TABLE Rdrecords add isOutQuantity_s float NULL", "update  rdrecords set isOutQuantity_s=0",
            "select RdRecords.autoid, RdRecords.isOutQuantity-"
            "iif((Sum(IIf(R1.brdflag = 0, R2.iquantity, Abs(R2.iquantity))))  "
            "is null,0,Sum(IIf(R1.brdflag = 0, R2.iquantity, Abs(R2.iquantity)))) "
            "as IsumQuantity into FSumQuantity FROM ((RdRecords left join RdRecords R2 "
            "on str(RdRecords.autoid)=R2.cVouchCode) "
            "left join rdrecord R1 on R2.id=R1.id) group by RdRecords.isOutQuantity,RdRecords.autoid",
            "UPDATE RdRecords INNER JOIN FSumQuantity ON RdRecords.AutoID = FSumQuantity.autoid "
            "SET rdrecords.isOutQuantity_s = FSumQuantity.IsumQuantity",
            "drop table FSumQuantity"};
}

TEST(DialectStatements, DesktopAndServerSelectIntoGiveTheSameSums) {
    std::vector<std::vector<Row>> sums;
    for (const bool server : {false, true}) {
        DialectMemoryDb db;
        seedLedger(db);
        const auto pass = issuedQuantityPass(server);
        for (std::size_t i = 0; i < 3; ++i) db.exec(pass[i]);
        sums.push_back(db.rows("select autoid, IsumQuantity from FSumQuantity order by autoid"));
    }
    EXPECT_EQ(sums[0], sums[1]);
    ASSERT_EQ(sums[0].size(), 6u);
    EXPECT_EQ(sums[0][0], (Row{"1", "3.0"}));  // 5 less (-2 counted with its sign + |-4|)
    EXPECT_EQ(sums[0][3][1], std::nullopt);    // a null issued quantity stays null
    EXPECT_EQ(sums[0][5], (Row{"6", "7.0"}));  // nothing points back to it
}

TEST(DialectStatements, IssuedQuantityPassRunsInBothDialectsAndLeavesNoTrace) {
    for (const bool server : {false, true}) {
        DialectMemoryDb db;
        seedLedger(db);
        for (const auto& statement : issuedQuantityPass(server)) db.exec(statement);
        const auto rows = db.rows("select AutoID, isOutQuantity_s from RdRecords order by AutoID");
        EXPECT_EQ(rows[0], (Row{"1", "3.0"})) << (server ? "server" : "desktop");
        EXPECT_EQ(rows[3], (Row{"4", std::nullopt})) << (server ? "server" : "desktop");
        EXPECT_TRUE(db.rows("select name from sqlite_master where name='FSumQuantity'").empty());
        db.exec("ALTER TABLE rdrecords drop column isOutQuantity_s");
        EXPECT_EQ(db.rows("select * from RdRecords").at(0).size(), 8u);
    }
}

TEST(DialectStatements, DesktopAndServerPairSummariesGiveTheSameTexts) {
    const std::string head =
        "SELECT "
        "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,Inventory.cInvStd,"
        " ";
    const std::string tail =
        "FROM ((IA_Subsidiary LEFT JOIN Inventory ON Inventory.cInvCode=IA_Subsidiary.cInvCode) Left Join "
        "Warehouse On "
        "IA_Subsidiary.cWhCode=Warehouse.cWhCode) where IA_Subsidiary.cVouType=N'34' And "
        "Warehouse.cWhValueStyle=N'个别计价法' "
        "group by "
        "IA_Subsidiary.cWhCode,Warehouse.cWhName,IA_Subsidiary.cInvCode,Inventory.cInvName,Inventory.cInvStd "
        "order by IA_Subsidiary.cWhCode,IA_Subsidiary.cInvCode";
    DialectMemoryDb db;
    seedLedger(db);
    const auto desktop = db.rows(head +
                                 "format(sum(IA_Subsidiary.iAInQuantity),'##0.00'),"
                                 "format(sum(IA_Subsidiary.iAInPrice),'##0.00')" +
                                 tail);
    const auto server = db.rows(head +
                                "ltrim(str(sum(isnull(IA_Subsidiary.iAInQuantity,0)),20,2)),"
                                "ltrim(str(sum(isnull(IA_Subsidiary.iAInPrice,0)),20,2)) " +
                                tail);
    ASSERT_EQ(desktop.size(), 2u);
    EXPECT_EQ(desktop[0], (Row{"W1", "Main", "I1", "Bolt", std::nullopt, "3.13", "14.01"}));
    // the desktop sum of nothing but nulls is null, the server's is 0: the texts agree on every other row
    EXPECT_EQ(desktop[0], server[0]);
    EXPECT_EQ(desktop[1][5], std::nullopt);
    EXPECT_EQ(server[1][5], "0.00");
}

TEST(DialectStatements, DesktopDeleteAndDateInsertWork) {
    DialectMemoryDb db;
    seedLedger(db);
    db.native("create table Kept(d text)");
    db.exec("delete * from IA_subsidiary where cVouType=N'34' And cWhCode=N'W1' and cinvcode=N'I1'");
    db.exec("insert into Kept select #2024-03-05# as dkeepdate");
    db.exec("insert into Kept select N'2024-03-05' as dkeepdate");
    EXPECT_EQ(db.rows("select count(*) from IA_Subsidiary")[0][0], "3");
    const auto kept = db.rows("select d from Kept");
    EXPECT_EQ(kept[0], kept[1]);
}

TEST(DialectStatements, FlagColumnsServeAsConditions) {
    DialectMemoryDb db;
    db.native(
        "create table SaleBillVouch(SBVID integer, cInvalider text, cSTCode text, bFirstBill integer, "
        "cVerifier text, IDISP integer)");
    db.native("create table SaleBillVouchs(SBVID integer, cwhcode text, RdsID integer)");
    db.native("insert into SaleBillVouch values (1,null,'01',0,null,null),(2,null,'01',-1,null,null)");
    db.native("insert into SaleBillVouchs values (1,'W1',0),(2,'W1',0)");
    const std::string query =
        "select SaleBillVouch.SBVID from SaleBillVouch LEFT JOIN SaleBillVouchs ON "
        "SaleBillVouch.SBVID=SaleBillVouchs.SBVID WHERE (salebillvouchs.cwhcode is not null)  and "
        "SaleBillVouch.cInvalider is null ";
    const auto desktop = db.rows(query +
                                 "And salebillvouch.cSTCode is not null and SALEBILLVOUCH.bFirstBill and "
                                 "SALEBILLVOUCH.cVerifier is  null ");
    const auto server = db.rows(query +
                                "And salebillvouch.cSTCode is not null and ISNULL(SALEBILLVOUCH.IDISP,0)=0 "
                                "and ISNULL(SALEBILLVOUCHs.RdsID,0)=0");
    EXPECT_EQ(desktop, (std::vector<Row>{{"2"}}));
    EXPECT_EQ(server.size(), 2u);
}

}  // namespace
}  // namespace tarvenish
