#include "ledger/db/value.h"

#include <cmath>

#include "base/ascii_text.h"
#include "base/number_format.h"

namespace tarvenish {

ValueKind Value::kind() const {
    return static_cast<ValueKind>(m_v.index());
}

std::string Value::asText() const {
    switch (kind()) {
        case ValueKind::Empty:
            return {};
        case ValueKind::Null:
            throw ConversionError("a Null value has no text");
        case ValueKind::Integer:
            return std::to_string(std::get<std::int16_t>(m_v));
        case ValueKind::Long:
            return std::to_string(std::get<std::int64_t>(m_v));
        case ValueKind::Double:
            return shortestText(std::get<double>(m_v));
        case ValueKind::Text:
            return std::get<std::string>(m_v);
        case ValueKind::Date:
            return dateText(std::get<Date>(m_v));
        case ValueKind::Boolean:
            return std::get<BoolTag>(m_v).value ? "True" : "False";
    }
    return {};
}

std::string Value::displayText() const {
    return isNull() ? std::string() : asText();
}

double Value::asDouble() const {
    switch (kind()) {
        case ValueKind::Empty:
            return 0.0;
        case ValueKind::Null:
            throw ConversionError("a Null value is not a number");
        case ValueKind::Integer:
            return std::get<std::int16_t>(m_v);
        case ValueKind::Long:
            return static_cast<double>(std::get<std::int64_t>(m_v));
        case ValueKind::Double:
            return std::get<double>(m_v);
        case ValueKind::Text: {
            double out = 0.0;
            if (!parseNumber(std::get<std::string>(m_v), out))
                throw ConversionError("the text \"" + std::get<std::string>(m_v) + "\" is not a number");
            return out;
        }
        case ValueKind::Date:
            return std::get<Date>(m_v).days;
        case ValueKind::Boolean:
            return std::get<BoolTag>(m_v).value ? -1.0 : 0.0;
    }
    return 0.0;
}

std::int64_t Value::asLong() const {
    const ValueKind k = kind();
    if (k == ValueKind::Integer || k == ValueKind::Long || k == ValueKind::Boolean) return rawInteger();
    // nearbyint rounds half to even in the default rounding mode, as the automation conversions do.
    const double rounded = std::nearbyint(asDouble());
    if (!std::isfinite(rounded) || rounded < -9223372036854775808.0 || rounded >= 9223372036854775808.0)
        throw ConversionError("the value " + asText() + " does not fit a 64-bit integer");
    return static_cast<std::int64_t>(rounded);
}

Date Value::asDate() const {
    // A number of days outside the calendar would be written as a year of ten digits, or not at all.
    const auto inCalendar = [](Date date) {
        if (!isCalendarDate(date))
            throw ConversionError("the day count " + shortestText(date.days) +
                                  " is not a date of the years 100 to 9999");
        return date;
    };
    switch (kind()) {
        case ValueKind::Date:
            return inCalendar(std::get<Date>(m_v));
        case ValueKind::Integer:
        case ValueKind::Long:
        case ValueKind::Double:
            return inCalendar(Date{asDouble()});
        case ValueKind::Text: {
            Date out;
            if (parseDate(std::get<std::string>(m_v), out)) return out;
            throw ConversionError("the text \"" + std::get<std::string>(m_v) + "\" is not a date");
        }
        case ValueKind::Null:
            throw ConversionError("a Null value is not a date");
        default:
            throw ConversionError("the value is not a date");
    }
}

bool Value::asBool() const {
    switch (kind()) {
        case ValueKind::Boolean:
            return std::get<BoolTag>(m_v).value;
        case ValueKind::Null:
            throw ConversionError("a Null value is not a Boolean");
        case ValueKind::Text: {
            const std::string_view text = trimmed(std::get<std::string>(m_v));
            if (equalsNoCase(text, "True")) return true;
            if (equalsNoCase(text, "False")) return false;
            double number = 0.0;
            if (parseNumber(text, number)) return number != 0.0;
            throw ConversionError("the text \"" + std::get<std::string>(m_v) + "\" is not a Boolean");
        }
        default:
            return asDouble() != 0.0;
    }
}

std::int64_t Value::rawInteger() const {
    switch (kind()) {
        case ValueKind::Integer:
            return std::get<std::int16_t>(m_v);
        case ValueKind::Long:
            return std::get<std::int64_t>(m_v);
        case ValueKind::Boolean:
            return std::get<BoolTag>(m_v).value ? -1 : 0;
        default:
            throw ConversionError("the value is not an integer");
    }
}

}  // namespace tarvenish
