#include "base/date_reader.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/ascii_text.h"

namespace tarvenish {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads between minDigits and maxDigits decimal digits at `pos`.
bool readDigits(std::string_view text, std::size_t& pos, std::size_t minDigits, std::size_t maxDigits,
                int& out) {
    std::size_t count = 0;
    out = 0;
    while (pos < text.size() && count < maxDigits && isDigit(text[pos])) {
        out = out * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return count >= minDigits;
}

// True when the whole of `text` is between minDigits and maxDigits digits, read into `out`.
bool readWholeDigits(std::string_view text, std::size_t minDigits, std::size_t maxDigits, int& out) {
    std::size_t pos = 0;
    return readDigits(text, pos, minDigits, maxDigits, out) && pos == text.size();
}

// Reads ".fff" at `pos` as a fraction of a second; at least one digit.
bool readFraction(std::string_view text, std::size_t& pos, double& fraction) {
    ++pos;
    double scale = 0.1;
    const std::size_t start = pos;
    for (; pos < text.size() && isDigit(text[pos]); ++pos, scale /= 10) fraction += (text[pos] - '0') * scale;
    return pos > start;
}

std::vector<std::string_view> splitOn(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(
            text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

bool isDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

std::string_view withoutTrailingSpaces(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string_view withoutSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return withoutTrailingSpaces(text);
}

// "H:MM[:SS[.fff]] [AM|PM]" into `parts`; false when it is not a time of day.
bool readLiteralTime(std::string_view text, DateTimeParts& parts) {
    std::optional<bool> afternoon;
    text = withoutTrailingSpaces(text);
    if (text.size() >= 2) {
        const auto suffix = text.substr(text.size() - 2);
        if (equalsNoCase(suffix, "am") || equalsNoCase(suffix, "pm")) {
            afternoon = equalsNoCase(suffix, "pm");
            text = withoutTrailingSpaces(text.substr(0, text.size() - 2));
        }
    }
    const auto pieces = splitOn(text, ':');
    if (pieces.size() < 2 || pieces.size() > 3) return false;
    std::string_view secondsText = pieces.size() == 3 ? pieces[2] : std::string_view("0");
    if (const auto dot = secondsText.find('.'); dot != std::string_view::npos) {
        if (!isDigits(secondsText.substr(dot + 1))) return false;
        secondsText = secondsText.substr(0, dot);
    }
    if (!readWholeDigits(pieces[0], 1, 2, parts.hour) || !readWholeDigits(pieces[1], 2, 2, parts.minute) ||
        !readWholeDigits(secondsText, 1, 2, parts.second))
        return false;
    if (afternoon) {
        if (parts.hour < 1 || parts.hour > 12) return false;
        parts.hour = parts.hour % 12 + (*afternoon ? 12 : 0);
    }
    return parts.hour <= 23 && parts.minute <= 59 && parts.second <= 59;
}

}  // namespace

std::optional<DateTimeParts> readStoredDate(std::string_view text) {
    text = trimmed(text);
    DateTimeParts parts;
    CalendarDay& day = parts.day;
    std::size_t pos = 0;
    if (!readDigits(text, pos, 4, 4, day.year) || pos >= text.size()) return std::nullopt;
    const char separator = text[pos];
    if (separator != '-' && separator != '/' && separator != '.') return std::nullopt;
    ++pos;
    if (!readDigits(text, pos, 1, 2, day.month) || pos >= text.size() || text[pos] != separator)
        return std::nullopt;
    ++pos;
    if (!readDigits(text, pos, 1, 2, day.day) || !isCalendarDay(day)) return std::nullopt;
    if (pos == text.size()) return parts;
    if (text[pos] != ' ' && text[pos] != 'T') return std::nullopt;
    ++pos;
    if (!readDigits(text, pos, 1, 2, parts.hour) || pos >= text.size() || text[pos] != ':')
        return std::nullopt;
    ++pos;
    if (!readDigits(text, pos, 2, 2, parts.minute)) return std::nullopt;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!readDigits(text, pos, 2, 2, parts.second)) return std::nullopt;
        // Fractions of a second, as SQLite's own date functions write them.
        if (pos < text.size() && text[pos] == '.' && !readFraction(text, pos, parts.fraction))
            return std::nullopt;
    }
    if (pos != text.size() || parts.hour > 23 || parts.minute > 59 || parts.second > 59) return std::nullopt;
    return parts;
}

std::optional<DateTimeParts> readDateLiteral(std::string_view inside) {
    inside = withoutSpaces(inside);
    const std::size_t split = inside.find_first_of(" T");
    const std::string_view datePart = inside.substr(0, split);
    const std::string_view timePart =
        split == std::string_view::npos ? std::string_view() : inside.substr(split + 1);
    const char separator = datePart.find('-') != std::string_view::npos ? '-' : '/';
    const auto pieces = splitOn(datePart, separator);
    if (pieces.size() != 3) return std::nullopt;
    DateTimeParts parts;
    CalendarDay& day = parts.day;
    const bool yearFirst = readWholeDigits(pieces[0], 4, 4, day.year) &&
                           readWholeDigits(pieces[1], 1, 2, day.month) &&
                           readWholeDigits(pieces[2], 1, 2, day.day);
    // the desktop engine reads an ambiguous literal month first
    const bool monthFirst = !yearFirst && separator == '/' && readWholeDigits(pieces[2], 4, 4, day.year) &&
                            readWholeDigits(pieces[0], 1, 2, day.month) &&
                            readWholeDigits(pieces[1], 1, 2, day.day);
    if ((!yearFirst && !monthFirst) || !isCalendarDay(day)) return std::nullopt;
    if (!timePart.empty() && !readLiteralTime(timePart, parts)) return std::nullopt;
    return parts;
}

std::string dateTimeText(const DateTimeParts& parts) {
    const CalendarDay& day = parts.day;
    char buffer[64];
    if (parts.hour == 0 && parts.minute == 0 && parts.second == 0)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", day.year, day.month, day.day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", day.year, day.month, day.day,
                      parts.hour, parts.minute, parts.second);
    return buffer;
}

}  // namespace tarvenish
