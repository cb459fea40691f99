#pragma once
// A small horizontal bar chart as inline SVG, for the reconciliation report.

#include <cstddef>
#include <string>
#include <vector>

namespace tarvenish::app {

// One bar: its label and its figure as shown (both already HTML-escaped), and its length's value (0 or more).
struct ChartBar {
    std::string label;
    double value = 0;
    std::string shown;
};

// The most bars a chart shows: the largest, in the order given.
inline constexpr std::size_t kMostChartBars = 12;

// An <svg> element titled `title` (escaped) with one bar per entry, the longest filling the width.
[[nodiscard]] std::string barChart(const std::string& title, const std::vector<ChartBar>& bars);

}  // namespace tarvenish::app
