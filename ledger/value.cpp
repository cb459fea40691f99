#include "ledger/value.h"

#include <cmath>
#include <cstdio>

#include "base/number_format.h"

namespace tarvenish {

namespace {

constexpr double kSecondsPerDay = 86400.0;

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

// 1899-12-30, day 0 of an automation date.
const std::int64_t kEpochOffset = daysFromCivil(1899, 12, 30);

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Reads between minDigits and maxDigits decimal digits at `pos`.
bool readNumber(std::string_view text, std::size_t& pos, std::size_t minDigits, std::size_t maxDigits,
                int& out) {
    std::size_t count = 0;
    out = 0;
    while (pos < text.size() && count < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        out = out * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return count >= minDigits;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

ValueKind Value::kind() const {
    return static_cast<ValueKind>(m_v.index());
}

std::string Value::asText() const {
    switch (kind()) {
        case ValueKind::Empty:
            return {};
        case ValueKind::Null:
            throw ConversionError("a Null value has no text");
        case ValueKind::Integer:
            return std::to_string(std::get<std::int16_t>(m_v));
        case ValueKind::Long:
            return std::to_string(std::get<std::int64_t>(m_v));
        case ValueKind::Double:
            return shortestText(std::get<double>(m_v));
        case ValueKind::Text:
            return std::get<std::string>(m_v);
        case ValueKind::Date:
            return dateText(std::get<Date>(m_v));
        case ValueKind::Boolean:
            return std::get<BoolTag>(m_v).value ? "True" : "False";
    }
    return {};
}

std::string Value::displayText() const {
    return isNull() ? std::string() : asText();
}

double Value::asDouble() const {
    switch (kind()) {
        case ValueKind::Empty:
            return 0.0;
        case ValueKind::Null:
            throw ConversionError("a Null value is not a number");
        case ValueKind::Integer:
            return std::get<std::int16_t>(m_v);
        case ValueKind::Long:
            return static_cast<double>(std::get<std::int64_t>(m_v));
        case ValueKind::Double:
            return std::get<double>(m_v);
        case ValueKind::Text: {
            double out = 0.0;
            if (!parseNumber(std::get<std::string>(m_v), out))
                throw ConversionError("the text \"" + std::get<std::string>(m_v) + "\" is not a number");
            return out;
        }
        case ValueKind::Date:
            return std::get<Date>(m_v).days;
        case ValueKind::Boolean:
            return std::get<BoolTag>(m_v).value ? -1.0 : 0.0;
    }
    return 0.0;
}

std::int64_t Value::asLong() const {
    const ValueKind k = kind();
    if (k == ValueKind::Integer || k == ValueKind::Long || k == ValueKind::Boolean) return rawInteger();
    // nearbyint rounds half to even in the default rounding mode, as the automation conversions do.
    const double rounded = std::nearbyint(asDouble());
    if (!std::isfinite(rounded) || rounded < -9223372036854775808.0 || rounded >= 9223372036854775808.0)
        throw ConversionError("the value " + asText() + " does not fit a 64-bit integer");
    return static_cast<std::int64_t>(rounded);
}

Date Value::asDate() const {
    // A number of days outside the calendar would be written as a year of ten digits, or not at all.
    const auto inCalendar = [](Date date) {
        if (!isCalendarDate(date))
            throw ConversionError("the day count " + shortestText(date.days) +
                                  " is not a date of the years 100 to 9999");
        return date;
    };
    switch (kind()) {
        case ValueKind::Date:
            return inCalendar(std::get<Date>(m_v));
        case ValueKind::Integer:
        case ValueKind::Long:
        case ValueKind::Double:
            return inCalendar(Date{asDouble()});
        case ValueKind::Text: {
            Date out;
            if (parseDate(std::get<std::string>(m_v), out)) return out;
            throw ConversionError("the text \"" + std::get<std::string>(m_v) + "\" is not a date");
        }
        case ValueKind::Null:
            throw ConversionError("a Null value is not a date");
        default:
            throw ConversionError("the value is not a date");
    }
}

bool Value::asBool() const {
    switch (kind()) {
        case ValueKind::Boolean:
            return std::get<BoolTag>(m_v).value;
        case ValueKind::Null:
            throw ConversionError("a Null value is not a Boolean");
        case ValueKind::Text: {
            const std::string_view text = trimmed(std::get<std::string>(m_v));
            if (equalsIgnoringCase(text, "True")) return true;
            if (equalsIgnoringCase(text, "False")) return false;
            double number = 0.0;
            if (parseNumber(text, number)) return number != 0.0;
            throw ConversionError("the text \"" + std::get<std::string>(m_v) + "\" is not a Boolean");
        }
        default:
            return asDouble() != 0.0;
    }
}

std::int64_t Value::rawInteger() const {
    switch (kind()) {
        case ValueKind::Integer:
            return std::get<std::int16_t>(m_v);
        case ValueKind::Long:
            return std::get<std::int64_t>(m_v);
        case ValueKind::Boolean:
            return std::get<BoolTag>(m_v).value ? -1 : 0;
        default:
            throw ConversionError("the value is not an integer");
    }
}

bool isCalendarDate(Date d) noexcept {
    static const double first = static_cast<double>(daysFromCivil(100, 1, 1) - kEpochOffset);
    static const double afterLast = static_cast<double>(daysFromCivil(10000, 1, 1) - kEpochOffset);
    // Before day 0 the whole part counts backwards, so the last day's times lie above its whole number.
    return d.days > first - 1.0 && d.days < afterLast;
}

Date makeDate(int year, int month, int day, int hour, int minute, int second) {
    const auto dayNumber = static_cast<double>(
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochOffset);
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
    civilFromDays(dayNumber + kEpochOffset, year, month, day);
    hour = static_cast<int>(seconds / 3600);
    minute = static_cast<int>(seconds / 60 % 60);
    second = static_cast<int>(seconds % 60);
}

std::string dateText(Date d) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    splitDate(d, year, month, day, hour, minute, second);
    char buffer[48];
    if (hour == 0 && minute == 0 && second == 0)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                      second);
    return buffer;
}

bool parseDate(std::string_view text, Date& out) {
    text = trimmed(text);
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!readNumber(text, pos, 4, 4, year) || pos >= text.size()) return false;
    const char separator = text[pos];
    if (separator != '-' && separator != '/' && separator != '.') return false;
    ++pos;
    if (!readNumber(text, pos, 1, 2, month) || pos >= text.size() || text[pos] != separator) return false;
    ++pos;
    if (!readNumber(text, pos, 1, 2, day)) return false;
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return false;
    double fraction = 0.0;
    if (pos < text.size()) {
        if (text[pos] != ' ' && text[pos] != 'T') return false;
        ++pos;
        if (!readNumber(text, pos, 1, 2, hour) || pos >= text.size() || text[pos] != ':') return false;
        ++pos;
        if (!readNumber(text, pos, 2, 2, minute)) return false;
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            if (!readNumber(text, pos, 2, 2, second)) return false;
            // Fractions of a second, as SQLite's own date functions write them.
            if (pos < text.size() && text[pos] == '.') {
                ++pos;
                double scale = 0.1;
                const std::size_t start = pos;
                for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, scale /= 10)
                    fraction += (text[pos] - '0') * scale;
                if (pos == start) return false;
            }
        }
        if (pos != text.size() || hour > 23 || minute > 59 || second > 59) return false;
    }
    Date date = makeDate(year, month, day, hour, minute, second);
    if (fraction > 0.0) date.days += (date.days < 0 ? -fraction : fraction) / kSecondsPerDay;
    out = date;
    return true;
}

}  // namespace tarvenish
