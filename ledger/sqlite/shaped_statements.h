#pragma once
// Built statements run through one prepared statement per shape with their values bound, so statements
// differing only in their values are translated and prepared once.

#include <cstddef>
#include <string_view>

#include "ledger/db/engine.h"
#include "ledger/sqlite/statement_cache.h"

namespace tarvenish {

class SqliteDatabase;
class IssuedColumnBeside;
class PairImageSql;

class SqliteShapedStatements final {
public:
    // Keeps up to `capacity` prepared statements of `db`, which must outlive this object.
    SqliteShapedStatements(SqliteDatabase& db, std::size_t capacity) noexcept
        : m_db(db), m_statements(capacity) {}

    // Runs a statement through the prepared statement of its shape, its values bound; fills `rows` when
    // given. False, having run nothing, when the shape is several statements and `rows` is null. Throws
    // DbError for `operation` carrying the statement's text.
    bool run(const Statement& statement, std::string_view operation, QueryResult* rows);
    // Runs `sqliteText`, one statement of SQLite's SQL in place of `statement`, with the statement's values
    // bound to the same markers; prepared once per text. Throws DbError carrying the statement's text.
    void runAs(const Statement& statement, const std::string& sqliteText, std::string_view operation,
               QueryResult* rows);

    // Statements are prepared reading the issued-quantity pass's column through `beside`, on `sql`; both
    // must outlive this object.
    void readThrough(IssuedColumnBeside* beside, PairImageSql* sql) noexcept {
        m_beside = beside;
        m_besideSql = sql;
    }

    // Finalizes every prepared statement.
    void clear() noexcept { m_statements.clear(); }
    // The prepared statements kept for reuse.
    [[nodiscard]] std::size_t size() const noexcept { return m_statements.size(); }

private:
    // The cached statement of `shaped`, prepared on first use; nullptr when it is several statements and
    // `rows` is null. Throws DbError.
    SqliteStatementCache::Entry* entryFor(const Statement& statement, std::string_view operation,
                                          const QueryResult* rows);

    // Binds the statement's values to `entry` and runs it; a failure forgets the entry of `key`.
    void step(SqliteStatementCache::Entry& entry, const std::string& key, const Statement& statement,
              std::string_view operation, QueryResult* rows);

    SqliteDatabase& m_db;
    IssuedColumnBeside* m_beside = nullptr;
    PairImageSql* m_besideSql = nullptr;
    SqliteStatementCache m_statements;
};

}  // namespace tarvenish
