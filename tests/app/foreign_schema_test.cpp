// An account set whose tables were created by the host's own scripts, not by ours: other spellings of case,
// other column types, extra columns and keys, no secondary indexes. Only the names, and the order of the 69
// opening-row columns, are the same.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "command_support.h"

namespace tarvenish::test {
namespace {

// The 69 opening-row columns in the table's order, upper case, each with a type of the host's choosing.
constexpr std::array<std::pair<std::string_view, std::string_view>, 69> kOpeningRowColumns = {{
    {"BRDFLAG", "SMALLINT"},
    {"CBUSTYPE", "NVARCHAR(12)"},
    {"CBUSCODE", "NVARCHAR(30)"},
    {"CVOUCODE", "NVARCHAR(30)"},
    {"ID", "BIGINT"},
    {"VALUEID", "BIGINT"},
    {"JUSTID", "BIGINT"},
    {"DVOUDATE", "DATETIME"},
    {"DKEEPDATE", "DATETIME"},
    {"IMONTH", "SMALLINT"},
    {"IPZID", "NVARCHAR(30)"},
    {"IPZDATE", "DATE"},
    {"CPZTYPE", "NVARCHAR(8)"},
    {"CPZDIGEST", "NVARCHAR(120)"},
    {"CINVHEAD", "NVARCHAR(20)"},
    {"CDIFHEAD", "NVARCHAR(20)"},
    {"COPPHEAD", "NVARCHAR(20)"},
    {"CVOUTYPE", "NVARCHAR(2)"},
    {"CPTCODE", "NVARCHAR(2)"},
    {"CSTCODE", "NVARCHAR(2)"},
    {"CWHCODE", "NVARCHAR(10)"},
    {"CACCDEP", "NVARCHAR(12)"},
    {"CINVCODE", "NVARCHAR(30)"},
    {"CRDCODE", "NVARCHAR(5)"},
    {"CVENCODE", "NVARCHAR(20)"},
    {"CCUSCODE", "NVARCHAR(20)"},
    {"CORDERCODE", "NVARCHAR(30)"},
    {"CARVCODE", "NVARCHAR(30)"},
    {"CBILLCODE", "NVARCHAR(30)"},
    {"CDLCODE", "NVARCHAR(30)"},
    {"CPSPCODE", "NVARCHAR(20)"},
    {"CPROCODE", "NVARCHAR(20)"},
    {"CDEPCODE", "NVARCHAR(12)"},
    {"CPERSONCODE", "NVARCHAR(20)"},
    {"CHANDLER", "NVARCHAR(20)"},
    {"IAINQUANTITY", "DECIMAL(18,6)"},
    {"IAOUTQUANTITY", "DECIMAL(18,6)"},
    {"IINCOST", "DECIMAL(18,6)"},
    {"IOUTCOST", "DECIMAL(18,6)"},
    {"IAINPRICE", "DECIMAL(18,6)"},
    {"IAOUTPRICE", "DECIMAL(18,6)"},
    {"CBATCHCODE", "NVARCHAR(20)"},
    {"IDEBITDIFCOST", "DECIMAL(18,6)"},
    {"ICREDITDIFCOST", "DECIMAL(18,6)"},
    {"CACCOUNTER", "NVARCHAR(20)"},
    {"CMAKER", "NVARCHAR(20)"},
    {"BFLAG", "BIT"},
    {"BMONEYFLAG", "BIT"},
    {"BSALE", "BIT"},
    {"CMEMO", "NVARCHAR(60)"},
    {"CDEFINE1", "NVARCHAR(20)"},
    {"CDEFINE2", "NVARCHAR(20)"},
    {"CDEFINE3", "NVARCHAR(20)"},
    {"CDEFINE4", "NVARCHAR(20)"},
    {"CDEFINE5", "NVARCHAR(20)"},
    {"CDEFINE6", "DATETIME"},
    {"CDEFINE7", "DECIMAL(18,6)"},
    {"CDEFINE8", "NVARCHAR(4)"},
    {"CDEFINE9", "NVARCHAR(8)"},
    {"CDEFINE10", "NVARCHAR(60)"},
    {"CFREE1", "NVARCHAR(20)"},
    {"CFREE2", "NVARCHAR(20)"},
    {"CPZID", "NVARCHAR(30)"},
    {"CDEFINE22", "NVARCHAR(60)"},
    {"CDEFINE23", "NVARCHAR(60)"},
    {"CDEFINE24", "NVARCHAR(60)"},
    {"CDEFINE25", "NVARCHAR(60)"},
    {"CDEFINE26", "DECIMAL(18,6)"},
    {"CDEFINE27", "DECIMAL(18,6)"},
}};

std::string openingRowTable() {
    std::string text = "CREATE TABLE IA_SUBSIDIARY (";
    for (std::size_t i = 0; i < kOpeningRowColumns.size(); ++i) {
        if (i > 0) text += ", ";
        text += std::string(kOpeningRowColumns[i].first) + " " + std::string(kOpeningRowColumns[i].second);
    }
    return text + ");";
}

constexpr std::string_view kOtherTables = R"(
CREATE TABLE rdrecord (RowKey INTEGER PRIMARY KEY AUTOINCREMENT, Id INT NOT NULL UNIQUE, BRdFlag BIT,
  CVOUCHTYPE NVARCHAR(2), cBusType NVARCHAR(12), cBusCode NVARCHAR(30), CCODE NVARCHAR(30), DDATE DATE,
  DKEEPDATE DATETIME, cPTCode NVARCHAR(2), cSTCode NVARCHAR(2), CWHCODE NVARCHAR(10), CDEPCODE NVARCHAR(12),
  cRdCode NVARCHAR(5), cVenCode NVARCHAR(20), cCusCode NVARCHAR(20), cOrderCode NVARCHAR(30),
  cARVCode NVARCHAR(30), cBillCode NVARCHAR(30), cDLCode NVARCHAR(30), cProBatch NVARCHAR(20),
  cPersonCode NVARCHAR(20), cHandler NVARCHAR(20), CACCOUNTER NVARCHAR(20), CMAKER NVARCHAR(20),
  cMemo NVARCHAR(60), cDefine1 NVARCHAR(20), cDefine2 NVARCHAR(20), cDefine3 NVARCHAR(20),
  cDefine4 NVARCHAR(20), cDefine5 NVARCHAR(20), cDefine6 DATETIME, cDefine7 DECIMAL(18,6),
  cDefine8 NVARCHAR(4), cDefine9 NVARCHAR(8), cDefine10 NVARCHAR(60),
  cAuditor NVARCHAR(20) DEFAULT 'sys', iPrintCount SMALLINT DEFAULT 0);
CREATE TABLE RDRECORDS (AUTOID BIGINT NOT NULL PRIMARY KEY, ID INT NOT NULL, CINVCODE NVARCHAR(30) NOT NULL,
  IQUANTITY DECIMAL(18,6), IUNITCOST DECIMAL(18,6), IPRICE DECIMAL(18,6), CBATCH NVARCHAR(20),
  COBJCODE NVARCHAR(20), CFREE1 NVARCHAR(20), CFREE2 NVARCHAR(20), CDEFINE22 NVARCHAR(60),
  CDEFINE23 NVARCHAR(60), CDEFINE24 NVARCHAR(60), CDEFINE25 NVARCHAR(60), CDEFINE26 DECIMAL(18,6),
  CDEFINE27 DECIMAL(18,6), ISOUTQUANTITY DECIMAL(18,6), CVOUCHCODE NVARCHAR(30),
  iNum DECIMAL(18,6) DEFAULT 0, cPosition NVARCHAR(20) DEFAULT '');
CREATE TABLE WAREHOUSE (CWHCODE NVARCHAR(10) NOT NULL PRIMARY KEY, CWHNAME NVARCHAR(30) NOT NULL,
  CDEPCODE NVARCHAR(12), CWHVALUESTYLE NVARCHAR(30), bFreeze BIT DEFAULT 0, cWhAddress NVARCHAR(60));
CREATE TABLE INVENTORY (CINVCODE NVARCHAR(30) NOT NULL PRIMARY KEY, CINVNAME NVARCHAR(60) NOT NULL,
  CINVSTD NVARCHAR(60), iSafeNum DECIMAL(18,6) DEFAULT 0, bPurchase BIT DEFAULT 1);
CREATE TABLE Department (cDepCode NVARCHAR(12) NOT NULL PRIMARY KEY, cDepName NVARCHAR(30) NOT NULL);
CREATE TABLE ACCINFORMATION (CSYSID NVARCHAR(2) NOT NULL, CNAME NVARCHAR(50) NOT NULL,
  CVALUE NVARCHAR(100), CDEFAULT NVARCHAR(100), cCaption NVARCHAR(100) DEFAULT '',
  iOrder SMALLINT DEFAULT 0, bVisible BIT DEFAULT 1);
CREATE TABLE SaleBillVouch (SBVID INT, cSTCode NVARCHAR(2), cVerifier NVARCHAR(20), cInvalider NVARCHAR(20),
  IDISP SMALLINT, bFirstBill BIT);
CREATE TABLE SaleBillVouchs (SBVID INT, cWhCode NVARCHAR(10), RdsID INT);
CREATE TABLE DispatchList (DLID INT, cSTCode NVARCHAR(2), ISALE SMALLINT);
CREATE TABLE DispatchLists (DLID INT, cWhCode NVARCHAR(10), RdsID INT, iQuantity DECIMAL(18,6),
  iOutQuantity DECIMAL(18,6));
CREATE TABLE EnDispatch (EDID INT, cSTCode NVARCHAR(2));
CREATE TABLE EnDispatchs (EDID INT, cWhCode NVARCHAR(10), iQuantity DECIMAL(18,6),
  iRetQuantity DECIMAL(18,6), iSettleQuantity DECIMAL(18,6), bSettleAll BIT);
)";

// Warehouse mode. W1 (specific identification) holds A1, which matches: line 101 of 10 at 2 with 3 issued
// before the opening, of which 1 came back later through line 900 (so 2 stay issued: 8 and 16 remain), and
// line 102 of 5 at 3; the old row says 13 and 31. W1/A2 differs: one line of 4 worth 10 against an old row
// worth 11. W9 values by another style and is left alone.
constexpr std::string_view kSeed = R"(
INSERT INTO ACCINFORMATION (CSYSID, CNAME, CVALUE, CDEFAULT) VALUES
  ('IA', 'dIAStartDate', '2026-01-01', NULL), ('IA', 'cValueStyle', '按仓库核算', '按仓库核算'),
  ('AA', 'iStrsQuanDecDgt', '2', '2'), ('AA', 'iStrsPriDecDgt', NULL, '2');
INSERT INTO WAREHOUSE (CWHCODE, CWHNAME, CDEPCODE, CWHVALUESTYLE) VALUES
  ('W1', '一库', 'D1', '个别计价法'), ('W9', '九库', 'D1', '全月平均法');
INSERT INTO Department VALUES ('D1', '采购部');
INSERT INTO INVENTORY (CINVCODE, CINVNAME, CINVSTD) VALUES ('A1', '螺栓', 'M8'), ('A2', '螺母', NULL);
INSERT INTO rdrecord (Id, BRdFlag, CVOUCHTYPE, CCODE, DDATE, DKEEPDATE, CWHCODE, CACCOUNTER, CMAKER) VALUES
  (1, 1, '34', 'QC01', '2025-12-31', '2026-01-01 00:00:00', 'W1', '张会计', '李制单'),
  (2, 1, '34', 'QC02', '2025-12-31', '2026-01-01 00:00:00', 'W1', '张会计', '李制单'),
  (3, 0, '32', 'CK01', '2026-02-01', NULL, 'W1', '张会计', '李制单'),
  (4, 1, '34', 'QC09', '2025-12-31', '2026-01-01 00:00:00', 'W9', '张会计', '李制单');
INSERT INTO RDRECORDS (AUTOID, ID, CINVCODE, IQUANTITY, IUNITCOST, IPRICE, ISOUTQUANTITY, CVOUCHCODE) VALUES
  (101, 1, 'A1', 10, 2, 20, 3, NULL), (102, 1, 'A1', 5, 3, 15, 0, NULL),
  (201, 2, 'A2', 4, 2.5, 10, 0, NULL), (900, 3, 'A1', 1, 2, 2, NULL, '101'),
  (401, 4, 'A1', 7, 1, 7, 0, NULL);
INSERT INTO IA_SUBSIDIARY (BRDFLAG, CVOUCODE, DVOUDATE, DKEEPDATE, IMONTH, CVOUTYPE, CWHCODE, CINVCODE,
  IAINQUANTITY, IAINPRICE, CACCOUNTER, CMAKER, BFLAG, BMONEYFLAG, BSALE, CPZID) VALUES
  (1, 'OLD-A1', '2025-12-31 00:00:00', '2026-01-01 00:00:00', 0, '34', 'W1', 'A1', 13, 31, '张会计', '李制单', 0, 1, 0, '0'),
  (1, 'OLD-A2', '2025-12-31 00:00:00', '2026-01-01 00:00:00', 0, '34', 'W1', 'A2', 4, 11, '张会计', '李制单', 0, 1, 0, '0'),
  (1, 'OLD-W9', '2025-12-31 00:00:00', '2026-01-01 00:00:00', 0, '34', 'W9', 'A1', 7, 7, '张会计', '李制单', 0, 1, 0, '0');
)";

