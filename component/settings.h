#pragma once
// Readers of the account set's settings and opening keep date, and the digit strings of the number masks.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "component/shared_state.h"
#include "ledger/db/connection.h"
#include "ledger/db/value.h"
#include "ledger/sql/statements.h"

namespace tarvenish {

// The setting's text (cValue, or cDefault when cValue is empty or Null; Null when both are), the empty text
// when there is no such row. Reads through SharedState's Conn. Throws on any failure.
[[nodiscard]] Value GetAccSetting(std::string_view system, std::string_view name);

// The pairing mode that the setting cValueStyle of system IA names: warehouse mode for exactly the text
// "按仓库核算", department mode for anything else (Null, empty, a number or another text).
[[nodiscard]] PairMode pairModeOf(const Value& valueStyle);

// A decimals setting that is no whole number from 0 to 10; what() names the setting and its value.
class SettingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The decimals setting `name` of system AA: cValue, or cDefault when cValue is Null, empty or blanks, taken
// as a whole number from 0 to 10 (digits only, blanks around them allowed: "2", " 2" and "02" give 2); 0
// when the account set has no such row. Throws SettingError for a Null or any other text, DbError when the
// setting cannot be read.
[[nodiscard]] std::int16_t ReadDecimalsSetting(std::string_view name);

// QuantityDigits and PriceDigits of the record from iStrsQuanDecDgt and iStrsPriDecDgt. Throws as
// ReadDecimalsSetting, with the quantity's digits kept when the price's setting fails.
void ReadDecimalsSettings(AccountSettingsRecord& settings);

// Fills the record (mode, digits, accounter, maker, DepWhCode in department mode). Throws on any failure,
// with the fields assigned before the failing step kept.
void ReadAccountSettings(AccountSettingsRecord& settings);

// The dkeepdate of the first opening row the database returns. Throws when there is none or it is Null.
[[nodiscard]] Date GetKeepDate(Connection& connection);

// `text` written `count` times; the empty text for a count of 0 or less.
[[nodiscard]] std::string RepeatText(long count, std::string_view text);

}  // namespace tarvenish
