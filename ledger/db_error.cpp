#include "ledger/db_error.h"

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

}  // namespace

DbError::DbError(std::string what, int engineCode, std::string engineMessage, std::string statement)
    : std::runtime_error(describe(what, engineCode, engineMessage, statement)),
      m_engineCode(engineCode),
      m_engineMessage(std::move(engineMessage)),
      m_statement(std::move(statement)) {}

// The engine's codes are SQLite's; its primary code is the low byte of an extended one.
bool DbError::blocksEveryStatement() const noexcept {
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
