#pragma once
// The one reader of date texts. Two grammars: the form the system stores and splices dates in, and the
// desktop engine's date literal between # signs, which also takes a month-first day and a 12-hour time.

#include <optional>
#include <string>
#include <string_view>

#include "base/calendar.h"

namespace tarvenish {

// A calendar day with a time of day.
struct DateTimeParts {
    CalendarDay day;
    int hour = 0;
    int minute = 0;
    int second = 0;
    double fraction = 0.0;  // of a second, [0, 1)
};

// Reads "YYYY-MM-DD", "YYYY/MM/DD" or "YYYY.MM.DD", optionally followed by " HH:MM[:SS[.fff]]" or
// "THH:MM[:SS[.fff]]", with a real calendar day of the years 100 to 9999. Blanks around it are allowed.
[[nodiscard]] std::optional<DateTimeParts> readStoredDate(std::string_view text);

// Reads the text between the desktop engine's # signs: "YYYY-M-D", "YYYY/M/D" or "M/D/YYYY" (an ambiguous
// literal is month first), optionally followed by a blank or 'T' and "H:MM[:SS[.fff]]" with an optional
// AM/PM. The fraction of a second is dropped. Spaces around it are allowed.
[[nodiscard]] std::optional<DateTimeParts> readDateLiteral(std::string_view inside);

// "YYYY-MM-DD", followed by " HH:MM:SS" only when the time is not midnight.
[[nodiscard]] std::string dateTimeText(const DateTimeParts& parts);

}  // namespace tarvenish
