#include "component/settings.h"

#include <algorithm>
#include <optional>

#include "base/ascii_text.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/sql/host_tables.h"
#include "ledger/sql/statements.h"

namespace tarvenish {
namespace {

constexpr int kMostDecimals = 10;

// The AccInformation row of a setting as the database holds it.
struct SettingRow {
    bool found = false;
    Value value;
    Value fallback;
};

SettingRow readSettingRow(std::string_view system, std::string_view name) {
    SettingRow row;
    Recordset rs;
    openReadOnlyQuery(rs, sql::accSetting(system, name), sharedState().conn().connectionString(),
                      CursorType::ForwardOnly);
    if (!rs.eof()) row = SettingRow{true, rs.field("cvalue"), rs.field("cDefault")};
    rs.close();
    return row;
}

// The number of decimals a text of digits only (blanks around them allowed) stands for; nullopt for any
// other text or more than the most decimals.
std::optional<int> decimalsOf(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    // Leading zeros stand for nothing; past them, three digits are more than the most decimals anyway.
    text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
    if (text.size() > 2) return std::nullopt;
    int decimals = 0;
    for (const char c : text) decimals = decimals * 10 + (c - '0');
    if (decimals > kMostDecimals) return std::nullopt;
    return decimals;
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
    const SettingRow row = readSettingRow(system, name);
    if (!row.found) return Value::text("");
    const Value& chosen = row.value.isNull() || row.value.displayText().empty() ? row.fallback : row.value;
    return chosen.isNull() ? Value::null() : Value::text(chosen.asText());
}

std::int16_t ReadDecimalsSetting(std::string_view name) {
    const SettingRow row = readSettingRow(host::kSystemAA, name);
    // No row at all is an account set that never set the decimals: it has shown whole numbers so far.
    if (!row.found) return 0;
    const Value& chosen =
        row.value.isNull() || isBlankText(row.value.displayText()) ? row.fallback : row.value;
    const std::string what =
        "the decimals setting " + std::string(name) + " of system " + std::string(host::kSystemAA) + " is ";
    const std::string rule = ", not a whole number from 0 to " + std::to_string(kMostDecimals);
    if (chosen.isNull()) {
        throw SettingError(what +
                           (row.value.isNull() ? std::string("Null in both cValue and cDefault")
                                               : "'" + row.value.asText() + "' with a Null cDefault") +
                           rule);
    }
    const std::string text = chosen.asText();
    const std::optional<int> decimals = decimalsOf(text);
    if (!decimals) throw SettingError(what + "'" + text + "'" + rule);
    return static_cast<std::int16_t>(*decimals);
}

void ReadDecimalsSettings(AccountSettingsRecord& settings) {
    settings.QuantityDigits = ReadDecimalsSetting(host::kQuantityDigitsSetting);
    settings.PriceDigits = ReadDecimalsSetting(host::kPriceDigitsSetting);
}

PairMode pairModeOf(const Value& valueStyle) {
    return valueStyle.kind() == ValueKind::Text && valueStyle.rawText() == host::kByWarehouse
               ? PairMode::Warehouse
               : PairMode::Department;
}

void ReadAccountSettings(AccountSettingsRecord& settings) {
    const PairMode mode = pairModeOf(GetAccSetting(host::kSystemIA, host::kValueStyleSetting));
    settings.ByDepartment = mode == PairMode::Department;
    ReadDecimalsSettings(settings);

    const Statement statement = sql::settingsOpeningRow(mode);
    const std::string& sql = statement.text();
    Recordset rs;
    openReadOnlyQuery(rs, statement, sharedState().conn().connectionString(), CursorType::ForwardOnly);
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
    const Statement statement = sql::keepDate();
    const std::string& sql = statement.text();
    Recordset rs;
    openReadOnlyQuery(rs, statement, connection.connectionString(), CursorType::Static);
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
