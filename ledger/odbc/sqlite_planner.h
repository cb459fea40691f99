#pragma once
// What the embedded engine does for SQLite's query planner, done through the SQLite ODBC driver: a left join
// whose plan scans its right table once per outer row is turned into a right join, and a table that a
// select-into makes is indexed on its first column. Without them a run's pass over the stock ledger is
// quadratic.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/db/engine.h"
#include "ledger/sql/statement.h"

namespace tarvenish {

class OdbcSqlitePlanner final {
public:
    // Runs one statement of SQLite's SQL as it is and reads its rows. Throws DbError.
    using Query = std::function<QueryResult(const std::string& sqliteText)>;

    explicit OdbcSqlitePlanner(Query query) : m_query(std::move(query)) {}

    // `sqliteText`, a statement that runs as text, in the join order that spares SQLite a scan per outer
    // row; as it is when no such order exists. The plan is read each time: such statements run once.
    [[nodiscard]] std::string inJoinOrder(std::string sqliteText);
    // `sqliteShape`, the translation of `original`'s shape `shape` with its literals as parameters, in the
    // join order chosen for that shape: the fixed plan of a per-pair statement of kind `kind`, else the
    // order its plan asks for. The plan is read on the original's own translation: the driver cannot
    // explain a statement whose parameters are unbound.
    [[nodiscard]] std::string shapeInJoinOrder(StatementKind kind, const std::string& shape,
                                               std::string_view original, std::string sqliteShape);
    // Indexes the first column of `table`. Only a speed-up: any failure is ignored.
    void indexFirstColumn(std::string_view table) noexcept;

private:
    // The detail lines of SQLite's plan for `sqliteText`, read through the driver; nullopt when it cannot be
    // explained.
    [[nodiscard]] std::optional<std::vector<std::string>> planDetails(const std::string& sqliteText);
    // True when the right-join form of `sqliteText` exists and spares the scan its left join causes.
    [[nodiscard]] bool turningHelps(const std::string& sqliteText);

    Query m_query;
    std::map<std::string, bool, std::less<>> m_turnByShape;
};

}  // namespace tarvenish
