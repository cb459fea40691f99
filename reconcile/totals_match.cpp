#include "reconcile/totals_match.h"

#include "base/number_format.h"

namespace tarvenish {

std::optional<double> totalFigure(const Value& total) {
    switch (total.kind()) {
        case ValueKind::Empty:
        case ValueKind::Null:
            return std::nullopt;
        case ValueKind::Text: {
            const std::string& text = total.rawText();
            if (text.find_first_not_of(' ') == std::string::npos) return 0.0;
            double figure = 0.0;
            // str() fills an overflowing field with asterisks: such a text is no figure at all.
            if (!parseNumber(text, figure)) return std::nullopt;
            return figure;
        }
        default:
            try {
                return total.asDouble();
            } catch (const ConversionError&) {
                return std::nullopt;
            }
    }
}

bool totalsMatch(const Value& stockQuantity, const Value& stockMoney, long stockRowCount,
                 const Value& pairQuantity, const Value& pairMoney) {
    if (stockRowCount <= 0) return false;
    const auto stockQ = totalFigure(stockQuantity);
    const auto stockM = totalFigure(stockMoney);
    const auto pairQ = totalFigure(pairQuantity);
    const auto pairM = totalFigure(pairMoney);
    if (!stockQ || !stockM || !pairQ || !pairM) return false;
    return *stockQ == *pairQ && *stockM == *pairM;
}

}  // namespace tarvenish
