#include "base/calendar.h"

#include <chrono>

namespace tarvenish {

namespace {

std::chrono::year_month_day toChrono(const CalendarDay& day) noexcept {
    return {std::chrono::year{day.year}, std::chrono::month{static_cast<unsigned>(day.month)},
            std::chrono::day{static_cast<unsigned>(day.day)}};
}

// Rounds towards minus infinity, as the calendar's cycles count.
constexpr std::int64_t floorDivide(std::int64_t a, std::int64_t b) noexcept {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

}  // namespace

bool isCalendarDay(const CalendarDay& day) noexcept {
    return day.year >= 100 && day.year <= 9999 && day.month >= 1 && day.month <= 12 && day.day >= 1 &&
           day.day <= 31 && toChrono(day).ok();
}

// The Gregorian calendar repeats every 400 years, which are exactly this many days: a day outside the years
// <chrono> holds is moved by whole cycles into them and back.
constexpr std::int64_t kCycleYears = 400;
constexpr std::int64_t kCycleDays = 146097;

std::int64_t daysSinceEpoch(const CalendarDay& day) noexcept {
    const std::int64_t cycles = floorDivide(day.year - 2000, kCycleYears);
    const CalendarDay inRange{static_cast<int>(day.year - cycles * kCycleYears), day.month, day.day};
    return std::chrono::sys_days{toChrono(inRange)}.time_since_epoch().count() + cycles * kCycleDays;
}

CalendarDay dayAfterEpoch(std::int64_t days) noexcept {
    const std::int64_t cycles = floorDivide(days, kCycleDays);
    const std::chrono::year_month_day date{
        std::chrono::sys_days{std::chrono::days{days - cycles * kCycleDays}}};
    return {static_cast<int>(static_cast<int>(date.year()) + cycles * kCycleYears),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

}  // namespace tarvenish
