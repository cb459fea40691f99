#pragma once
// How a value assigned to a field is converted to the field's declared type before it is stored, the way a
// database server converts what a client assigns.

#include <optional>
#include <string_view>

#include "ledger/db/value.h"

namespace tarvenish {

enum class ColumnAffinity { Integer, Real, Numeric, Text, Date };

// The conversion class of a declared type: DATE or TIME first, then SQLite's affinity rules (INT, then
// CHAR/CLOB/TEXT, then REAL/FLOA/DOUB, otherwise numeric); no type or BLOB counts as text.
[[nodiscard]] ColumnAffinity affinityOf(std::string_view declType);

// True when the declared type names a date or a time.
[[nodiscard]] bool isDateType(std::string_view declType);

// The value as a column of `affinity` stores it: numbers and numeric text as numbers, dates and date text as
// the date's text, anything as text for a text column, Null and Empty as Null. nullopt when it does not
// convert (empty or non-numeric text into a number, a non-date into a date).
[[nodiscard]] std::optional<Value> convertForColumn(ColumnAffinity affinity, const Value& value);

}  // namespace tarvenish
