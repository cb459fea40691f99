#include "base/number_format.h"
#include "base/ascii_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace tarvenish {
namespace {

// A value rounded to a fixed number of decimals, kept as decimal digits so that no binary rounding creeps in
// after the rounding step.
struct FixedDigits {
    bool negative = false;
    std::string integer;   // without leading zeros; empty for a value under 1
    std::string fraction;  // exactly the requested number of decimals
};

struct MaskShape {
    int minIntegerDigits = 0;  // '0's before the point
    int decimals = 0;          // placeholders after the point
    int minDecimals = 0;       // '0's after the point
};

// Adds one unit in the last place of a digit string; may grow it by one digit.
void incrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// The exact binary value, rounded half away from zero at `decimals`.
FixedDigits toFixedDigits(double value, int decimals) {
    FixedDigits out;
    if (value == 0.0) {
        out.fraction.assign(static_cast<std::size_t>(decimals), '0');
        return out;
    }
    out.negative = std::signbit(value);
    // A double is m * 2^(exponent-53) with a whole m, so its exact decimal expansion ends after
    // 53-exponent decimals: written with that many, to_chars never rounds.
    int exponent = 0;
    (void)std::frexp(value, &exponent);
    const int exactDecimals = std::clamp(53 - exponent, 0, 1074);
    std::array<char, 1200> buffer;
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                       std::chars_format::fixed, exactDecimals);
    const std::string_view text(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data()));
    const std::size_t point = text.find('.');
    out.integer = std::string(text.substr(0, point));
    const std::string_view exact =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto wanted = static_cast<std::size_t>(decimals);
    if (exact.size() <= wanted) {
        out.fraction = std::string(exact);
        out.fraction.append(wanted - exact.size(), '0');
    } else {
        out.fraction = std::string(exact.substr(0, wanted));
        // Half away from zero looks at the first dropped digit only: 5 and above is at least half.
        if (exact[wanted] >= '5') {
            std::string digits = out.integer + out.fraction;
            incrementDigits(digits);
            const std::size_t split = digits.size() - wanted;
            out.integer = digits.substr(0, split);
            out.fraction = digits.substr(split);
        }
    }
    const auto firstNonZero = out.integer.find_first_not_of('0');
    out.integer.erase(0, firstNonZero == std::string::npos ? out.integer.size() : firstNonZero);
    if (out.integer.empty() && out.fraction.find_first_not_of('0') == std::string::npos) out.negative = false;
    return out;
}

MaskShape readMask(std::string_view mask) {
    MaskShape shape;
    bool afterPoint = false;
    for (const char c : mask) {
        if (c == '.') {
            afterPoint = true;
        } else if (c == '0' || c == '#') {
            if (!afterPoint) {
                if (c == '0') ++shape.minIntegerDigits;
            } else {
                ++shape.decimals;
                // a '0' forces every decimal place up to it to show
                if (c == '0') shape.minDecimals = shape.decimals;
            }
        }
    }
    return shape;
}

std::string nonFiniteText(double value) {
    if (std::isnan(value)) return "NaN";
    return value < 0 ? "-Infinity" : "Infinity";
}

std::string render(const FixedDigits& digits, int minIntegerDigits, int minDecimals) {
    std::string integer = digits.integer;
    if (static_cast<int>(integer.size()) < minIntegerDigits)
        integer.insert(0, static_cast<std::size_t>(minIntegerDigits) - integer.size(), '0');
    std::string fraction = digits.fraction;
    while (static_cast<int>(fraction.size()) > minDecimals && fraction.back() == '0') fraction.pop_back();
    std::string out;
    if (digits.negative) out.push_back('-');
    out += integer;
    if (!fraction.empty()) {
        out.push_back('.');
        out += fraction;
    }
    // a value that shows no digit at all ("##" for 0) must not keep a lone sign
    if (out == "-") out.clear();
    return out;
}

// The number grammar shared by the readers: sign, digits with one '.', optional exponent. Returns the length
// of the number at the start of `text` (0 when there is none).
std::size_t numberLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t expStart = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
        if (j > expStart) i = j;
    }
    return i;
}

// Converts text already matched by numberLength.
bool convertNumber(std::string_view text, double& out) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    out = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

std::string formatNumber(double value, std::string_view mask) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    const MaskShape shape = readMask(mask);
    return render(toFixedDigits(value, shape.decimals), shape.minIntegerDigits, shape.minDecimals);
}

std::string strFixed(double value, int length, int decimals) {
    if (length <= 0) return {};
    if (decimals < 0) decimals = 0;
    if (decimals > 16) decimals = 16;
    const auto fits = [length](const std::string& text) { return static_cast<int>(text.size()) <= length; };
    std::string text =
        std::isfinite(value) ? render(toFixedDigits(value, decimals), 1, decimals) : nonFiniteText(value);
    // like the server, give up decimals before giving up the number
    for (int d = decimals - 1; !fits(text) && d >= 0 && std::isfinite(value); --d)
        text = render(toFixedDigits(value, d), 1, d);
    if (!fits(text)) return std::string(static_cast<std::size_t>(length), '*');
    return std::string(static_cast<std::size_t>(length) - text.size(), ' ') + text;
}

std::string wholeNumberText(double value) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    return render(toFixedDigits(value, 0), 1, 0);
}

double leadingValue(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    const std::size_t length = numberLength(text);
    double value = 0;
    if (length == 0 || !convertNumber(text.substr(0, length), value)) return 0;
    return value;
}

bool isNumericText(std::string_view text) {
    double ignored = 0;
    return parseNumber(text, ignored);
}

bool parseNumber(std::string_view text, double& out) {
    text = trimmed(text);
    if (text.empty() || numberLength(text) != text.size()) return false;
    return convertNumber(text, out);
}

bool parseWholeNumber(std::string_view text, std::int64_t& out) {
    text = trimmed(text);
    if (text.starts_with('+')) text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string shortestText(double value) {
    if (!std::isfinite(value)) return nonFiniteText(value);
    if (value == 0.0) return "0";
    const double magnitude = std::fabs(value);
    const auto format =
        (magnitude >= 1e21 || magnitude < 1e-7) ? std::chars_format::general : std::chars_format::fixed;
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    if (ec != std::errc()) return formatNumber(value, "0.###############");
    return std::string(buffer, end);
}

}  // namespace tarvenish
