#pragma once
// Built statements to a SQLite database behind the ODBC driver, run through one prepared statement per shape
// with their values bound, so the driver's SQLite parses and plans statements that differ only in their
// values once. Least recently used statements go first.

#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ledger/db/engine.h"
#include "ledger/odbc/handle.h"

namespace tarvenish {

class OdbcSession;
class OdbcSqlitePlanner;
class IssuedColumnBeside;
class PairImageSql;

class OdbcShapedStatements final {
public:
    // Keeps up to `capacity` prepared statements on `session`; `planner` chooses each shape's join order.
    // Both must outlive this object.
    OdbcShapedStatements(OdbcSession& session, OdbcSqlitePlanner& planner, std::size_t capacity) noexcept
        : m_session(session), m_planner(planner), m_capacity(capacity) {}

    // Runs a statement through the prepared statement of its shape, its values bound, reading its rows
    // into `rows` when given. Returns the rows it changed; nullopt, having run nothing, when its shape goes
    // to the driver as text (a select-into, several statements, a shape the translation cannot read).
    // Throws DbError for `operation` carrying the statement's text, and forgets the statement that failed.
    [[nodiscard]] std::optional<long> run(const Statement& shaped, std::string_view operation,
                                          QueryResult* rows);

    // Runs `sqliteText`, one statement of SQLite's SQL in place of `shaped`, with the statement's values
    // bound to the markers "?n" it holds; prepared once per text. Returns the rows it changed; nullopt,
    // having run nothing, when the driver refused to prepare it. Throws DbError as run does.
    [[nodiscard]] std::optional<long> runAs(const Statement& shaped, const std::string& sqliteText,
                                            std::string_view operation, QueryResult* rows);

    // Frees every prepared statement: after a schema change the driver would describe a query's result by
    // the columns its table had when it was prepared.
    void clear() noexcept;
    // Statements are prepared reading the issued-quantity pass's column through `beside`, on `sql`; both
    // must outlive this object.
    void readThrough(IssuedColumnBeside* beside, PairImageSql* sql) noexcept {
        m_beside = beside;
        m_besideSql = sql;
    }

private:
    IssuedColumnBeside* m_beside = nullptr;
    PairImageSql* m_besideSql = nullptr;
    struct Prepared {
        std::optional<OdbcHandle> statement;  // none: the shape goes to the driver as text
        std::vector<std::size_t> valueAt;     // the value bound to each parameter marker, in order
        bool changesRows = false;             // an insert, update or delete, sent as the driver keeps it
    };
    using Order = std::list<std::pair<std::string, Prepared>>;

    // The prepared statement of `shaped`, made on first use and now the most recently used; nullptr when the
    // driver refused to prepare it.
    [[nodiscard]] Prepared* preparedFor(const Statement& shaped);
    // The prepared statement kept under `key`, made by `make` on first use and now the most recently used;
    // nullptr when `make` gave none.
    template <typename Make>
    [[nodiscard]] Prepared* kept(const std::string& key, Make make);
    // Runs `prepared` with the statement's values; a failure forgets the entry of `key`.
    [[nodiscard]] std::optional<long> runKept(const Prepared* prepared, const std::string& key,
                                              const Statement& shaped, std::string_view operation,
                                              QueryResult* rows);
    // `sqliteText` prepared with plain markers; without a statement when it holds other markers or further
    // statements; nullopt when the driver refused to prepare it.
    [[nodiscard]] std::optional<Prepared> prepareSqlite(const std::string& sqliteText, std::size_t values);
    // `shaped` in SQLite's SQL, prepared with plain markers; without a statement when its shape goes as
    // text; nullopt when the driver refused to prepare it.
    [[nodiscard]] std::optional<Prepared> prepare(const Statement& shaped);
    void forget(const std::string& shape) noexcept;

    OdbcSession& m_session;
    OdbcSqlitePlanner& m_planner;
    std::size_t m_capacity;
    Order m_order;  // most recently used first
    std::unordered_map<std::string, Order::iterator> m_byShape;
    std::optional<OdbcHandle> m_changes;  // "select changes()", prepared on first use
};

}  // namespace tarvenish
