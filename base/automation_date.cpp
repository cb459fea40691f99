#include "base/automation_date.h"

#include <cmath>
#include <cstdint>

#include "base/calendar.h"
#include "base/date_reader.h"

namespace tarvenish {

namespace {

constexpr double kSecondsPerDay = 86400.0;

// 1899-12-30, day 0 of an automation date.
const std::int64_t kEpochOffset = daysSinceEpoch({1899, 12, 30});

}  // namespace

bool isCalendarDate(Date d) noexcept {
    static const double first = static_cast<double>(daysSinceEpoch({100, 1, 1}) - kEpochOffset);
    static const double afterLast = static_cast<double>(daysSinceEpoch({10000, 1, 1}) - kEpochOffset);
    // Before day 0 the whole part counts backwards, so the last day's times lie above its whole number.
    return d.days > first - 1.0 && d.days < afterLast;
}

Date makeDate(int year, int month, int day, int hour, int minute, int second) {
    const auto dayNumber = static_cast<double>(daysSinceEpoch({year, month, day}) - kEpochOffset);
    const double fraction = (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
    // Before day 0 the whole part counts backwards but the fraction still runs forward through the day.
    return Date{dayNumber < 0 ? dayNumber - fraction : dayNumber + fraction};
}

void splitDate(Date d, int& year, int& month, int& day, int& hour, int& minute, int& second) {
    double whole = std::trunc(d.days);
    auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(d.days - whole) * kSecondsPerDay));
    auto dayNumber = static_cast<std::int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++dayNumber;
    }
    const CalendarDay calendarDay = dayAfterEpoch(dayNumber + kEpochOffset);
    year = calendarDay.year;
    month = calendarDay.month;
    day = calendarDay.day;
    hour = static_cast<int>(seconds / 3600);
    minute = static_cast<int>(seconds / 60 % 60);
    second = static_cast<int>(seconds % 60);
}

std::string dateText(Date d) {
    DateTimeParts parts;
    splitDate(d, parts.day.year, parts.day.month, parts.day.day, parts.hour, parts.minute, parts.second);
    return dateTimeText(parts);
}

bool parseDate(std::string_view text, Date& out) {
    const auto parts = readStoredDate(text);
    if (!parts) return false;
    const CalendarDay& day = parts->day;
    Date date = makeDate(day.year, day.month, day.day, parts->hour, parts->minute, parts->second);
    if (parts->fraction > 0.0)
        date.days += (date.days < 0 ? -parts->fraction : parts->fraction) / kSecondsPerDay;
    out = date;
    return true;
}

}  // namespace tarvenish
