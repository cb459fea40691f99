#include "ledger/db/column_type.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/ascii_text.h"
#include "base/number_format.h"

namespace tarvenish {

namespace {

bool contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// A whole number kept exact where it fits 64 bits, otherwise a double.
Value numberValue(double number, bool preferWhole) {
    if (preferWhole && std::isfinite(number) && number == std::trunc(number) &&
        number >= -9223372036854775808.0 && number < 9223372036854775808.0)
        return Value::longInt(static_cast<std::int64_t>(number));
    return Value::real(number);
}

std::optional<Value> numberFromText(ColumnAffinity affinity, std::string_view text) {
    const std::string_view core = trimmed(text);
    if (affinity != ColumnAffinity::Real) {
        // Digits only: read exactly, so a long code-like number keeps every digit.
        if (std::int64_t whole = 0; parseWholeNumber(core, whole)) return Value::longInt(whole);
    }
    double number = 0.0;
    if (!parseNumber(core, number)) return std::nullopt;
    return numberValue(number, affinity != ColumnAffinity::Real);
}

}  // namespace

bool isDateType(std::string_view declType) {
    const std::string type = upperAsciiCopy(declType);
    return contains(type, "DATE") || contains(type, "TIME");
}

ColumnAffinity affinityOf(std::string_view declType) {
    const std::string type = upperAsciiCopy(declType);
    if (contains(type, "DATE") || contains(type, "TIME")) return ColumnAffinity::Date;
    if (contains(type, "INT")) return ColumnAffinity::Integer;
    if (contains(type, "CHAR") || contains(type, "CLOB") || contains(type, "TEXT"))
        return ColumnAffinity::Text;
    if (type.empty() || contains(type, "BLOB")) return ColumnAffinity::Text;
    if (contains(type, "REAL") || contains(type, "FLOA") || contains(type, "DOUB"))
        return ColumnAffinity::Real;
    return ColumnAffinity::Numeric;
}

std::optional<Value> convertForColumn(ColumnAffinity affinity, const Value& value) {
    if (value.isNull() || value.isEmpty()) return Value::null();
    const ValueKind kind = value.kind();
    switch (affinity) {
        case ColumnAffinity::Text:
            return Value::text(value.asText());
        case ColumnAffinity::Date:
            if (kind == ValueKind::Boolean) return std::nullopt;
            if (kind == ValueKind::Text) {
                Date date;
                if (!parseDate(value.rawText(), date)) return std::nullopt;
                return Value::text(dateText(date));
            }
            return Value::text(dateText(value.asDate()));
        case ColumnAffinity::Integer:
        case ColumnAffinity::Real:
        case ColumnAffinity::Numeric:
            switch (kind) {
                case ValueKind::Text:
                    return numberFromText(affinity, value.rawText());
                case ValueKind::Integer:
                case ValueKind::Long:
                case ValueKind::Boolean:
                    if (affinity == ColumnAffinity::Real)
                        return Value::real(static_cast<double>(value.rawInteger()));
                    return Value::longInt(value.rawInteger());
                default:
                    return numberValue(value.asDouble(), affinity != ColumnAffinity::Real);
            }
    }
    return std::nullopt;
}

}  // namespace tarvenish
