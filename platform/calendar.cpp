#include "platform/calendar.h"

#include <chrono>

namespace tarvenish {

namespace {

std::chrono::year_month_day toChrono(const CalendarDay& day) noexcept {
    return {std::chrono::year{day.year}, std::chrono::month{static_cast<unsigned>(day.month)},
            std::chrono::day{static_cast<unsigned>(day.day)}};
}

}  // namespace

bool isCalendarDay(const CalendarDay& day) noexcept {
    return day.year >= 100 && day.year <= 9999 && day.month >= 1 && day.month <= 12 && day.day >= 1 &&
           day.day <= 31 && toChrono(day).ok();
}

std::int64_t daysSinceEpoch(const CalendarDay& day) noexcept {
    return std::chrono::sys_days{toChrono(day)}.time_since_epoch().count();
}

CalendarDay dayAfterEpoch(std::int64_t days) noexcept {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

}  // namespace tarvenish
