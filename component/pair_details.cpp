#include "component/pair_details.h"

#include "base/number_format.h"

namespace tarvenish {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr std::string_view kHeader =
    "code,item,action,name,item_name,rows_before,rows_after,quantity_before,money_before,stock_quantity,"
    "stock_money,quantity_after,money_after,quantity_difference,money_difference,balancing_voucher,"
    "balancing_quantity,balancing_money\r\n";

constexpr std::string_view kMoneyMask = "0.00";

// The mask the run shows quantities in: "0", or "0." and a zero per decimal.
std::string quantityMask(int digits) {
    return digits > 0 ? "0." + std::string(static_cast<std::size_t>(digits), '0') : "0";
}

std::string figure(const std::optional<double>& value, std::string_view mask) {
    return value ? formatNumber(*value, mask) : std::string();
}

// The stock ledger's total less the opening total the pair holds after the run, both in `mask` first, so
// that the difference is that of the figures shown.
std::string difference(const std::optional<double>& stock, const std::optional<double>& after,
                       std::string_view mask) {
    if (!stock || !after) return {};
    double shownStock = 0;
    double shownAfter = 0;
    if (!parseNumber(formatNumber(*stock, mask), shownStock) ||
        !parseNumber(formatNumber(*after, mask), shownAfter))
        return {};
    return formatNumber(shownStock - shownAfter, mask);
}

std::string count(const std::optional<long>& value) {
    return value ? std::to_string(*value) : std::string();
}

}  // namespace

std::string_view pairActionName(PairOutcome outcome, std::string_view policy) {
    switch (outcome) {
        case PairOutcome::Regenerated:
            return "rebuilt";
        case PairOutcome::Confirmed:
            if (policy == "balance") return "balanced";
            if (policy == "average") return "averaged";
            return "confirmed";
        case PairOutcome::Skipped:
            return "left";
        case PairOutcome::Failed:
            return "failed";
    }
    return "failed";
}

PairLine pairLineOf(const PairDetail& detail, std::string_view policy) {
    return {detail.code,          detail.invCode,        std::string(pairActionName(detail.outcome, policy)),
            detail.name,          detail.invName,        detail.rowsBefore,
            detail.rowsAfter,     detail.quantityBefore, detail.moneyBefore,
            detail.stockQuantity, detail.stockMoney,     detail.quantityAfter,
            detail.moneyAfter,    detail.balancing};
}

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

std::string csvTextField(std::string_view text) {
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        return csvField("'" + std::string(text));
    return csvField(text);
}

PairDetails::PairDetails(const std::string& path) : m_out("details", path, OpenMode::Truncate) {
    if (!m_out.isStandardOutput()) m_out.write(kByteOrderMark);
    m_out.write(kHeader);
}

void PairDetails::write(const PairLine& detail, int quantityDigits) noexcept {
    try {
        const auto& balancing = detail.balancing;
        const std::string quantity = quantityMask(quantityDigits);
        std::string line = csvTextField(detail.code);
        for (const std::string& field :
             {csvTextField(detail.invCode), csvField(detail.action), csvTextField(detail.name),
              csvTextField(detail.invName), count(detail.rowsBefore), count(detail.rowsAfter),
              figure(detail.quantityBefore, quantity), figure(detail.moneyBefore, kMoneyMask),
              figure(detail.stockQuantity, quantity), figure(detail.stockMoney, kMoneyMask),
              figure(detail.quantityAfter, quantity), figure(detail.moneyAfter, kMoneyMask),
              difference(detail.stockQuantity, detail.quantityAfter, quantity),
              difference(detail.stockMoney, detail.moneyAfter, kMoneyMask),
              balancing ? csvTextField(balancing->voucherCode) : std::string(),
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
