#pragma once
// Calendar arithmetic of the proleptic Gregorian calendar, on <chrono>'s year_month_day and sys_days.

#include <cstdint>

namespace tarvenish {

// A calendar day as years, months (1-12) and days (1-31).
struct CalendarDay {
    int year = 0;
    int month = 0;
    int day = 0;
};

// True for a real day (no 30 February) of the years 100 to 9999, the range the host's dates keep to.
[[nodiscard]] bool isCalendarDay(const CalendarDay& day) noexcept;

// Days from 1970-01-01 to `day`; negative before it.
[[nodiscard]] std::int64_t daysSinceEpoch(const CalendarDay& day) noexcept;

// The day `days` days after 1970-01-01.
[[nodiscard]] CalendarDay dayAfterEpoch(std::int64_t days) noexcept;

}  // namespace tarvenish
