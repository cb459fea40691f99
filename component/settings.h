#pragma once
// Readers of the account set's settings and opening keep date, and the digit strings of the number masks.

#include <string>
#include <string_view>

#include "component/shared_state.h"
#include "ledger/connection.h"
#include "ledger/value.h"

namespace tarvenish {

// The setting's text (cValue, or cDefault when cValue is empty or Null; Null when both are), the empty text
// when there is no such row. Reads through SharedState's Conn. Throws on any failure.
[[nodiscard]] Value GetAccSetting(std::string_view system, std::string_view name);

// Fills the record (mode, digits, accounter, maker, DepWhCode in department mode). Throws on any failure,
// with the fields assigned before the failing step kept.
void ReadAccountSettings(AccountSettingsRecord& settings);

// The dkeepdate of the first opening row the database returns. Throws when there is none or it is Null.
[[nodiscard]] Date GetKeepDate(Connection& connection);

// `text` written `count` times; the empty text for a count of 0 or less.
[[nodiscard]] std::string RepeatText(long count, std::string_view text);

}  // namespace tarvenish
