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
// One column of a host table: its name as the component spells it and its type in the host's own schema.
struct TableColumn {
    std::string_view name;
    std::string_view sqlType;
};

// The 69 columns of an opening row of IA_Subsidiary, in the table's own order (the regeneration inserts by
// position) and spelled as the opening-row writer assigns them. A column's position is also its column in the
// adjustment grid, which shows one opening row per line.
inline constexpr std::array<TableColumn, 69> kOpeningRowColumns = {{
    {"brdflag", "tinyint"},
    {"cbustype", "varchar(12)"},
    {"cbuscode", "varchar(30)"},
    {"cVouCode", "varchar(30)"},
    {"ID", "int"},
    {"valueid", "int"},
    {"justid", "int"},
    {"dvoudate", "datetime"},
    {"dkeepdate", "datetime"},
    {"imonth", "tinyint"},
    {"ipzid", "varchar(30)"},
    {"ipzdate", "datetime"},
    {"cpztype", "varchar(8)"},
    {"cpzdigest", "varchar(120)"},
    {"cinvhead", "varchar(20)"},
    {"cdifhead", "varchar(20)"},
    {"copphead", "varchar(20)"},
    {"cvoutype", "varchar(2)"},
    {"cptcode", "varchar(2)"},
    {"cstcode", "varchar(2)"},
    {"cWhcode", "varchar(10)"},
    {"caccdep", "varchar(12)"},
    {"cinvcode", "varchar(20)"},
    {"crdcode", "varchar(5)"},
    {"cvencode", "varchar(20)"},
    {"ccuscode", "varchar(20)"},
    {"cordercode", "varchar(30)"},
    {"carvcode", "varchar(30)"},
    {"cbillcode", "varchar(30)"},
    {"cdlcode", "varchar(30)"},
    {"cpspcode", "varchar(20)"},
    {"cprocode", "varchar(20)"},
    {"cdepcode", "varchar(12)"},
    {"cpersoncode", "varchar(20)"},
    {"chandler", "varchar(20)"},
    {"iainquantity", "float"},
    {"iaoutquantity", "float"},
    {"iincost", "float"},
    {"ioutcost", "float"},
    {"iainprice", "money"},
    {"iaoutprice", "money"},
    {"cbatchcode", "varchar(20)"},
    {"idebitdifcost", "money"},
    {"icreditdifcost", "money"},
    {"caccounter", "varchar(20)"},
    {"cMaker", "varchar(20)"},
    {"bflag", "bit"},
    {"bmoneyflag", "bit"},
    {"bsale", "bit"},
    {"cmemo", "varchar(60)"},
    {"cdefine1", "varchar(20)"},
    {"cdefine2", "varchar(20)"},
    {"cdefine3", "varchar(20)"},
    {"cdefine4", "varchar(20)"},
    {"cdefine5", "varchar(20)"},
    {"cdefine6", "datetime"},
    {"cdefine7", "float"},
    {"cdefine8", "varchar(4)"},
    {"cdefine9", "varchar(8)"},
    {"cdefine10", "varchar(60)"},
    {"cfree1", "varchar(20)"},
    {"cfree2", "varchar(20)"},
    {"cpzid", "varchar(30)"},
    {"cdefine22", "varchar(60)"},
    {"cdefine23", "varchar(60)"},
    {"cdefine24", "varchar(60)"},
    {"cdefine25", "varchar(60)"},
    {"cdefine26", "float"},
    {"cdefine27", "float"},
}};

// The position of the opening-row column spelled `name`; kOpeningRowColumns.size() when there is none.
[[nodiscard]] constexpr std::size_t openingRowColumn(std::string_view name) noexcept {
    std::size_t position = 0;
    while (position < kOpeningRowColumns.size() && kOpeningRowColumns[position].name != name) ++position;
    return position;
}

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
