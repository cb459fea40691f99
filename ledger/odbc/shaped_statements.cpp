#include "ledger/odbc/shaped_statements.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "base/ascii_text.h"
#include "base/sql_tokenizer.h"
#include "ledger/dialect/bridge.h"
#include "ledger/dialect/issued_beside.h"
#include "ledger/odbc/rows.h"
#include "ledger/odbc/session.h"
#include "ledger/odbc/sqlite_planner.h"
#include "ledger/odbc/text_calls.h"

namespace tarvenish {

namespace {

// `sqliteText` with each "?n" written as a plain "?", noting in `valueAt` which value each one takes: the
// driver counts the markers and binds them in order, and the translation may have moved a clause. nullopt
// when the text holds another kind of marker, a marker of no value, or a further statement.
std::optional<std::string> withPlainMarkers(std::string_view sqliteText, std::size_t values,
                                            std::vector<std::size_t>& valueAt) {
    std::string out;
    out.reserve(sqliteText.size());
    bool ended = false;
    try {
        for (std::size_t at = 0; at < sqliteText.size();) {
            const SqlToken token = readSqlToken(sqliteText, at);
            at = token.end;
            const std::string_view piece = sqliteText.substr(token.begin, token.end - token.begin);
            if (token.kind == TokenKind::Blank) {
                out += piece;
                continue;
            }
            if (ended) return std::nullopt;
            if (piece == ";") ended = true;
            if (piece != "?") {
                out += piece;
                continue;
            }
            if (at >= sqliteText.size()) return std::nullopt;
            const SqlToken number = readSqlToken(sqliteText, at);
            const char* first = sqliteText.data() + number.begin;
            const char* last = sqliteText.data() + number.end;
            std::size_t n = 0;
            const auto [end, error] = std::from_chars(first, last, n);
            if (number.kind != TokenKind::Number || error != std::errc() || end != last || n == 0 ||
                n > values)
                return std::nullopt;
            valueAt.push_back(n - 1);
            out += '?';
            at = number.end;
        }
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
    return out;
}

// True for an insert, update or delete. The driver parses such a statement afresh at every execution,
// prepared or not, but keeps a statement it takes for a query: one opening with a common table expression.
bool changesRows(std::string_view sqliteText) {
    try {
        for (std::size_t at = 0; at < sqliteText.size();) {
            const SqlToken token = readSqlToken(sqliteText, at);
            at = token.end;
            if (token.kind == TokenKind::Blank) continue;
            const std::string_view word = sqliteText.substr(token.begin, token.end - token.begin);
            return equalsNoCase(word, "insert") || equalsNoCase(word, "update") ||
                   equalsNoCase(word, "delete") || equalsNoCase(word, "replace");
        }
    } catch (const std::invalid_argument&) {
    }
    return false;
}

// Binds `value` as parameter `index`. The parameters are input only: the driver reads the value's own
// storage and never writes it, which is why its constness may be cast away.
SQLRETURN bindValue(SQLHSTMT statement, SQLUSMALLINT index, const StatementValue& value,
                    OdbcBoundText& bound) {
    switch (value.kind) {
        case StatementValue::Kind::Integer:
            return SQLBindParameter(statement, index, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                    const_cast<std::int64_t*>(&value.integer), 0, nullptr);
        case StatementValue::Kind::Text:
            return odbcBindText(statement, index, value.text, bound);
    }
    return SQL_ERROR;
}

// Leaves a reused statement closed and without bound parameters, whatever happened to this use: the bound
// buffers are the caller's values, gone once the call returns.
class StatementUse final {
public:
    explicit StatementUse(SQLHSTMT statement) noexcept : m_statement(statement) {}
    ~StatementUse() {
        SQLFreeStmt(m_statement, SQL_CLOSE);
        SQLFreeStmt(m_statement, SQL_RESET_PARAMS);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    SQLHSTMT m_statement;
};

// The rows the last insert, update or delete of the connection changed, read by `changes`, a prepared
// "select changes()".
long lastChanges(const OdbcSession& session, const OdbcHandle& changes, std::string_view original,
                 std::string_view operation) {
    StatementUse use(changes.get());
    if (!succeeded(SQLExecute(changes.get())) || !succeeded(SQLFetch(changes.get())))
        session.fail(operation, changes, std::string(original));
    SQLBIGINT count = 0;
    SQLLEN indicator = 0;
    if (!succeeded(SQLGetData(changes.get(), 1, SQL_C_SBIGINT, &count, 0, &indicator)))
        session.fail(operation, changes, std::string(original));
    return static_cast<long>(count);
}

// Runs a prepared statement with `values` bound as `valueAt` says; returns the rows it changed.
long runPrepared(const OdbcSession& session, const OdbcHandle& statement,
                 const std::vector<std::size_t>& valueAt, const std::vector<StatementValue>& values,
                 std::string_view original, std::string_view operation, QueryResult* rows) {
    StatementUse use(statement.get());
    // Sized once: a bound buffer must not move before the statement has run.
    std::vector<OdbcBoundText> bound(valueAt.size());
    for (std::size_t i = 0; i < valueAt.size(); ++i) {
        if (!succeeded(
                bindValue(statement.get(), static_cast<SQLUSMALLINT>(i + 1), values[valueAt[i]], bound[i])))
            session.fail(operation, statement, std::string(original));
    }
    const SQLRETURN rc = SQLExecute(statement.get());
    // A statement that changes no row answers SQL_NO_DATA.
    if (!succeeded(rc) && rc != SQL_NO_DATA) session.fail(operation, statement, std::string(original));
    SQLLEN count = 0;
    const long changed = rc != SQL_NO_DATA && succeeded(SQLRowCount(statement.get(), &count)) && count > 0
                             ? static_cast<long>(count)
                             : 0;
    if (rows != nullptr) readOdbcRows(session, statement, original, *rows);
    return changed;
}

}  // namespace

std::optional<long> OdbcShapedStatements::run(const Statement& shaped, std::string_view operation,
                                              QueryResult* rows) {
    return runKept(preparedFor(shaped), shaped.shape(), shaped, operation, rows);
}

std::optional<long> OdbcShapedStatements::runAs(const Statement& shaped, const std::string& sqliteText,
                                                std::string_view operation, QueryResult* rows) {
    const Prepared* prepared =
        kept(sqliteText, [&] { return prepareSqlite(sqliteText, shaped.values().size()); });
    return runKept(prepared, sqliteText, shaped, operation, rows);
}

std::optional<long> OdbcShapedStatements::runKept(const Prepared* prepared, const std::string& key,
                                                  const Statement& shaped, std::string_view operation,
                                                  QueryResult* rows) {
    if (prepared == nullptr || !prepared->statement) return std::nullopt;
    const std::string_view original = shaped.text();
    try {
        const long changed = runPrepared(m_session, *prepared->statement, prepared->valueAt, shaped.values(),
                                         original, operation, rows);
        if (!prepared->changesRows) return changed;
        if (!m_changes) {
            OdbcHandle changes = m_session.newStatement();
            if (!succeeded(odbcPrepare(changes.get(), "select changes()")))
                m_session.fail(operation, changes, std::string(original));
            m_changes.emplace(std::move(changes));
        }
        return lastChanges(m_session, *m_changes, original, operation);
    } catch (...) {
        // A statement that failed (its table dropped, say) is prepared afresh next time.
        forget(key);
        throw;
    }
}

template <typename Make>
OdbcShapedStatements::Prepared* OdbcShapedStatements::kept(const std::string& key, Make make) {
    if (const auto known = m_byShape.find(key); known != m_byShape.end()) {
        m_order.splice(m_order.begin(), m_order, known->second);
        return &known->second->second;
    }
    std::optional<Prepared> prepared = make();
    if (!prepared) return nullptr;
    m_order.emplace_front(key, std::move(*prepared));
    m_byShape.emplace(key, m_order.begin());
    if (m_order.size() > m_capacity) {
        m_byShape.erase(m_order.back().first);
        m_order.pop_back();
    }
    return &m_order.front().second;
}

OdbcShapedStatements::Prepared* OdbcShapedStatements::preparedFor(const Statement& shaped) {
    return kept(shaped.shape(), [&] { return prepare(shaped); });
}

std::optional<OdbcShapedStatements::Prepared> OdbcShapedStatements::prepare(const Statement& shaped) {
    SqliteTranslation translation;
    try {
        translation = translateStatement(shaped.shape());
    } catch (const std::invalid_argument&) {
        return Prepared{};
    }
    // The table a select-into makes is indexed after it, as the text path does.
    if (!translation.createdTable.empty()) return Prepared{};
    if (m_beside != nullptr && m_besideSql != nullptr)
        translation.text = m_beside->reading(std::move(translation.text), *m_besideSql);
    return prepareSqlite(
        m_planner.shapeInJoinOrder(shaped.kind(), shaped.shape(), shaped.text(), std::move(translation.text)),
        shaped.values().size());
}

std::optional<OdbcShapedStatements::Prepared> OdbcShapedStatements::prepareSqlite(const std::string& text,
                                                                                  std::size_t values) {
    Prepared prepared;
    std::optional<std::string> plain = withPlainMarkers(text, values, prepared.valueAt);
    if (!plain) return prepared;
    // The driver keeps a statement it takes for a query; it reports no count of changed rows for one, so
    // SQLite's count is asked after each use.
    prepared.changesRows = changesRows(*plain);
    if (prepared.changesRows) plain->insert(0, "with tarvenish_prepared as (select 1) ");
    OdbcHandle statement = m_session.newStatement();
    // A shape the driver refuses goes as text this time, so that the statement fails as written, with the
    // driver's own words about its literals.
    if (!succeeded(odbcPrepare(statement.get(), *plain))) return std::nullopt;
    prepared.statement.emplace(std::move(statement));
    return prepared;
}

void OdbcShapedStatements::clear() noexcept {
    m_byShape.clear();
    m_order.clear();
}

void OdbcShapedStatements::forget(const std::string& shape) noexcept {
    const auto known = m_byShape.find(shape);
    if (known == m_byShape.end()) return;
    m_order.erase(known->second);
    m_byShape.erase(known);
}

}  // namespace tarvenish
