#include "ledger/odbc/session.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "base/ascii_text.h"
#include "ledger/db/busy_timeout.h"
#include "ledger/db/connection_redaction.h"
#include "ledger/db/engine.h"
#include "ledger/db/error.h"
#include "ledger/dialect/extension_path.h"
#include "ledger/odbc/text_calls.h"

namespace tarvenish {

namespace {

constexpr std::string_view kConnect = "connect to the ODBC data source";

// The value of `key` in a connection string: nullopt when it has none or cannot be read.
std::optional<std::string> valueOf(std::string_view text, std::string_view key) {
    try {
        for (const auto& [name, value] : parseConnectionString(text).others)
            if (equalsNoCase(name, key)) return value;
    } catch (const DbError&) {
    }
    return std::nullopt;
}

// What to do about a driver or DSN that the driver manager itself cannot find or load.
std::string installHint(std::string_view text, const OdbcDiagnostic& diagnostic) {
    if (!diagnostic.sqlState.starts_with("IM") &&
        diagnostic.message.find("Driver Manager]") == std::string::npos)
        return {};
    const std::string driver = valueOf(text, "driver").value_or("");
    const std::string named =
        driver.empty()
            ? "; the data source \"" + valueOf(text, "dsn").value_or("") +
                  "\" is not defined (odbcinst -q -s lists those that are)"
            : "; the ODBC driver \"" + driver +
                  "\" is not installed or not registered with the driver manager (odbcinst -q -d lists those "
                  "that are)";
    return named +
           ". For a SQLite account set: apt-get install libsqliteodbc; for a SQL Server or Sybase "
           "server: apt-get install tdsodbc, or the vendor's driver";
}

std::string withKey(std::string text, std::string_view key, std::string_view value) {
    while (!text.empty() && isBlank(text.back())) text.pop_back();
    if (!text.empty() && text.back() != ';') text += ';';
    return text + std::string(key) + "=" + std::string(value) + ";";
}

}  // namespace

OdbcSession::OdbcSession()
    : m_env(SQL_HANDLE_ENV, SQL_NULL_HANDLE), m_dbc([this] {
          SQLSetEnvAttr(m_env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
          return OdbcHandle(SQL_HANDLE_DBC, m_env.get());
      }()) {}

OdbcSession::~OdbcSession() {
    close();
}

void OdbcSession::close() noexcept {
    if (!m_connected) return;
    SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), SQL_ROLLBACK);
    SQLDisconnect(m_dbc.get());
    m_connected = false;
}

void OdbcSession::open(const std::string& text) {
    std::string completed;
    const SQLRETURN rc = odbcDriverConnect(m_dbc.get(), text, completed);
    if (!succeeded(rc)) {
        const OdbcDiagnostic diagnostic = diagnosticOf(SQL_HANDLE_DBC, m_dbc.get());
        // The connection string itself is shown without its password.
        throw DbError(
            std::string(kConnect) + " \"" + redactedConnectionString(text) + "\"",
            static_cast<int>(diagnostic.nativeCode),
            (diagnostic.message.empty() ? "the driver manager refused the connection" : diagnostic.message) +
                installHint(text, diagnostic),
            {}, diagnostic.sqlState, DbError::Codes::Server);
    }
    m_connected = true;
    m_completed = std::move(completed);
    if (!succeeded(odbcInfoText(m_dbc.get(), SQL_DBMS_NAME, m_dbmsName)))
        throwOdbcError("ask the ODBC data source what it is", m_dbc, {}, NativeCodes::Server);
    m_kind = serverKindOf(m_dbmsName);
    if (!odbcCarriesChineseText(m_dbc.get()))
        throw DbError(
            std::string(kConnect) + " \"" + redactedConnectionString(text) + "\"", 0,
            "the ODBC driver manager does not carry Chinese text to the driver intact, so the "
            "statements' Chinese texts would match nothing; nothing was asked or changed (under Wine, "
            "run with a UTF-8 locale such as LC_ALL=C.UTF-8)",
            {});
    // The driver names the file in the connection string it completed, also for a DSN.
    if (m_kind == OdbcServerKind::Sqlite)
        m_databaseFile = valueOf(m_completed, "database").value_or(valueOf(text, "database").value_or(""));
    if (m_kind == OdbcServerKind::Desktop)
        m_databaseFile = valueOf(m_completed, "dbq").value_or(valueOf(text, "dbq").value_or(""));
}

std::shared_ptr<OdbcSession> OdbcSession::connect(std::string_view connectionString, OdbcPurpose purpose) {
    std::shared_ptr<OdbcSession> session(new OdbcSession());
    const std::string text(connectionString);
    session->open(text);
    if (session->m_kind == OdbcServerKind::Unsupported)
        throw DbError(std::string(kConnect), 0,
                      "the data source is a \"" + session->m_dbmsName +
                          "\" database; account sets are kept on a SQL Server or Sybase server, in a desktop "
                          "database file or in a SQLite database",
                      {});
    if (session->m_kind != OdbcServerKind::Sqlite || purpose != OdbcPurpose::Statements) return session;
    // The bridge's statements call the dialect functions, which the driver's SQLite connection only has once
    // it has loaded them; the driver's lock wait follows the component's busy timeout like the embedded one.
    std::string again = text;
    if (!valueOf(text, "loadext")) again = withKey(again, "LoadExt", dialectExtensionPath());
    // The driver takes a wait under 1 ms for its longest (1,000 s): "no wait" is the least it knows, 1 ms.
    if (!valueOf(text, "timeout"))
        again = withKey(again, "Timeout", std::to_string(std::max<long long>(1, busyTimeout().count())));
    if (again == text) return session;
    session->close();
    session->open(again);
    return session;
}

OdbcHandle OdbcSession::newStatement() const {
    return OdbcHandle(SQL_HANDLE_STMT, m_dbc.get());
}

void OdbcSession::fail(std::string_view operation, const OdbcHandle& handle, std::string statement) const {
    throwOdbcError(operation, handle, std::move(statement), nativeCodes());
}

void OdbcSession::run(std::string_view sql, std::string_view operation) const {
    const OdbcHandle statement = newStatement();
    std::string text(sql);
    const SQLRETURN rc = odbcExecDirect(statement.get(), text);
    if (!succeeded(rc) && rc != SQL_NO_DATA) fail(operation, statement, std::move(text));
}

void OdbcSession::setAutocommit(bool on) {
    const SQLRETURN rc =
        SQLSetConnectAttr(m_dbc.get(), SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
    if (!succeeded(rc)) fail(on ? "end the transaction" : "begin a transaction", m_dbc, {});
}

void OdbcSession::endTransaction(bool commit) {
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_dbc.get(), commit ? SQL_COMMIT : SQL_ROLLBACK);
    if (!succeeded(rc)) fail(commit ? "commit" : "roll back", m_dbc, {});
}

}  // namespace tarvenish
