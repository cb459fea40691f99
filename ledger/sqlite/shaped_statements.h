#pragma once
// Statements run through one prepared statement per shape: the literals of a statement are bound as
// parameters, so statements differing only in their literals are translated and prepared once.

#include <cstddef>
#include <string_view>

#include "base/sql_parameters.h"
#include "ledger/db/engine.h"
#include "ledger/sqlite/statement_cache.h"

namespace tarvenish {

class SqliteDatabase;

class SqliteShapedStatements final {
public:
    // Keeps up to `capacity` prepared statements of `db`, which must outlive this object.
    SqliteShapedStatements(SqliteDatabase& db, std::size_t capacity) noexcept
        : m_db(db), m_statements(capacity) {}

    // Runs a statement through the prepared statement of its shape, its literals bound; fills `rows` when
    // given. False, having run nothing, when the shape is several statements and `rows` is null. Throws
    // DbError for `operation` carrying `original`.
    bool run(const ParameterizedSql& shaped, std::string_view original, std::string_view operation,
             QueryResult* rows);

    // Finalizes every prepared statement.
    void clear() noexcept { m_statements.clear(); }
    // The prepared statements kept for reuse.
    [[nodiscard]] std::size_t size() const noexcept { return m_statements.size(); }

private:
    // The cached statement of `shaped`, prepared on first use; nullptr when it is several statements and
    // `rows` is null. Throws DbError.
    SqliteStatementCache::Entry* entryFor(const ParameterizedSql& shaped, std::string_view original,
                                          std::string_view operation, const QueryResult* rows);

    SqliteDatabase& m_db;
    SqliteStatementCache m_statements;
};

}  // namespace tarvenish
