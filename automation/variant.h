#pragma once
// The automation variant that crosses the dispatch surface, and the coercions its members' parameters need.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>

#include "automation/com_abi.h"
#include "ledger/db/connection.h"
#include "ledger/db/value.h"

namespace tarvenish {

// The variant's type, tagged as the binary surface tags it.
enum class VariantType : std::uint16_t {
    Empty = TV_VT_EMPTY,
    Null = TV_VT_NULL,
    I2 = TV_VT_I2,
    I4 = TV_VT_I4,
    R8 = TV_VT_R8,
    Date = TV_VT_DATE,
    String = TV_VT_STRING,
    Object = TV_VT_CONNECTION,
    Bool = TV_VT_BOOL,
};

// The readable name of a type ("Integer", "String", "Object" ...), for error messages.
[[nodiscard]] const char* variantTypeName(VariantType type) noexcept;

// Raised when a variant cannot be coerced to the type asked for.
class VariantError : public std::runtime_error {
public:
    enum class Reason { TypeMismatch, Overflow };
    VariantError(Reason reason, const std::string& message) : std::runtime_error(message), m_reason(reason) {}
    [[nodiscard]] Reason reason() const noexcept { return m_reason; }

private:
    Reason m_reason;
};

// Empty, Null, 16-bit Integer, 32-bit Long, Double, Date, String (UTF-8), Boolean (-1/0) or a reference to a
// connection (a null reference being "Nothing").
class Variant {
public:
    Variant() = default;
    static Variant null() { return Variant(NullTag{}); }
    static Variant i2(std::int16_t v) { return Variant(v); }
    static Variant i4(std::int32_t v) { return Variant(v); }
    static Variant r8(double v) { return Variant(v); }
    static Variant date(Date v) { return Variant(v); }
    static Variant string(std::string v) { return Variant(std::move(v)); }
    static Variant boolean(bool v) { return Variant(BoolTag{v}); }
    static Variant object(ConnectionPtr v) { return Variant(std::move(v)); }
    // The database layer's value as a variant: a Long that does not fit 32 bits becomes a Double.
    [[nodiscard]] static Variant fromValue(const Value& value);

    [[nodiscard]] VariantType type() const noexcept;
    [[nodiscard]] bool isEmpty() const noexcept { return type() == VariantType::Empty; }

    // Coercions as the automation layer does them. Each throws VariantError (TypeMismatch for Null, an object
    // or a text that does not read as the type; Overflow for a number out of range).
    // Numbers rounded half to even; Boolean -1/0; Empty 0; a text that is a number as a whole.
    [[nodiscard]] std::int16_t toI2() const;
    [[nodiscard]] std::int32_t toI4() const;
    // Numbers as they are, a date's day count, Boolean -1/0, Empty 0, a text that is a number as a whole.
    [[nodiscard]] double toR8() const;
    // A date, a number of days, Empty as 1899-12-30, a text that reads as a date.
    [[nodiscard]] Date toDate() const;
    // Booleans as they are, numbers non-zero, Empty false, texts "True"/"False" (any case) or numeric.
    [[nodiscard]] bool toBool() const;
    // Texts as they are, Empty "", numbers in their shortest exact form, dates as dateText, "True"/"False".
    [[nodiscard]] std::string toString() const;
    // The connection of an object variant (null for Nothing); every other type is a mismatch.
    [[nodiscard]] ConnectionPtr toConnection() const;
    // This variant coerced to `type` (Empty and Null only from themselves).
    [[nodiscard]] Variant coerce(VariantType type) const;

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) = default;
    };
    struct BoolTag {
        bool value = false;
        friend bool operator==(BoolTag, BoolTag) = default;
    };
    using Storage = std::variant<std::monostate, NullTag, std::int16_t, std::int32_t, double, Date,
                                 std::string, BoolTag, ConnectionPtr>;
    template <typename T>
    explicit Variant(T v) : m_v(std::move(v)) {}

    [[nodiscard]] double numeric(VariantType target) const;
    [[noreturn]] void mismatch(VariantType target) const;

    Storage m_v;
};

}  // namespace tarvenish
