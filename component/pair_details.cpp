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

std::string figure(const std::optional<double>& value) {
    return value ? shortestText(*value) : std::string();
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

void PairDetails::write(const PairDetail& detail) noexcept {
    try {
        const auto& balancing = detail.balancing;
        std::string line = csvField(detail.code);
        for (const std::string& field :
             {csvField(detail.invCode), std::string(actionName(detail.outcome)), count(detail.rowsBefore),
              count(detail.rowsAfter), figure(detail.quantityBefore), figure(detail.moneyBefore),
              figure(detail.quantityAfter), figure(detail.moneyAfter),
              balancing ? csvField(balancing->voucherCode) : std::string(),
              balancing ? shortestText(balancing->quantity) : std::string(),
              balancing ? shortestText(balancing->money) : std::string()}) {
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
