#include "dialog/opening_row_writer.h"

#include <array>
#include <cstdint>
#include <string>

#include "component/shared_state.h"
#include "dialog/controls.h"
#include "dialog/grid_layout.h"
#include "ledger/db_error.h"
#include "ledger/recordset.h"
#include "ledger/value.h"

namespace tarvenish {
namespace {

// Where a field's value comes from.
enum class Source {
    Cell,        // the cell's text, an empty text included
    CellOrNull,  // null for an empty cell, else its text
    Null,
    Integer,  // a 16-bit constant
    Text,     // a text constant
    KeepDate,
    InvCode,
    Accounter,
    Maker,
    PairWarehouse,   // DepWhCode by department, WhCode by warehouse
    PairDepartment,  // WhCode by department, null by warehouse
    NotSet,          // left to the table's default
};

struct Rule {
    Source source = Source::NotSet;
    long column = 0;             // for Cell and CellOrNull
    std::int16_t number = 0;     // for Integer
    const char* text = nullptr;  // for Text
};

constexpr Rule cell(long column) {
    return {Source::Cell, column};
}
constexpr Rule cellOrNull(long column) {
    return {Source::CellOrNull, column};
}
constexpr Rule integer(std::int16_t number) {
    return {Source::Integer, 0, number};
}
constexpr Rule text(const char* value) {
    return {Source::Text, 0, 0, value};
}
constexpr Rule from(Source source) {
    return {source};
}

struct Field {
    const char* name;
    Rule added;
    Rule receipt;
};

// Both kinds take the adjusted figures of columns 69 to 71, never the loaded ones of 35, 37 and 39.
constexpr std::array<Field, 69> kFieldMap{{
    {"brdflag", integer(1), cell(0)},
    {"cbustype", cellOrNull(1), cellOrNull(1)},
    {"cbuscode", cellOrNull(2), cellOrNull(2)},
    {"cVouCode", cell(3), cell(3)},
    {"ID", from(Source::Null), cell(4)},
    {"valueid", from(Source::Null), from(Source::Null)},
    {"justid", from(Source::Null), from(Source::Null)},
    {"dvoudate", from(Source::Null), cell(7)},
    {"dkeepdate", from(Source::KeepDate), from(Source::KeepDate)},
    {"imonth", integer(0), cell(9)},
    {"ipzid", from(Source::Null), from(Source::Null)},
    {"ipzdate", from(Source::Null), from(Source::Null)},
    {"cpztype", from(Source::Null), from(Source::Null)},
    {"cpzdigest", from(Source::Null), from(Source::Null)},
    {"cinvhead", from(Source::Null), from(Source::Null)},
    {"cdifhead", from(Source::Null), from(Source::Null)},
    {"copphead", from(Source::Null), from(Source::Null)},
    {"cvoutype", text("34"), cell(17)},
    {"cptcode", cellOrNull(18), cellOrNull(18)},
    {"cstcode", cellOrNull(19), cellOrNull(19)},
    // A receipt line's codes are written as loaded, an empty code as empty: a null code would take the row
    // out of its pair, and the next run would balance the pair again on top of it.
    {"cWhcode", from(Source::PairWarehouse), cell(20)},
    {"caccdep", cellOrNull(21), cellOrNull(21)},
    {"cinvcode", from(Source::InvCode), cell(22)},
    {"crdcode", cellOrNull(23), cellOrNull(23)},
    {"cvencode", cellOrNull(24), cellOrNull(24)},
    {"ccuscode", cellOrNull(25), cellOrNull(25)},
    {"cordercode", cellOrNull(26), cellOrNull(26)},
    {"carvcode", cellOrNull(27), cellOrNull(27)},
    {"cbillcode", cellOrNull(28), cellOrNull(28)},
    {"cdlcode", cellOrNull(29), cellOrNull(29)},
    {"cpspcode", cellOrNull(30), cellOrNull(30)},
    {"cprocode", cellOrNull(31), cellOrNull(31)},
    {"cdepcode", from(Source::PairDepartment), from(Source::PairDepartment)},
    {"cpersoncode", cellOrNull(33), cellOrNull(33)},
    {"chandler", cellOrNull(34), cellOrNull(34)},
    {"iainquantity", cellOrNull(grid::kQuantity), cellOrNull(grid::kQuantity)},
    {"iaoutquantity", cellOrNull(36), cellOrNull(36)},
    {"iincost", cellOrNull(grid::kUnitPrice), cellOrNull(grid::kUnitPrice)},
    {"ioutcost", cellOrNull(38), cellOrNull(38)},
    {"iainprice", cellOrNull(grid::kMoney), cellOrNull(grid::kMoney)},
    {"iaoutprice", cellOrNull(40), cellOrNull(40)},
    {"cbatchcode", from(Source::NotSet), cellOrNull(41)},
    {"idebitdifcost", cellOrNull(42), cellOrNull(42)},
    {"icreditdifcost", cellOrNull(43), cellOrNull(43)},
    {"caccounter", from(Source::Accounter), from(Source::Accounter)},
    {"cMaker", from(Source::Maker), cell(45)},
    {"bflag", integer(0), cell(46)},
    {"bmoneyflag", integer(1), cell(47)},
    {"bsale", integer(0), cell(48)},
    {"cmemo", cellOrNull(49), cellOrNull(49)},
    {"cdefine1", cellOrNull(50), cellOrNull(50)},
    {"cdefine2", cellOrNull(51), cellOrNull(51)},
    {"cdefine3", cellOrNull(52), cellOrNull(52)},
    {"cdefine4", cellOrNull(53), cellOrNull(53)},
    {"cdefine5", cellOrNull(54), cellOrNull(54)},
    {"cdefine6", cellOrNull(55), cellOrNull(55)},
    {"cdefine7", cellOrNull(56), cellOrNull(56)},
    {"cdefine8", cellOrNull(57), cellOrNull(57)},
    {"cdefine9", cellOrNull(58), cellOrNull(58)},
    {"cdefine10", cellOrNull(59), cellOrNull(59)},
    {"cfree1", cellOrNull(60), cellOrNull(60)},
    {"cfree2", cellOrNull(61), cellOrNull(61)},
    {"cpzid", text("0"), cell(62)},
    {"cdefine22", cellOrNull(63), cellOrNull(63)},
    {"cdefine23", cellOrNull(64), cellOrNull(64)},
    {"cdefine24", cellOrNull(65), cellOrNull(65)},
    {"cdefine25", cellOrNull(66), cellOrNull(66)},
    {"cdefine26", cellOrNull(67), cellOrNull(67)},
    {"cdefine27", cellOrNull(68), cellOrNull(68)},
}};

Value valueOf(const Rule& rule, const KVGrid& grid, long row, const SharedState& state,
              std::string_view addedLineWarehouse) {
    const bool byDepartment = state.AccountSettings.ByDepartment;
    switch (rule.source) {
        case Source::Cell:
            return Value::text(grid.CellText(row, rule.column));
        case Source::CellOrNull: {
            std::string content = grid.CellText(row, rule.column);
            return content.empty() ? Value::null() : Value::text(std::move(content));
        }
        case Source::Null:
            return Value::null();
        case Source::Integer:
            return Value::integer(rule.number);
        case Source::Text:
            return Value::text(rule.text);
        case Source::KeepDate:
            return Value::date(state.KeepDate);
        case Source::InvCode:
            return Value::text(state.InvCode);
        case Source::Accounter:
            return Value::text(state.AccountSettings.Accounter);
        case Source::Maker:
            return Value::text(state.AccountSettings.Maker);
        case Source::PairWarehouse:
            if (!byDepartment) return Value::text(state.WhCode);
            return Value::text(addedLineWarehouse.empty() ? state.AccountSettings.DepWhCode
                                                          : std::string(addedLineWarehouse));
        case Source::PairDepartment:
            return byDepartment ? Value::text(state.WhCode) : Value::null();
        case Source::NotSet:
            break;
    }
    return Value();
}

bool isAdjustedFigure(const Rule& rule) {
    return rule.source == Source::CellOrNull && rule.column >= grid::kQuantity && rule.column <= grid::kMoney;
}

}  // namespace

LineKind lineKindOf(std::string_view voucherCode) {
    return voucherCode.starts_with("JUST") ? LineKind::Added : LineKind::Receipt;
}

void writeOpeningRow(Recordset& table, const KVGrid& grid, long row, LineKind kind, const SharedState& state,
                     std::string_view addedLineWarehouse) {
    table.addNew();
    for (const Field& field : kFieldMap) {
        const Rule& rule = kind == LineKind::Added ? field.added : field.receipt;
        if (rule.source == Source::NotSet) continue;
        const Value value = valueOf(rule, grid, row, state, addedLineWarehouse);
        if (table.setField(field.name, value)) continue;
        // An adjusted figure left to the table's default would be a balance other than the one confirmed.
        if (isAdjustedFigure(rule) && !value.isNull()) {
            throw DbError("assign field", 0,
                          "the table refuses \"" + value.displayText() + "\" for " + field.name +
                              " of line " + std::to_string(row),
                          std::string(field.name));
        }
        // Any other refused value leaves the field to the table's default; the row is still stored.
    }
    table.update();
}

}  // namespace tarvenish
