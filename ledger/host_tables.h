#pragma once
// The host's tables and columns that the component names, and the literal values that carry meaning in them.
// The database matches names without regard to case; the spellings here are the ones the component uses.

#include <array>
#include <cstddef>
#include <string_view>

namespace tarvenish::host {

// Tables.
inline constexpr std::string_view kIaSubsidiary = "IA_Subsidiary";
inline constexpr std::string_view kRdRecord = "RdRecord";
inline constexpr std::string_view kRdRecords = "RdRecords";
inline constexpr std::string_view kWarehouse = "Warehouse";
inline constexpr std::string_view kInventory = "Inventory";
inline constexpr std::string_view kDepartment = "department";
inline constexpr std::string_view kAccInformation = "AccInformation";
inline constexpr std::string_view kSaleBillVouch = "SaleBillVouch";
inline constexpr std::string_view kSaleBillVouchs = "SaleBillVouchs";
inline constexpr std::string_view kDispatchList = "DispatchList";
inline constexpr std::string_view kDispatchLists = "DispatchLists";
inline constexpr std::string_view kEnDispatch = "EnDispatch";
inline constexpr std::string_view kEnDispatchs = "EnDispatchs";

// The run's own temporary objects: a column of RdRecords and a table that lives between two statements.
inline constexpr std::string_view kIssuedColumn = "isOutQuantity_s";
inline constexpr std::string_view kSumTable = "FSumQuantity";

// The 69 columns of an opening row of IA_Subsidiary, in the table's own order (the regeneration inserts by
// position) and spelled as the opening-row writer assigns them.
inline constexpr std::array<std::string_view, 69> kOpeningRowColumns = {
    "brdflag",       "cbustype",       "cbuscode",   "cVouCode",  "ID",        "valueid",     "justid",
    "dvoudate",      "dkeepdate",      "imonth",     "ipzid",     "ipzdate",   "cpztype",     "cpzdigest",
    "cinvhead",      "cdifhead",       "copphead",   "cvoutype",  "cptcode",   "cstcode",     "cWhcode",
    "caccdep",       "cinvcode",       "crdcode",    "cvencode",  "ccuscode",  "cordercode",  "carvcode",
    "cbillcode",     "cdlcode",        "cpspcode",   "cprocode",  "cdepcode",  "cpersoncode", "chandler",
    "iainquantity",  "iaoutquantity",  "iincost",    "ioutcost",  "iainprice", "iaoutprice",  "cbatchcode",
    "idebitdifcost", "icreditdifcost", "caccounter", "cMaker",    "bflag",     "bmoneyflag",  "bsale",
    "cmemo",         "cdefine1",       "cdefine2",   "cdefine3",  "cdefine4",  "cdefine5",    "cdefine6",
    "cdefine7",      "cdefine8",       "cdefine9",   "cdefine10", "cfree1",    "cfree2",      "cpzid",
    "cdefine22",     "cdefine23",      "cdefine24",  "cdefine25", "cdefine26", "cdefine27",
};

// Positions (0-based) in kOpeningRowColumns that other code refers to by meaning.
inline constexpr std::size_t kVoucherCodeColumn = 3;
inline constexpr std::size_t kQuantityColumn = 35;
inline constexpr std::size_t kUnitCostColumn = 37;
inline constexpr std::size_t kMoneyColumn = 39;

// Settings of AccInformation: system codes and setting names.
inline constexpr std::string_view kSystemIA = "IA";
inline constexpr std::string_view kSystemAA = "AA";
inline constexpr std::string_view kStartDateSetting = "dIAStartDate";
inline constexpr std::string_view kValueStyleSetting = "cValueStyle";
inline constexpr std::string_view kQuantityDigitsSetting = "iStrsQuanDecDgt";
inline constexpr std::string_view kPriceDigitsSetting = "iStrsPriDecDgt";

// Literal values.
inline constexpr std::string_view kOpeningVoucherType = "34";
inline constexpr std::string_view kSpecificIdentification = "个别计价法";
inline constexpr std::string_view kByWarehouse = "按仓库核算";
inline constexpr std::string_view kAddedLinePrefix = "JUST";
inline constexpr std::string_view kNewRowPzId = "0";

}  // namespace tarvenish::host
