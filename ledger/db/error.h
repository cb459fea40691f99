#pragma once
// The database layer's one error type: what failed, the engine's code and message, and the statement.

#include <exception>
#include <stdexcept>
#include <string>

namespace tarvenish {

class DbError : public std::runtime_error {
public:
    // Whose numbers engineCode() holds: SQLite's result codes, or a database server's own error numbers.
    enum class Codes { Sqlite, Server };

    // `what` names the operation ("execute", "open recordset", "update row"); `statement` is the text as the
    // caller built it (before any engine rewrite), empty where there is none. An ODBC failure adds its
    // SQLSTATE, which the engine message then begins with.
    DbError(std::string what, int engineCode, std::string engineMessage, std::string statement,
            std::string sqlState = {}, Codes codes = Codes::Sqlite);

    [[nodiscard]] int engineCode() const noexcept { return m_engineCode; }
    [[nodiscard]] const std::string& engineMessage() const noexcept { return m_engineMessage; }
    [[nodiscard]] const std::string& statement() const noexcept { return m_statement; }
    // The ODBC SQLSTATE ("IM002"), empty for the embedded engine.
    [[nodiscard]] const std::string& sqlState() const noexcept { return m_sqlState; }

    // True when no later statement can get past this failure either: the disk is full, the device fails, or
    // the database is corrupt, not a database or read-only.
    [[nodiscard]] bool blocksEveryStatement() const noexcept;
    // True when a lock that another connection holds could not be had within the busy timeout.
    [[nodiscard]] bool isLockTimeout() const noexcept;

private:
    int m_engineCode;
    std::string m_engineMessage;
    std::string m_statement;
    std::string m_sqlState;
    Codes m_codes;
};

// What a failure says to people: the engine's own message for a DbError that has one, what() otherwise.
[[nodiscard]] std::string failureMessage(const std::exception& error);

// Runs `body`; a database failure leaves the statement it names in `statement` on its way out.
template <typename Body>
void namingStatement(std::string& statement, Body&& body) {
    try {
        body();
    } catch (const DbError& error) {
        statement = error.statement();
        throw;
    }
}

}  // namespace tarvenish
