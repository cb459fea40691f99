#pragma once
// The small variant that crosses the database layer: what a field holds and what a caller assigns.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

#include "base/automation_date.h"

namespace tarvenish {

// Raised when a value cannot be turned into the kind a caller asks for (a Null read as text, "abc" as a
// number).
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ValueKind { Empty, Null, Integer, Long, Double, Text, Date, Boolean };

// Empty (never assigned), Null, 16-bit Integer, 32/64-bit Long, Double, Text (UTF-8), Date, Boolean (-1/0).
class Value {
public:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) = default;
    };
    struct BoolTag {
        bool value = false;
        friend bool operator==(BoolTag, BoolTag) = default;
    };

    Value() = default;
    static Value null() { return Value(NullTag{}); }
    static Value integer(std::int16_t v) { return Value(v); }
    static Value longInt(std::int64_t v) { return Value(v); }
    static Value real(double v) { return Value(v); }
    static Value text(std::string v) { return Value(std::move(v)); }
    static Value date(Date v) { return Value(v); }
    static Value boolean(bool v) { return Value(BoolTag{v}); }

    [[nodiscard]] ValueKind kind() const;
    [[nodiscard]] bool isEmpty() const { return kind() == ValueKind::Empty; }
    [[nodiscard]] bool isNull() const { return kind() == ValueKind::Null; }

    // The value as text: numbers in their shortest exact form, dates as "YYYY-MM-DD[ HH:MM:SS]",
    // Booleans as "True"/"False", Empty as "". Throws ConversionError on Null.
    [[nodiscard]] std::string asText() const;
    // As asText, but Null gives the empty text (the clip-string form of a recordset).
    [[nodiscard]] std::string displayText() const;
    // The value as a Double: numbers as they are, a text that is a number as a whole, a date's day count,
    // a Boolean as -1/0, Empty as 0. Throws ConversionError on Null or a non-numeric text.
    [[nodiscard]] double asDouble() const;
    // As asDouble, rounded half to even to a 64-bit integer.
    [[nodiscard]] std::int64_t asLong() const;
    // A date value, or a text that reads as a date, or a number of days, of the years 100 to 9999. Throws
    // ConversionError otherwise.
    [[nodiscard]] Date asDate() const;
    // Booleans as they are; numbers non-zero; texts "True"/"False" or numeric. Throws ConversionError
    // otherwise.
    [[nodiscard]] bool asBool() const;

    // The raw alternatives, for engines that bind by kind.
    [[nodiscard]] std::int64_t rawInteger() const;  // Integer, Long or Boolean (-1/0)
    [[nodiscard]] double rawDouble() const { return std::get<double>(m_v); }
    [[nodiscard]] const std::string& rawText() const { return std::get<std::string>(m_v); }
    [[nodiscard]] Date rawDate() const { return std::get<Date>(m_v); }

    friend bool operator==(const Value&, const Value&) = default;

private:
    using Storage =
        std::variant<std::monostate, NullTag, std::int16_t, std::int64_t, double, std::string, Date, BoolTag>;
    template <typename T>
    explicit Value(T v) : m_v(std::move(v)) {}
    Storage m_v;
};

}  // namespace tarvenish
