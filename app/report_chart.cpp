#include "app/report_chart.h"

#include <fmt/format.h>

#include <algorithm>

namespace tarvenish::app {

std::string barChart(const std::string& title, const std::vector<ChartBar>& bars) {
    constexpr int kLabelWidth = 130;
    constexpr int kBarWidth = 200;
    constexpr int kFigureWidth = 90;
    constexpr int kRow = 18;
    constexpr int kTop = 22;
    double largest = 0;
    for (const ChartBar& bar : bars) largest = std::max(largest, bar.value);
    const int height = kTop + kRow * static_cast<int>(bars.size()) + 4;
    const int width = kLabelWidth + kBarWidth + kFigureWidth;
    std::string svg = fmt::format(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{0}\" height=\"{1}\" viewBox=\"0 0 {0} {1}\" "
        "role=\"img\" aria-label=\"{2}\"><text x=\"0\" y=\"14\" font-weight=\"bold\">{2}</text>",
        width, height, title);
    int y = kTop;
    for (const ChartBar& bar : bars) {
        const double length = largest > 0 ? bar.value / largest * kBarWidth : 0;
        svg += fmt::format(
            "<text x=\"{0}\" y=\"{1}\" text-anchor=\"end\">{2}</text><rect x=\"{3}\" y=\"{4}\" "
            "width=\"{5:.1f}\" "
            "height=\"12\" fill=\"#4a78b0\"/><text x=\"{6:.1f}\" y=\"{1}\">{7}</text>",
            kLabelWidth - 6, y + 11, bar.label, kLabelWidth, y + 1,
            std::max(length, bar.value > 0 ? 1.0 : 0.0), kLabelWidth + std::max(length, 1.0) + 4, bar.shown);
        y += kRow;
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace tarvenish::app