class ForeignSchema : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        { std::ofstream create(m_path); }
        const LedgerFile file(m_path);
        file.exec(openingRowTable());
        file.exec(kOtherTables);
        file.exec(kSeed);
    }
    ScratchDir m_dir;
    std::string m_path = m_dir.file("host.db");
};

TEST_P(ForeignSchema, RebuildsMatchingAndBalancedPairs) {
    const auto result = runCommand(
        {"run", "--db", m_path, "--ui", "none", "--on-mismatch", "balance", "--acc-sql", GetParam()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;

    const LedgerFile file(m_path);
    const auto rows = file.rows(
        "select CWHCODE, CINVCODE, CVOUCODE, round(IAINQUANTITY, 2), round(IAINPRICE, 2), CVOUTYPE "
        "from IA_SUBSIDIARY order by CWHCODE, CINVCODE, CVOUCODE, IAINQUANTITY");
    std::vector<std::string> texts;
    for (const auto& row : rows) texts.push_back(rowText(row));
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "'W1'|'A1'|'QC01'|'5'|'15'|'34'|",
                         "'W1'|'A1'|'QC01'|'8'|'16'|'34'|",
                         "'W1'|'A2'|'JUST100001'|'0'|'1'|'34'|",
                         "'W1'|'A2'|'QC02'|'4'|'10'|'34'|",
                         "'W9'|'A1'|'OLD-W9'|'7'|'7'|'34'|",
                     }));
    EXPECT_EQ(file.scalar("select count(*) from IA_SUBSIDIARY where CWHCODE='W1' and "
                          "date(DKEEPDATE)='2026-01-01' and CACCOUNTER='张会计'"),
              "4");
    EXPECT_FALSE(file.hasColumn("RDRECORDS", "isOutQuantity_s"));
    EXPECT_FALSE(file.hasTable("FSumQuantity"));
}

INSTANTIATE_TEST_SUITE_P(BothDialects, ForeignSchema, ::testing::Values("0", "1"),
                         [](const ::testing::TestParamInfo<const char*>& dialect) {
                             return std::string(dialect.param) == "0" ? "Desktop" : "Server";
                         });

}  // namespace
}  // namespace tarvenish::test
