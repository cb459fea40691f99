#include "app/report_html.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "app/report_chart.h"
#include "base/number_format.h"
#include "component/messages.h"
#include "ledger/sql/dialect.h"

namespace tarvenish::app {

namespace {

// The message numbers of the report's texts.
enum Text : int {
    kTitle = 101,
    kAccountSet,
    kRunNumber,
    kStarted,
    kFinished,
    kRunBy,
    kValuation,
    kDecimals,
    kPolicy,
    kDialect,
    kOutcome,
    kUndoable,
    kUndoYes,
    kUndoneAt,
    kUndoNothing,
    kCounts,
    kPairsTotal,
    kRebuilt,
    kConfirmed,
    kBalanced,
    kAveraged,
    kLeft,
    kFailed,
    kCancelledHere,
    kNotReached,
    kRowsChanged,
    kChartPairs,
    kChartMoneyWarehouse,
    kChartMoneyDepartment,
    kPairsHeading,
    kColWarehouse,
    kColDepartment,
    kColName,
    kColItem,
    kColItemName,
    kColAction,
    kColRows,
    kColBefore,
    kColStock,
    kColAfter,
    kColDifference,
    kColBalancing,
    kQuantity,
    kMoney,
    kRebuiltList,
    kOldJournal,
    kFactsLost,
    kNone,
    kNotRecorded,
    kComplete,
    kCancelled,
    kInterrupted,
    kOutcomeFailed,
    kOutcomeLeft,
    kUnfinished,
    kPerson,
    kDifferenceNote,
    kWarehouseMode,
    kDepartmentMode,
    kServer,
    kDesktop,
    kMade,
    kNoPairs,
    kUnitPrice,
    kCancelPolicy,
    kVoucher,
    kDecimalsLabel,
    kOpeningRows,
};

constexpr std::string_view kStyle = R"(
body{font-family:"Noto Sans CJK SC","Noto Sans SC","WenQuanYi Micro Hei","WenQuanYi Zen Hei","Microsoft YaHei",
"SimHei","SimSun","PingFang SC",sans-serif;font-size:13px;color:#1a1a1a;margin:24px;}
h1{font-size:20px;margin:0 0 12px}h2{font-size:15px;margin:20px 0 8px;border-bottom:1px solid #999}
table{border-collapse:collapse;width:100%}th,td{border:1px solid #bbb;padding:3px 5px;vertical-align:top}
th{background:#eef1f5;text-align:left;font-weight:600}td.n{text-align:right;white-space:nowrap;
font-variant-numeric:tabular-nums}table.facts{width:auto}table.facts th{width:14em}
.note{background:#fff6d6;border:1px solid #e0c060;padding:6px 8px;margin:8px 0}
.charts{display:flex;flex-wrap:wrap;gap:16px}svg text{font-size:11px}
details summary{cursor:pointer;margin:8px 0;font-weight:600}
@media print{@page{size:A4;margin:14mm}body{margin:0;font-size:10px}h2{break-after:avoid}
tr{break-inside:avoid}thead{display:table-header-group}details>summary{list-style:none}
.charts{break-inside:avoid}}
)";

std::string quantityMask(int digits) {
    return digits > 0 ? "0." + std::string(static_cast<std::size_t>(digits), '0') : "0";
}

class Page {
public:
    Page(const RunRecord& record, MessageResource& texts)
        : m_record(record),
          m_texts(texts),
          m_quantityMask(record.facts ? quantityMask(record.facts->quantityDigits) : std::string()),
          m_priceMask(record.facts ? quantityMask(record.facts->priceDigits) : std::string()) {}

    // The text of message `key` with `figures` put in, escaped.
    std::string text(int key, std::initializer_list<std::string_view> figures = {}) {
        return htmlEscaped(fillMessage(m_texts.GetText(fmt::format("Q9.IA.TARVENISH.{:05d}", key)), figures));
    }

    // A quantity in the run's mask; a run journaled before its decimals were kept shows every digit.
    [[nodiscard]] std::string quantity(const std::optional<double>& value) const {
        if (!value) return {};
        return m_quantityMask.empty() ? shortestText(*value) : formatNumber(*value, m_quantityMask);
    }
    [[nodiscard]] static std::string money(const std::optional<double>& value) {
        return value ? formatNumber(*value, "0.00") : std::string();
    }
    [[nodiscard]] std::string price(double quantity, double money) const {
        if (quantity == 0 || m_priceMask.empty()) return {};
        return formatNumber(money / quantity, m_priceMask);
    }
    // The stock ledger's figure less the one after, as the two are shown.
    [[nodiscard]] std::string difference(const std::optional<double>& stock,
                                         const std::optional<double>& after, bool isMoney) const {
        if (!stock || !after) return {};
        const auto shown = [&](double value) {
            double figure = 0;
            (void)parseNumber(isMoney ? money(value) : quantity(value), figure);
            return figure;
        };
        return isMoney ? money(shown(*stock) - shown(*after)) : quantity(shown(*stock) - shown(*after));
    }

    std::string actionText(std::string_view action) {
        if (action == "rebuilt") return text(kRebuilt);
        if (action == "confirmed") return text(kConfirmed);
        if (action == "balanced") return text(kBalanced);
        if (action == "averaged") return text(kAveraged);
        if (action == "left") return text(kLeft);
        if (action == "failed") return text(kFailed);
        if (action == "cancelled") return text(kCancelledHere);
        if (action == "not_reached") return text(kNotReached);
        return htmlEscaped(action);
    }

    std::string build(std::string_view accountSet, MessageLanguage language, std::string_view made);

private:
    void header(std::string& html, std::string_view accountSet);
    void counts(std::string& html);
    void pairTable(std::string& html);
    void rebuiltList(std::string& html);

    const RunRecord& m_record;
    MessageResource& m_texts;
    std::string m_quantityMask;
    std::string m_priceMask;
};

std::string cell(std::string_view content, bool number = false) {
    return std::string(number ? "<td class=\"n\">" : "<td>") + std::string(content) + "</td>";
}

void row(std::string& html, const std::string& label, const std::string& value) {
    html += "<tr><th>" + label + "</th><td>" + value + "</td></tr>\n";
}

void Page::header(std::string& html, std::string_view accountSet) {
    const JournaledRun& run = m_record.run;
    html += "<table class=\"facts\">\n";
    row(html, text(kAccountSet), htmlEscaped(accountSet));
    row(html, text(kRunNumber), std::to_string(run.runId));
    row(html, text(kStarted), htmlEscaped(run.started));
    row(html, text(kFinished), run.finished ? htmlEscaped(*run.finished) : text(kUnfinished));
    const bool department = run.mode == "department";
    const bool server =
        DialectChoice::fromHostFlag(static_cast<std::int16_t>(run.dialectFlag)).forPairs() == Dialect::Server;
    row(html, text(kValuation), text(department ? kDepartmentMode : kWarehouseMode));
    row(html, text(kDialect),
        fmt::format("{} (AccSql {})", text(server ? kServer : kDesktop), run.dialectFlag));
    if (const auto& facts = m_record.facts) {
        std::string by = htmlEscaped(facts->user);
        if (!facts->machine.empty()) by += (by.empty() ? "" : " @ ") + htmlEscaped(facts->machine);
        row(html, text(kRunBy), by.empty() ? text(kNotRecorded) : by);
        row(html, text(kDecimalsLabel),
            text(kDecimals, {std::to_string(facts->quantityDigits), std::to_string(facts->priceDigits)}));
        const std::string& policy = facts->policy;
        row(html, text(kPolicy),
            policy.empty()        ? text(kPerson)
            : policy == "skip"    ? text(kLeft) + " (skip)"
            : policy == "cancel"  ? text(kCancelPolicy) + " (cancel)"
            : policy == "balance" ? text(kBalanced) + " (balance)"
            : policy == "average" ? text(kAveraged) + " (average)"
                                  : htmlEscaped(policy));
        std::string outcome = text(kNotRecorded);
        if (facts->outcome) {
            const std::string& word = *facts->outcome;
            outcome = word == "complete"      ? text(kComplete)
                      : word == "cancelled"   ? text(kCancelled)
                      : word == "interrupted" ? text(kInterrupted)
                      : word == "failed"      ? text(kOutcomeFailed)
                      : word == "left" ? text(kOutcomeLeft, {std::to_string(facts->pairsLeft.value_or(0))})
                                       : htmlEscaped(word);
        } else if (!run.finished) {
            outcome = text(kUnfinished);
        }
        row(html, text(kOutcome), outcome);
    } else {
        row(html, text(kOutcome), run.finished ? text(kNotRecorded) : text(kUnfinished));
    }
    row(html, text(kUndoable),
        run.undone                                ? text(kUndoneAt, {*run.undone})
        : canStillUndo(run, m_record.changedRows) ? text(kUndoYes, {std::to_string(run.runId)})
                                                  : text(kUndoNothing));
    html += "</table>\n";
    if (!m_record.facts) html += "<p class=\"note\">" + text(kOldJournal) + "</p>\n";
}

void Page::counts(std::string& html) {
    std::map<std::string, long> byAction;
    for (const PairLine& line : m_record.pairs) ++byAction[line.action];
    byAction["rebuilt"] = static_cast<long>(m_record.rebuilt.size());
    const JournaledRun& run = m_record.run;
    html += "<h2>" + text(kCounts) + "</h2>\n<table class=\"facts\">\n";
    long known = 0;
    for (const auto& [action, count] : byAction) known += count;
    const long total = m_record.facts && m_record.facts->pairsTotal ? *m_record.facts->pairsTotal : known;
    row(html, text(kPairsTotal), std::to_string(total));
    std::vector<ChartBar> bars;
    for (const char* action :
         {"rebuilt", "confirmed", "balanced", "averaged", "left", "failed", "cancelled", "not_reached"}) {
        const long count = byAction.contains(action) ? byAction[action] : 0;
        if (count == 0 && std::string_view(action) != "rebuilt") continue;
        row(html, actionText(action), std::to_string(count));
        bars.push_back({actionText(action), static_cast<double>(count), std::to_string(count)});
    }
    if (run.rowsDeleted && run.rowsInserted) {
        row(html, text(kOpeningRows),
            text(kRowsChanged, {std::to_string(*run.rowsDeleted), std::to_string(*run.rowsInserted)}));
    }
    html += "</table>\n";
    if (total > known)
        html += "<p class=\"note\">" + text(kFactsLost, {std::to_string(total - known)}) + "</p>\n";

    // The money of the opening rows the run rewrote, per warehouse (or department).
    std::map<std::string, double> moved;
    const auto add = [&](const PairLine& line) {
        if (line.action == "rebuilt" || line.action == "confirmed" || line.action == "balanced" ||
            line.action == "averaged")
            moved[line.code] += std::fabs(line.moneyAfter.value_or(0.0));
    };
    for (const PairLine& line : m_record.rebuilt) add(line);
    for (const PairLine& line : m_record.pairs) add(line);
    std::vector<std::pair<std::string, double>> codes(moved.begin(), moved.end());
    std::stable_sort(codes.begin(), codes.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<ChartBar> money;
    for (std::size_t i = 0; i < codes.size() && i < kMostChartBars; ++i)
        money.push_back({htmlEscaped(codes[i].first), codes[i].second, Page::money(codes[i].second)});
    html += "<div class=\"charts\">\n" + barChart(text(kChartPairs), bars);
    if (!money.empty())
        html +=
            barChart(text(run.mode == "department" ? kChartMoneyDepartment : kChartMoneyWarehouse), money);
    html += "</div>\n";
}

void Page::pairTable(std::string& html) {
    html += "<h2>" + text(kPairsHeading) + "</h2>\n";
    if (m_record.pairs.empty()) {
        html += "<p>" + text(kNoPairs) + "</p>\n";
        return;
    }
    const bool department = m_record.run.mode == "department";
    const std::string q = text(kQuantity);
    const std::string m = text(kMoney);
    html += "<table id=\"pairs\">\n<thead><tr><th rowspan=\"2\">" +
            text(department ? kColDepartment : kColWarehouse) + "</th><th rowspan=\"2\">" + text(kColName) +
            "</th><th rowspan=\"2\">" + text(kColItem) + "</th><th rowspan=\"2\">" + text(kColItemName) +
            "</th><th rowspan=\"2\">" + text(kColAction) + "</th><th rowspan=\"2\">" + text(kColRows) +
            "</th>";
    for (int heading : {kColBefore, kColStock, kColAfter, kColDifference})
        html += "<th colspan=\"2\">" + text(heading) + "</th>";
    html += "<th colspan=\"4\">" + text(kColBalancing) + "</th></tr>\n<tr>";
    for (int i = 0; i < 4; ++i) html += "<th>" + q + "</th><th>" + m + "</th>";
    html += "<th>" + text(kVoucher) + "</th><th>" + q + "</th><th>" + text(kUnitPrice) + "</th><th>" + m +
            "</th></tr></thead>\n<tbody>\n";
    for (const PairLine& line : m_record.pairs) {
        const auto count = [](const std::optional<long>& value) {
            return value ? std::to_string(*value) : std::string();
        };
        html +=
            "<tr class=\"pair\">" + cell(htmlEscaped(line.code)) + cell(htmlEscaped(line.name)) +
            cell(htmlEscaped(line.invCode)) + cell(htmlEscaped(line.invName)) +
            cell(actionText(line.action)) +
            cell(line.rowsBefore || line.rowsAfter ? count(line.rowsBefore) + " / " + count(line.rowsAfter)
                                                   : "",
                 true) +
            cell(quantity(line.quantityBefore), true) + cell(money(line.moneyBefore), true) +
            cell(quantity(line.stockQuantity), true) + cell(money(line.stockMoney), true) +
            cell(quantity(line.quantityAfter), true) + cell(money(line.moneyAfter), true) +
            cell(difference(line.stockQuantity, line.quantityAfter, false), true) +
            cell(difference(line.stockMoney, line.moneyAfter, true), true);
        if (const auto& balancing = line.balancing) {
            html += cell(htmlEscaped(balancing->voucherCode)) + cell(quantity(balancing->quantity), true) +
                    cell(price(balancing->quantity, balancing->money), true) +
                    cell(money(balancing->money), true);
        } else {
            html += cell("") + cell("") + cell("") + cell("");
        }
        html += "</tr>\n";
    }
    html += "</tbody></table>\n<p>" + text(kDifferenceNote) + "</p>\n";
}

void Page::rebuiltList(std::string& html) {
    if (m_record.rebuilt.empty()) return;
    const bool department = m_record.run.mode == "department";
    html += "<details id=\"rebuilt\"><summary>" +
            text(kRebuiltList, {std::to_string(m_record.rebuilt.size())}) +
            "</summary>\n<table><thead><tr><th>" + text(department ? kColDepartment : kColWarehouse) +
            "</th><th>" + text(kColItem) + "</th><th>" + text(kColRows) + "</th><th>" + text(kQuantity) +
            "</th><th>" + text(kMoney) + "</th></tr></thead>\n<tbody>\n";
    for (const PairLine& line : m_record.rebuilt) {
        html += "<tr>" + cell(htmlEscaped(line.code)) + cell(htmlEscaped(line.invCode)) +
                cell(std::to_string(line.rowsBefore.value_or(0)) + " / " +
                         std::to_string(line.rowsAfter.value_or(0)),
                     true) +
                cell(quantity(line.quantityAfter), true) + cell(money(line.moneyAfter), true) + "</tr>\n";
    }
    html += "</tbody></table></details>\n";
}

std::string Page::build(std::string_view accountSet, MessageLanguage language, std::string_view made) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"";
    html += language == MessageLanguage::English ? "en" : "zh-CN";
    html +=
        "\">\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"viewport\" "
        "content=\"width=device-width\">\n<title>" +
        text(kTitle) + " " + std::to_string(m_record.run.runId) + "</title>\n<style>" + std::string(kStyle) +
        "</style>\n</head>\n<body>\n<h1>" + text(kTitle) + "</h1>\n";
    header(html, accountSet);
    counts(html);
    pairTable(html);
    rebuiltList(html);
    html += "<p>" + text(kMade, {made}) + "</p>\n</body>\n</html>\n";
    return html;
}

}  // namespace

std::string htmlEscaped(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string reportPage(const RunRecord& record, std::string_view accountSet, MessageResource& texts,
                       MessageLanguage language, std::string_view made) {
    return Page(record, texts).build(accountSet, language, made);
}

}  // namespace tarvenish::app
