#include "automation/variant.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "base/ascii_text.h"
#include "base/number_format.h"

namespace tarvenish {

namespace {

// The shortest text that reads back as the same double, in std::to_chars' own choice of notation.
std::string roundTripText(double v) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

template <typename Int>
Int roundToInteger(double v, const Variant& source, VariantType target) {
    // Automation rounds half to even ("banker's rounding") when it narrows a number to an integer.
    const double rounded = std::nearbyint(v);
    if (!std::isfinite(rounded) || rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        throw VariantError(VariantError::Reason::Overflow, std::string(variantTypeName(source.type())) +
                                                               " value out of range for " +
                                                               variantTypeName(target));
    }
    return static_cast<Int>(rounded);
}

}  // namespace

const char* variantTypeName(VariantType type) noexcept {
    switch (type) {
        case VariantType::Empty:
            return "Empty";
        case VariantType::Null:
            return "Null";
        case VariantType::I2:
            return "Integer";
        case VariantType::I4:
            return "Long";
        case VariantType::R8:
            return "Double";
        case VariantType::Date:
            return "Date";
        case VariantType::String:
            return "String";
        case VariantType::Object:
            return "Object";
        case VariantType::Bool:
            return "Boolean";
    }
    return "unknown";
}

Variant Variant::fromValue(const Value& value) {
    switch (value.kind()) {
        case ValueKind::Empty:
            return Variant();
        case ValueKind::Null:
            return null();
        case ValueKind::Integer:
            return i2(static_cast<std::int16_t>(value.rawInteger()));
        case ValueKind::Long: {
            const std::int64_t v = value.rawInteger();
            if (v >= std::numeric_limits<std::int32_t>::min() &&
                v <= std::numeric_limits<std::int32_t>::max())
                return i4(static_cast<std::int32_t>(v));
            return r8(static_cast<double>(v));
        }
        case ValueKind::Double:
            return r8(value.rawDouble());
        case ValueKind::Text:
            return string(value.rawText());
        case ValueKind::Date:
            return date(value.rawDate());
        case ValueKind::Boolean:
            return boolean(value.rawInteger() != 0);
    }
    return Variant();
}

VariantType Variant::type() const noexcept {
    switch (m_v.index()) {
        case 0:
            return VariantType::Empty;
        case 1:
            return VariantType::Null;
        case 2:
            return VariantType::I2;
        case 3:
            return VariantType::I4;
        case 4:
            return VariantType::R8;
        case 5:
            return VariantType::Date;
        case 6:
            return VariantType::String;
        case 7:
            return VariantType::Bool;
        default:
            return VariantType::Object;
    }
}

void Variant::mismatch(VariantType target) const {
    std::string message =
        std::string("cannot convert ") + variantTypeName(type()) + " to " + variantTypeName(target);
    if (const auto* text = std::get_if<std::string>(&m_v)) message += " (\"" + *text + "\")";
    throw VariantError(VariantError::Reason::TypeMismatch, message);
}

double Variant::numeric(VariantType target) const {
    switch (type()) {
        case VariantType::Empty:
            return 0.0;
        case VariantType::I2:
            return std::get<std::int16_t>(m_v);
        case VariantType::I4:
            return std::get<std::int32_t>(m_v);
        case VariantType::R8:
            return std::get<double>(m_v);
        case VariantType::Date:
            return std::get<Date>(m_v).days;
        case VariantType::Bool:
            return std::get<BoolTag>(m_v).value ? -1.0 : 0.0;
        case VariantType::String: {
            double v = 0.0;
            if (parseNumber(std::get<std::string>(m_v), v)) return v;
            break;
        }
        case VariantType::Null:
        case VariantType::Object:
            break;
    }
    mismatch(target);
}

std::int16_t Variant::toI2() const {
    if (const auto* v = std::get_if<std::int16_t>(&m_v)) return *v;
    return roundToInteger<std::int16_t>(numeric(VariantType::I2), *this, VariantType::I2);
}

std::int32_t Variant::toI4() const {
    if (const auto* v = std::get_if<std::int32_t>(&m_v)) return *v;
    return roundToInteger<std::int32_t>(numeric(VariantType::I4), *this, VariantType::I4);
}

double Variant::toR8() const {
    return numeric(VariantType::R8);
}

Date Variant::toDate() const {
    if (const auto* text = std::get_if<std::string>(&m_v)) {
        Date d;
        if (parseDate(*text, d)) return d;
        mismatch(VariantType::Date);
    }
    return Date{numeric(VariantType::Date)};
}

bool Variant::toBool() const {
    if (const auto* text = std::get_if<std::string>(&m_v)) {
        if (equalsNoCase(trimmed(*text), "True")) return true;
        if (equalsNoCase(trimmed(*text), "False")) return false;
    }
    return numeric(VariantType::Bool) != 0.0;
}

std::string Variant::toString() const {
    switch (type()) {
        case VariantType::Empty:
            return std::string();
        case VariantType::I2:
            return std::to_string(std::get<std::int16_t>(m_v));
        case VariantType::I4:
            return std::to_string(std::get<std::int32_t>(m_v));
        case VariantType::R8:
            return roundTripText(std::get<double>(m_v));
        case VariantType::Date:
            return dateText(std::get<Date>(m_v));
        case VariantType::String:
            return std::get<std::string>(m_v);
        case VariantType::Bool:
            return std::get<BoolTag>(m_v).value ? "True" : "False";
        case VariantType::Null:
        case VariantType::Object:
            break;
    }
    mismatch(VariantType::String);
}

ConnectionPtr Variant::toConnection() const {
    if (const auto* c = std::get_if<ConnectionPtr>(&m_v)) return *c;
    mismatch(VariantType::Object);
}

Variant Variant::coerce(VariantType target) const {
    if (target == type()) return *this;
    switch (target) {
        case VariantType::I2:
            return i2(toI2());
        case VariantType::I4:
            return i4(toI4());
        case VariantType::R8:
            return r8(toR8());
        case VariantType::Date:
            return date(toDate());
        case VariantType::String:
            return string(toString());
        case VariantType::Bool:
            return boolean(toBool());
        case VariantType::Object:
            return object(toConnection());
        case VariantType::Empty:
        case VariantType::Null:
            break;
    }
    mismatch(target);
}

}  // namespace tarvenish
