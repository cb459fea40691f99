#include "ledger/odbc_engine.h"

#include "ledger/db_error.h"
#include "ledger/odbc_appender.h"
#include "ledger/odbc_rows.h"
#include "ledger/odbc_session.h"
#include "ledger/sqlite_translation.h"

namespace tarvenish {

OdbcEngine::OdbcEngine(std::shared_ptr<OdbcSession> session) noexcept
    : m_session(std::move(session)),
      m_planner([this](const std::string& text) { return runQuery(text, text); }) {}

std::unique_ptr<OdbcEngine> OdbcEngine::open(std::string_view connectionString) {
    return std::unique_ptr<OdbcEngine>(
        new OdbcEngine(OdbcSession::connect(connectionString, OdbcPurpose::Statements)));
}

OdbcEngine::~OdbcEngine() {
    if (!m_inTransaction) return;
    try {
        m_session->endTransaction(false);
        m_session->setAutocommit(true);
    } catch (...) {
        // Disconnecting rolls back what is left.
    }
}

bool OdbcEngine::takesServerDialectOnly() const noexcept {
    return m_session->kind() == OdbcServerKind::TransactSql;
}

const std::string& OdbcEngine::databaseFile() const noexcept {
    return m_session->databaseFile();
}

OdbcEngine::DriverText OdbcEngine::textFor(std::string_view sql, std::string_view operation) {
    if (m_session->kind() == OdbcServerKind::TransactSql) return {std::string(sql), {}};
    SqliteTranslation translation = translateForSqlite(sql, operation);
    return {m_planner.inJoinOrder(sql, std::move(translation.text)), std::move(translation.createdTable)};
}

void OdbcEngine::execute(std::string_view sql) {
    constexpr std::string_view kOperation = "execute";
    DriverText driverText = textFor(sql, kOperation);
    std::string& text = driverText.text;
    const OdbcHandle statement = m_session->newStatement();
    SQLRETURN rc = SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
    // A statement that changes no row answers SQL_NO_DATA.
    if (!succeeded(rc) && rc != SQL_NO_DATA) m_session->fail(kOperation, statement, std::string(sql));
    SQLLEN count = 0;
    m_changes = rc != SQL_NO_DATA && succeeded(SQLRowCount(statement.get(), &count)) && count > 0
                    ? static_cast<long>(count)
                    : 0;
    // A server reports a failure of a later statement of a batch only as its result is reached.
    while (succeeded(rc = SQLMoreResults(statement.get()))) {
    }
    if (rc != SQL_NO_DATA) m_session->fail(kOperation, statement, std::string(sql));
    if (!driverText.createdTable.empty()) m_planner.indexFirstColumn(driverText.createdTable);
}

QueryResult OdbcEngine::query(std::string_view sql) {
    return runQuery(textFor(sql, "query").text, sql);
}

QueryResult OdbcEngine::runQuery(std::string text, std::string_view sql) {
    constexpr std::string_view kOperation = "query";
    const OdbcHandle statement = m_session->newStatement();
    const SQLRETURN rc = SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
    if (!succeeded(rc) && rc != SQL_NO_DATA) m_session->fail(kOperation, statement, std::string(sql));
    QueryResult result;
    readOdbcRows(*m_session, statement, sql, result);
    return result;
}

std::unique_ptr<TableAppender> OdbcEngine::openAppender(std::string_view table) {
    return std::make_unique<OdbcAppender>(m_session, table);
}

void OdbcEngine::begin() {
    if (m_inTransaction) throw DbError("begin a transaction", 0, "a transaction is already open", {});
    m_session->setAutocommit(false);
    m_inTransaction = true;
}

void OdbcEngine::commit() {
    if (!m_inTransaction) throw DbError("commit", 0, "no transaction is open", {});
    m_session->endTransaction(true);
    m_inTransaction = false;
    m_session->setAutocommit(true);
}

void OdbcEngine::rollback() {
    if (!m_inTransaction) throw DbError("roll back", 0, "no transaction is open", {});
    m_inTransaction = false;
    m_session->endTransaction(false);
    m_session->setAutocommit(true);
}

}  // namespace tarvenish
