#pragma once
// The one number formatter and reader of the system: the dialog's masks and the SQL functions str() and
// format() all go through it, so the same value gives the same text in both dialects and on screen.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvenish {

// Renders `value` with a mask of '0' (a digit always shown), '#' (a digit shown only when significant) and at
// most one '.', as "##0.00", "0.000" or "##". The exact binary value of the double is rounded to the mask's
// decimals half away from zero, every digit kept (2.675 is a little under 2.675 and shows 2.67, 0.125 shows
// 0.13, 1e16+2 shows every digit); no thousands separators; a leading '-' for a negative result
// (never "-0"). A mask without any '0' before the point shows no integer digit for a value under 1, so "##"
// shows a value that rounds to zero as the empty text.
[[nodiscard]] std::string formatNumber(double value, std::string_view mask);

// The server engine's str(x, length, decimals): the value rounded as above with `decimals` places, right
// aligned in `length` characters; `length` asterisks when it does not fit.
[[nodiscard]] std::string strFixed(double value, int length, int decimals);

// The plain text of a whole number (str(x) with one argument): rounded half away from zero, no blanks.
[[nodiscard]] std::string wholeNumberText(double value);

// The number at the start of a text: leading blanks skipped, an optional sign, digits with '.' as the decimal
// point, an optional exponent; reading stops at the first character that cannot continue the number.
// An empty or non-numeric text gives 0 ("12.5kg" gives 12.5).
[[nodiscard]] double leadingValue(std::string_view text);

// True when the whole text (blanks around it allowed) is one number: optional sign, digits with at most one
// '.', optional exponent. The empty text is not a number.
[[nodiscard]] bool isNumericText(std::string_view text);

// Parses the whole text as a number (blanks around it allowed). False when it is not one.
[[nodiscard]] bool parseNumber(std::string_view text, double& out);

// Parses the whole text (blanks around it allowed, an optional sign) as a whole number of 64 bits, every
// digit kept. False when it is not one or does not fit.
[[nodiscard]] bool parseWholeNumber(std::string_view text, std::int64_t& out);

// The shortest text that reads back as the same double ("2.5", "100000", "0.1").
[[nodiscard]] std::string shortestText(double value);

}  // namespace tarvenish
