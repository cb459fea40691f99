#include "component/settings.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/number_format.h"
#include "ledger/db_error.h"
#include "ledger/host_tables.h"
#include "ledger/recordset.h"
#include "ledger/statements.h"

namespace tarvenish {
namespace {

// The setting taken as text, its leading number read and rounded half to even to a 16-bit integer.
std::int16_t digitsSetting(std::string_view name) {
    const Value setting = GetAccSetting(host::kSystemAA, name);
    if (setting.isNull()) {
        throw ConversionError("setting " + std::string(name) +
                              " of system AA is Null in both cValue and cDefault");
    }
    // nearbyint rounds in the default mode, to nearest with halves to the even neighbour.
    const double rounded = std::nearbyint(leadingValue(setting.asText()));
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max())) {
        throw ConversionError("setting " + std::string(name) +
                              " of system AA is out of range: " + setting.asText());
    }
    return static_cast<std::int16_t>(rounded);
}

std::string fieldText(const Recordset& rs, std::size_t index, std::string_view what, const std::string& sql) {
    const Value& value = rs.field(index);
    if (value.isNull()) {
        throw ConversionError("the first opening row has no " + std::string(what) + " (Null) in: " + sql);
    }
    return value.asText();
}

}  // namespace

Value GetAccSetting(std::string_view system, std::string_view name) {
    Value result = Value::text("");
    Recordset rs;
    openReadOnlyQuery(rs, sql::accSetting(system, name), sharedState().conn().connectionString(),
                      CursorType::ForwardOnly);
    if (!rs.eof()) {
        const Value& value = rs.field("cvalue");
        const Value& chosen = value.isNull() || value.displayText().empty() ? rs.field("cDefault") : value;
        result = chosen.isNull() ? Value::null() : Value::text(chosen.asText());
    }
    rs.close();
    return result;
}

void ReadAccountSettings(AccountSettingsRecord& settings) {
    const Value style = GetAccSetting(host::kSystemIA, host::kValueStyleSetting);
    settings.ByDepartment = style.isNull() || style.rawText() != host::kByWarehouse;
    settings.QuantityDigits = digitsSetting(host::kQuantityDigitsSetting);
    settings.PriceDigits = digitsSetting(host::kPriceDigitsSetting);

    const PairMode mode = settings.ByDepartment ? PairMode::Department : PairMode::Warehouse;
    const std::string sql = sql::settingsOpeningRow(mode);
    Recordset rs;
    openReadOnlyQuery(rs, sql, sharedState().conn().connectionString(), CursorType::ForwardOnly);
    if (rs.eof()) {
        throw DbError("read account settings", 0, "no opening row of a specific-identification warehouse",
                      sql);
    }
    settings.Accounter = fieldText(rs, 0, "caccounter", sql);
    settings.Maker = fieldText(rs, 1, "cmaker", sql);
    if (settings.ByDepartment) settings.DepWhCode = fieldText(rs, 2, "cwhcode", sql);
    rs.close();
}

Date GetKeepDate(Connection& connection) {
    const std::string sql = sql::keepDate();
    Recordset rs;
    openReadOnlyQuery(rs, sql, connection.connectionString(), CursorType::Static);
    if (rs.eof()) throw DbError("read keep date", 0, "IA_Subsidiary holds no opening row", sql);
    const Value& value = rs.field(0);
    if (value.isNull()) throw ConversionError("the first opening row has no keep date (Null) in: " + sql);
    const Date keepDate = value.asDate();
    rs.close();
    return keepDate;
}

std::string RepeatText(long count, std::string_view text) {
    std::string out;
    if (count <= 0) return out;
    out.reserve(static_cast<std::size_t>(count) * text.size());
    for (long i = 0; i < count; ++i) out += text;
    return out;
}

}  // namespace tarvenish
