#include "ledger/odbc/sqlite_planner.h"

#include <optional>
#include <vector>

#include "ledger/db/error.h"
#include "ledger/db/sqlite_names.h"
#include "ledger/dialect/join_order.h"
#include "ledger/dialect/join_planner.h"
#include "ledger/dialect/pair_plan.h"
#include "ledger/dialect/translation.h"

namespace tarvenish {

namespace {

std::string turnedOrAsIs(std::string sqliteText) {
    std::optional<std::string> turned = rightJoinForm(sqliteText);
    return turned ? std::move(*turned) : sqliteText;
}

}  // namespace

std::optional<std::vector<std::string>> OdbcSqlitePlanner::planDetails(const std::string& sqliteText) {
    QueryResult plan;
    try {
        plan = m_query("EXPLAIN QUERY PLAN " + sqliteText);
    } catch (const DbError&) {
        // The statement itself will say what is wrong with it.
        return std::nullopt;
    }
    std::vector<std::string> details;
    std::vector<Value> row;
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        plan.rows.decode(i, row);
        // The plan's columns: id, parent, notused, detail.
        if (row.size() < 4 || row[3].isNull()) continue;
        details.push_back(row[3].displayText());
    }
    return details;
}

bool OdbcSqlitePlanner::turningHelps(const std::string& sqliteText) {
    return joinOrderThatHelps(sqliteText, [this](const std::string& text) { return planDetails(text); })
        .has_value();
}

std::string OdbcSqlitePlanner::inJoinOrder(std::string sqliteText) {
    if (!mayTurnLeftJoin(sqliteText)) return sqliteText;
    return turningHelps(sqliteText) ? turnedOrAsIs(std::move(sqliteText)) : sqliteText;
}

std::string OdbcSqlitePlanner::shapeInJoinOrder(StatementKind kind, const std::string& shape,
                                                std::string_view original, std::string sqliteShape) {
    if (std::optional<std::string> fixed = pairPlanForm(kind, sqliteShape)) return std::move(*fixed);
    if (!mayTurnLeftJoin(sqliteShape)) return sqliteShape;
    auto known = m_turnByShape.find(shape);
    if (known == m_turnByShape.end()) {
        bool turn = false;
        try {
            turn = turningHelps(translateForSqlite(original, "query").text);
        } catch (const DbError&) {
            // The statement itself will say what is wrong with it.
        }
        known = m_turnByShape.emplace(shape, turn).first;
    }
    return known->second ? turnedOrAsIs(std::move(sqliteShape)) : sqliteShape;
}

void OdbcSqlitePlanner::indexFirstColumn(std::string_view table) noexcept {
    try {
        const std::string name(unquotedName(table));
        std::string literal = "'";
        for (const char c : name) {
            if (c == '\'') literal += '\'';
            literal += c;
        }
        literal += '\'';
        const QueryResult first =
            m_query("select name from pragma_table_info(" + literal + ") order by cid limit 1");
        if (first.rows.empty()) return;
        std::vector<Value> row;
        first.rows.decode(0, row);
        if (row.empty() || row[0].isNull()) return;
        const std::string column = row[0].displayText();
        (void)m_query("CREATE INDEX IF NOT EXISTS " + quotedName(name + "_" + column) + " ON " +
                      quotedName(name) + " (" + quotedName(column) + ")");
    } catch (...) {
        // Only a speed-up: the statements that follow are right without it.
    }
}

}  // namespace tarvenish
