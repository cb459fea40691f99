#pragma once
// The host's automation date, the one date every layer passes around.

#include <string>
#include <string_view>

namespace tarvenish {

// An automation date: days since 1899-12-30, the fraction being the time of day.
struct Date {
    double days = 0.0;
    friend bool operator==(const Date&, const Date&) = default;
};

// Date helpers shared by every layer that reads or writes dates.
[[nodiscard]] Date makeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// True for a date of the years 100 to 9999, the automation date's range; false for NaN and infinities.
[[nodiscard]] bool isCalendarDate(Date d) noexcept;
// Splits a date into its calendar parts; seconds are rounded to the nearest whole second.
void splitDate(Date d, int& year, int& month, int& day, int& hour, int& minute, int& second);
// "YYYY-MM-DD", followed by " HH:MM:SS" only when the value has a time of day: the text that every statement
// splices and that both engines read as the same date.
[[nodiscard]] std::string dateText(Date d);
// Reads "YYYY-MM-DD", "YYYY/MM/DD" or "YYYY.MM.DD", optionally followed by " HH:MM[:SS]" or "THH:MM[:SS]",
// with a real calendar day (no 30 February). Leading and trailing blanks are allowed.
[[nodiscard]] bool parseDate(std::string_view text, Date& out);

}  // namespace tarvenish
