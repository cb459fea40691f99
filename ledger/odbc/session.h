#pragma once
// One ODBC connection: its environment and connection handles, what kind of database is behind it, and its
// transaction mode. Shared by the engine and its appenders, so that it outlives both.

#include <memory>
#include <string>
#include <string_view>

#include "ledger/odbc/handle.h"
#include "ledger/odbc/server_kind.h"

namespace tarvenish {

// What a connection is opened for.
enum class OdbcPurpose {
    Statements,  // a run's statements: a SQLite database gets the dialect functions loaded
    RunLock,     // only the run lock: nothing loaded
};

class OdbcSession final {
public:
    // Connects by an ODBC connection string, never prompting. Throws DbError carrying the SQLSTATE, with how
    // to install a driver the driver manager does not know, or naming a database kind it cannot serve.
    [[nodiscard]] static std::shared_ptr<OdbcSession> connect(std::string_view connectionString,
                                                              OdbcPurpose purpose);
    // Rolls back what a caller's transaction left open and disconnects.
    ~OdbcSession();
    OdbcSession(const OdbcSession&) = delete;
    OdbcSession& operator=(const OdbcSession&) = delete;

    [[nodiscard]] SQLHDBC handle() const noexcept { return m_dbc.get(); }
    [[nodiscard]] OdbcServerKind kind() const noexcept { return m_kind; }
    // The database file of a SQLite data source as the driver reports it; empty otherwise.
    [[nodiscard]] const std::string& databaseFile() const noexcept { return m_databaseFile; }
    [[nodiscard]] NativeCodes nativeCodes() const noexcept {
        return m_kind == OdbcServerKind::Sqlite ? NativeCodes::Sqlite : NativeCodes::Server;
    }

    // A new statement handle on this connection. Throws DbError.
    [[nodiscard]] OdbcHandle newStatement() const;
    // Throws the DbError of a failed call on `handle`.
    [[noreturn]] void fail(std::string_view operation, const OdbcHandle& handle, std::string statement) const;

    // Runs one statement as it is, dropping any rows. Throws DbError for `operation` carrying `sql`.
    void run(std::string_view sql, std::string_view operation) const;
    // Autocommit off (a caller's transaction) or on. Throws DbError.
    void setAutocommit(bool on);
    // Commits or rolls back the open transaction. Throws DbError.
    void endTransaction(bool commit);

private:
    OdbcSession();
    // Connects `text` and learns what is behind it. Throws DbError.
    void open(const std::string& text);
    void close() noexcept;

    OdbcHandle m_env;
    OdbcHandle m_dbc;
    bool m_connected = false;
    OdbcServerKind m_kind = OdbcServerKind::Unsupported;
    std::string m_dbmsName;
    std::string m_completed;  // the connection string the driver completed
    std::string m_databaseFile;
};

}  // namespace tarvenish
