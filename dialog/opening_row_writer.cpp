#include "dialog/opening_row_writer.h"

#include <array>
#include <cstdint>
#include <string>

#include "component/shared_state.h"
#include "dialog/controls.h"
#include "dialog/grid_layout.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/db/value.h"

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

// A rule's column before the field names it: the grid column of the field's own opening-row column.
constexpr long kOwnColumn = -1;

constexpr Rule cell(long column = kOwnColumn) {
    return {Source::Cell, column};
}
constexpr Rule cellOrNull(long column = kOwnColumn) {
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

constexpr Rule inColumn(Rule rule, long column) {
    if (rule.column == kOwnColumn) rule.column = column;
    return rule;
}

// The field of the opening-row column `name`, which must be one: its own cells are that column's.
consteval Field field(const char* name, Rule added, Rule receipt) {
    const long column = grid::openingRowCell(name);
    if (column >= grid::kQuantity) throw "not an opening-row column";
    return {name, inColumn(added, column), inColumn(receipt, column)};
}

// Both kinds take the adjusted figures of the grid's last three columns, never the loaded ones of their own
// iainquantity, iincost and iainprice cells.
constexpr std::array<Field, host::kOpeningRowColumns.size()> kFieldMap{{
    field("brdflag", integer(1), cell()),
    field("cbustype", cellOrNull(), cellOrNull()),
    field("cbuscode", cellOrNull(), cellOrNull()),
    field("cVouCode", cell(), cell()),
    field("ID", from(Source::Null), cell()),
    field("valueid", from(Source::Null), from(Source::Null)),
    field("justid", from(Source::Null), from(Source::Null)),
    field("dvoudate", from(Source::Null), cell()),
    field("dkeepdate", from(Source::KeepDate), from(Source::KeepDate)),
    field("imonth", integer(0), cell()),
    field("ipzid", from(Source::Null), from(Source::Null)),
    field("ipzdate", from(Source::Null), from(Source::Null)),
    field("cpztype", from(Source::Null), from(Source::Null)),
    field("cpzdigest", from(Source::Null), from(Source::Null)),
    field("cinvhead", from(Source::Null), from(Source::Null)),
    field("cdifhead", from(Source::Null), from(Source::Null)),
    field("copphead", from(Source::Null), from(Source::Null)),
    field("cvoutype", text("34"), cell()),
    field("cptcode", cellOrNull(), cellOrNull()),
    field("cstcode", cellOrNull(), cellOrNull()),
    // A receipt line's codes are written as loaded, an empty code as empty: a null code would take the row
    // out of its pair, and the next run would balance the pair again on top of it.
    field("cWhcode", from(Source::PairWarehouse), cell()),
    field("caccdep", cellOrNull(), cellOrNull()),
    field("cinvcode", from(Source::InvCode), cell()),
    field("crdcode", cellOrNull(), cellOrNull()),
    field("cvencode", cellOrNull(), cellOrNull()),
    field("ccuscode", cellOrNull(), cellOrNull()),
    field("cordercode", cellOrNull(), cellOrNull()),
    field("carvcode", cellOrNull(), cellOrNull()),
    field("cbillcode", cellOrNull(), cellOrNull()),
    field("cdlcode", cellOrNull(), cellOrNull()),
    field("cpspcode", cellOrNull(), cellOrNull()),
    field("cprocode", cellOrNull(), cellOrNull()),
    field("cdepcode", from(Source::PairDepartment), from(Source::PairDepartment)),
    field("cpersoncode", cellOrNull(), cellOrNull()),
    field("chandler", cellOrNull(), cellOrNull()),
    field("iainquantity", cellOrNull(grid::kQuantity), cellOrNull(grid::kQuantity)),
    field("iaoutquantity", cellOrNull(), cellOrNull()),
    field("iincost", cellOrNull(grid::kUnitPrice), cellOrNull(grid::kUnitPrice)),
    field("ioutcost", cellOrNull(), cellOrNull()),
    field("iainprice", cellOrNull(grid::kMoney), cellOrNull(grid::kMoney)),
    field("iaoutprice", cellOrNull(), cellOrNull()),
    field("cbatchcode", from(Source::NotSet), cellOrNull()),
    field("idebitdifcost", cellOrNull(), cellOrNull()),
    field("icreditdifcost", cellOrNull(), cellOrNull()),
    field("caccounter", from(Source::Accounter), from(Source::Accounter)),
    field("cMaker", from(Source::Maker), cell()),
    field("bflag", integer(0), cell()),
    field("bmoneyflag", integer(1), cell()),
    field("bsale", integer(0), cell()),
    field("cmemo", cellOrNull(), cellOrNull()),
    field("cdefine1", cellOrNull(), cellOrNull()),
    field("cdefine2", cellOrNull(), cellOrNull()),
    field("cdefine3", cellOrNull(), cellOrNull()),
    field("cdefine4", cellOrNull(), cellOrNull()),
    field("cdefine5", cellOrNull(), cellOrNull()),
    field("cdefine6", cellOrNull(), cellOrNull()),
    field("cdefine7", cellOrNull(), cellOrNull()),
    field("cdefine8", cellOrNull(), cellOrNull()),
    field("cdefine9", cellOrNull(), cellOrNull()),
    field("cdefine10", cellOrNull(), cellOrNull()),
    field("cfree1", cellOrNull(), cellOrNull()),
    field("cfree2", cellOrNull(), cellOrNull()),
    field("cpzid", text("0"), cell()),
    field("cdefine22", cellOrNull(), cellOrNull()),
    field("cdefine23", cellOrNull(), cellOrNull()),
    field("cdefine24", cellOrNull(), cellOrNull()),
    field("cdefine25", cellOrNull(), cellOrNull()),
    field("cdefine26", cellOrNull(), cellOrNull()),
    field("cdefine27", cellOrNull(), cellOrNull()),
}};

Value valueOf(const Rule& rule, const KVGrid& grid, long row, const SharedState& state, PairMode mode,
              std::string_view addedLineWarehouse) {
    const bool byDepartment = mode == PairMode::Department;
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
                     PairMode mode, std::string_view addedLineWarehouse) {
    table.addNew();
    for (const Field& field : kFieldMap) {
        const Rule& rule = kind == LineKind::Added ? field.added : field.receipt;
        if (rule.source == Source::NotSet) continue;
        const Value value = valueOf(rule, grid, row, state, mode, addedLineWarehouse);
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
