#include "ledger/db/recordset.h"

#include <utility>

#include "base/ascii_text.h"
#include "ledger/db/batched_commits.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"

namespace tarvenish {

namespace {

[[noreturn]] void fail(std::string_view operation, std::string message) {
    throw DbError(std::string(operation), 0, std::move(message), {});
}

}  // namespace

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

void Recordset::open(std::string_view source, std::string_view connectionString, CursorType cursorType,
                     LockType lockType, CommandType options) {
    if (options == CommandType::Text) {
        open(Statement::asText(std::string(source)), connectionString, cursorType, lockType, options);
        return;
    }
    if (m_open) fail("open recordset", "the recordset is already open");
    openTableOn(source, ConnectionPool::acquire(connectionString));
}

void Recordset::open(std::string_view source, Connection& connection, CursorType cursorType,
                     LockType lockType, CommandType options) {
    if (options == CommandType::Text) {
        open(Statement::asText(std::string(source)), connection, cursorType, lockType, options);
        return;
    }
    if (m_open) fail("open recordset", "the recordset is already open");
    openTableOn(source, connection);
}

void Recordset::open(const Statement& query, std::string_view connectionString, CursorType /*cursorType*/,
                     LockType /*lockType*/, CommandType options) {
    if (m_open) fail("open recordset", "the recordset is already open");
    if (options != CommandType::Text) fail("open recordset", "a table is opened by its name");
    // While commits on this string are batched on a file, a connection of its own could not see the batch,
    // and on a rollback journal could not read at all once the batch spills into the file: the query goes
    // inside the batch on the batch's own connection.
    if (Connection* batch = ConnectionPool::readingThrough(connectionString)) {
        openQueryOn(query, *batch, Read::InBatch);
        return;
    }
    // A connection of its own, as a recordset opened on a connection string has: committed data only.
    openQueryOn(query, ConnectionPool::acquire(connectionString), Read::SettlingFirst);
}

void Recordset::open(const Statement& query, Connection& connection, CursorType /*cursorType*/,
                     LockType /*lockType*/, CommandType options) {
    if (m_open) fail("open recordset", "the recordset is already open");
    if (options != CommandType::Text) fail("open recordset", "a table is opened by its name");
    openQueryOn(query, connection, Read::SettlingFirst);
}

void Recordset::openTableOn(std::string_view table, Connection& connection) {
    Engine& engine = connection.engine();
    if (engineHooks().beforeTableOpen) engineHooks().beforeTableOpen(table);
    std::unique_ptr<TableAppender> appender = connection.takeSpareAppender(table);
    if (!appender) appender = engine.openAppender(table);
    m_result = QueryResult{appender->columns(), {}};
    m_appender = std::move(appender);
    m_table = std::string(table);
    opened();
}

void Recordset::openQueryOn(const Statement& query, Connection& connection, Read read) {
    Engine& engine = connection.engine();
    if (engineHooks().beforeStatement) engineHooks().beforeStatement(query.text());
    try {
        BatchedCommits* batch = read == Read::InBatch ? engine.batchedCommits() : nullptr;
        m_result = batch ? batch->queryInBatch(query) : engine.query(query);
    } catch (const DbError& e) {
        throw DbError("open recordset", e.engineCode(), e.engineMessage(), e.statement());
    }
    m_appender.reset();
    m_table.clear();
    opened();
}

void Recordset::opened() {
    m_newRow.reset();
    m_position = 0;
    m_open = true;
    loadCurrent();
}

void Recordset::loadCurrent() {
    if (m_position < m_result.rows.size()) {
        m_result.rows.decode(m_position, m_current);
    } else {
        m_current.clear();
    }
}

void Recordset::close() noexcept {
    m_open = false;
    m_result = {};
    m_position = 0;
    m_current.clear();
    m_appender.reset();
    m_table.clear();
    m_newRow.reset();
}

std::unique_ptr<TableAppender> Recordset::closeTakingAppender() noexcept {
    std::unique_ptr<TableAppender> appender = m_open && !m_newRow ? std::move(m_appender) : nullptr;
    close();
    return appender;
}

bool Recordset::eof() const {
    if (!m_open) fail("read EOF", "the recordset is closed");
    return m_position >= m_result.rows.size();
}

bool Recordset::bof() const {
    if (!m_open) fail("read BOF", "the recordset is closed");
    // Without MovePrevious the cursor can stand before the first row only when there is none.
    return m_result.rows.empty();
}

long Recordset::recordCount() const {
    if (!m_open) fail("read RecordCount", "the recordset is closed");
    return static_cast<long>(m_result.rows.size());
}

void Recordset::moveFirst() {
    if (!m_open) fail("MoveFirst", "the recordset is closed");
    m_position = 0;
    loadCurrent();
}

void Recordset::moveLast() {
    if (!m_open) fail("MoveLast", "the recordset is closed");
    m_position = m_result.rows.empty() ? 0 : m_result.rows.size() - 1;
    loadCurrent();
}

void Recordset::moveNext() {
    if (!m_open) fail("MoveNext", "the recordset is closed");
    if (m_position >= m_result.rows.size()) fail("MoveNext", "the recordset is at its end");
    ++m_position;
    loadCurrent();
}

std::size_t Recordset::fieldCount() const {
    if (!m_open) fail("read fields", "the recordset is closed");
    return m_result.columns.size();
}

const std::string& Recordset::fieldName(std::size_t index) const {
    if (index >= fieldCount())
        fail("read field", "no field " + std::to_string(index) + " (the recordset has " +
                               std::to_string(m_result.columns.size()) + ")");
    return m_result.columns[index].name;
}

void Recordset::requireRow() const {
    if (eof()) fail("read field", "there is no current row");
}

const Value& Recordset::field(std::size_t index) const {
    requireRow();
    if (index >= m_result.columns.size())
        fail("read field", "no field " + std::to_string(index) + " (the recordset has " +
                               std::to_string(m_result.columns.size()) + ")");
    return m_current[index];
}

const Value& Recordset::field(std::string_view name) const {
    requireRow();
    return m_current[indexOf(name)];
}

std::size_t Recordset::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < m_result.columns.size(); ++i)
        if (equalsNoCase(m_result.columns[i].name, name)) return i;
    fail("find field", "no field named \"" + std::string(name) + "\"");
}

