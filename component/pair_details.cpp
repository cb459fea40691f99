#include "component/pair_details.h"

#include <optional>

#include "base/number_format.h"

namespace tarvenish {
namespace {

constexpr std::string_view kHeader =
    "code,item,action,rows_before,rows_after,quantity_before,money_before,quantity_after,money_after,"
    "balancing_voucher,balancing_quantity,balancing_money\r\n";

std::string_view actionName(PairOutcome outcome) {
    switch (outcome) {
        case PairOutcome::Regenerated:
            return "rebuilt";
        case PairOutcome::Confirmed:
            return "confirmed";
        case PairOutcome::Skipped:
            return "left";
        case PairOutcome::Failed:
            return "failed";
    }
    return "failed";
}

constexpr std::string_view kMoneyMask = "0.00";

// The mask the run shows quantities in: "0", or "0." and a zero per decimal.
std::string quantityMask(int digits) {
    return digits > 0 ? "0." + std::string(static_cast<std::size_t>(digits), '0') : "0";
}

std::string figure(const std::optional<double>& value, std::string_view mask) {
    return value ? formatNumber(*value, mask) : std::string();
}

std::string count(const std::optional<long>& value) {
    return value ? std::to_string(*value) : std::string();
}

}  // namespace

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

PairDetails::PairDetails(const std::string& path) : m_out("details", path, OpenMode::Truncate) {
    m_out.write(kHeader);
}

void PairDetails::write(const PairDetail& detail, int quantityDigits) noexcept {
    try {
        const auto& balancing = detail.balancing;
        const std::string quantity = quantityMask(quantityDigits);
        std::string line = csvField(detail.code);
        for (const std::string& field :
             {csvField(detail.invCode), std::string(actionName(detail.outcome)), count(detail.rowsBefore),
              count(detail.rowsAfter), figure(detail.quantityBefore, quantity),
              figure(detail.moneyBefore, kMoneyMask), figure(detail.quantityAfter, quantity),
              figure(detail.moneyAfter, kMoneyMask),
              balancing ? csvField(balancing->voucherCode) : std::string(),
              balancing ? formatNumber(balancing->quantity, quantity) : std::string(),
              balancing ? formatNumber(balancing->money, kMoneyMask) : std::string()}) {
            line += ',';
            line += field;
        }
        line += "\r\n";
        m_out.write(line);
    } catch (...) {
        m_lineLost = true;
    }
}

std::string PairDetails::error() const {
    if (!m_out.error().empty() || !m_lineLost) return m_out.error();
    return "cannot write the details: a line could not be built";
}

}  // namespace tarvenish
