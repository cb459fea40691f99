#include "ledger/db/error.h"

#include <sqlite3.h>

#include <utility>

namespace tarvenish {

namespace {

std::string describe(const std::string& what, int engineCode, const std::string& engineMessage,
                     const std::string& statement) {
    std::string text = what + " failed: " + (engineMessage.empty() ? "unknown error" : engineMessage);
    if (engineCode != 0) text += " (engine code " + std::to_string(engineCode) + ")";
    if (!statement.empty()) text += "; statement: " + statement;
    return text;
}

std::string withState(const std::string& sqlState, std::string message) {
    return sqlState.empty() ? message : "SQLSTATE " + sqlState + ": " + message;
}

}  // namespace

DbError::DbError(std::string what, int engineCode, std::string engineMessage, std::string statement,
                 std::string sqlState, Codes codes)
    : std::runtime_error(describe(what, engineCode, withState(sqlState, engineMessage), statement)),
      m_engineCode(engineCode),
      m_engineMessage(withState(sqlState, std::move(engineMessage))),
      m_statement(std::move(statement)),
      m_sqlState(std::move(sqlState)),
      m_codes(codes) {}

// SQLite's primary code is the low byte of an extended one; a server's lost connection (SQLSTATE class 08)
// stops every later statement too.
bool DbError::blocksEveryStatement() const noexcept {
    if (m_sqlState.starts_with("08")) return true;
    if (m_codes != Codes::Sqlite) return false;
    switch (m_engineCode & 0xff) {
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_READONLY:
            return true;
        default:
            return false;
    }
}

bool DbError::isLockTimeout() const noexcept {
    // HYT00: the statement's timeout ran out; 1222: the server's lock request timed out.
    if (m_sqlState == "HYT00") return true;
    if (m_codes != Codes::Sqlite) return m_engineCode == 1222;
    const int primary = m_engineCode & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

std::string failureMessage(const std::exception& error) {
    if (const auto* db = dynamic_cast<const DbError*>(&error); db && !db->engineMessage().empty()) {
        return db->engineMessage();
    }
    return error.what();
}

}  // namespace tarvenish
