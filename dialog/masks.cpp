#include "dialog/masks.h"

#include "base/number_format.h"
#include "component/settings.h"
#include "component/shared_state.h"

namespace tarvenish {
namespace {

// A negative digit count from a damaged setting is taken as none, so a mask never ends in a bare point.
std::string decimals(int digits) {
    return digits > 0 ? "." + RepeatText(digits, "0") : std::string();
}

}  // namespace

std::string quantityMask(const SharedState& state) {
    return "0" + decimals(state.AccountSettings.QuantityDigits);
}

std::string priceMask(const SharedState& state) {
    return "0" + decimals(state.AccountSettings.PriceDigits);
}

std::string quantityEditMask(const SharedState& state) {
    const int digits = state.AccountSettings.QuantityDigits;
    return digits > 0 ? "##0" + decimals(digits) : std::string("##");
}

std::string priceEditMask(const SharedState& state) {
    const int digits = state.AccountSettings.PriceDigits;
    return digits > 0 ? "##0" + decimals(digits) : std::string("##");
}

std::string formatText(std::string_view text, std::string_view mask) {
    double number = 0.0;
    if (!parseNumber(text, number)) return std::string(text);
    return formatNumber(number, mask);
}

}  // namespace tarvenish