std::string Recordset::getString() {
    if (!m_open) fail("GetString", "the recordset is closed");
    std::string text;
    std::vector<Value> row;
    for (; m_position < m_result.rows.size(); ++m_position) {
        m_result.rows.decode(m_position, row);
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) text += '\t';
            text += row[i].displayText();
        }
        text += '\r';
    }
    m_current.clear();
    return text;
}

void Recordset::addNew() {
    if (!m_open || !m_appender) fail("AddNew", "the recordset is not open on a table");
    // A pending new row is stored first, as the host's recordsets do, so that no assigned row is lost.
    if (m_newRow) update();
    m_newRow.emplace(m_result.columns.size());
}

bool Recordset::setField(std::string_view name, const Value& value) {
    if (!m_open || !m_appender || !m_newRow) fail("assign field", "there is no new row (call AddNew first)");
    const std::size_t index = indexOf(name);
    std::optional<Value> converted = m_appender->convert(index, value);
    if (!converted) return false;
    (*m_newRow)[index] = std::move(*converted);
    return true;
}

void Recordset::update() {
    if (!m_open || !m_appender || !m_newRow) fail("Update", "there is no new row (call AddNew first)");
    // The row leaves the recordset whatever happens: a row that failed is reported, not stored again later.
    const std::vector<std::optional<Value>> row = std::exchange(m_newRow, std::nullopt).value();
    if (engineHooks().beforeRowStore) engineHooks().beforeRowStore(m_table);
    m_appender->insert(row);
}

void openReadOnlyQuery(Recordset& rs, const Statement& statement, std::string_view connectionString,
                       CursorType cursorType) {
    rs.setCursorLocation(CursorLocation::Client);
    rs.open(statement, connectionString, cursorType, LockType::ReadOnly, CommandType::Text);
}

void openReadOnlyQuery(Recordset& rs, std::string_view text, std::string_view connectionString,
                       CursorType cursorType) {
    openReadOnlyQuery(rs, Statement::asText(std::string(text)), connectionString, cursorType);
}

}  // namespace tarvenish
