#include "ledger/sqlite/handle.h"

#include <sqlite3.h>

#include "ledger/db/error.h"

namespace tarvenish {

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close_v2(m_db);
}

void SqliteDatabase::countSteps(sqlite3_stmt* statement) noexcept {
    m_vmSteps += static_cast<std::uint64_t>(sqlite3_stmt_status(statement, SQLITE_STMTSTATUS_VM_STEP, 1));
    if (sqlite3_stmt_readonly(statement) == 0) ++m_writes;
}

void SqliteDatabase::fail(std::string_view operation, int code, std::string statement) const {
    const char* message = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    throw DbError(std::string(operation), code, message != nullptr ? message : sqlite3_errstr(code),
                  std::move(statement));
}

void StatementDeleter::operator()(sqlite3_stmt* statement) const noexcept {
    sqlite3_finalize(statement);
}

}  // namespace tarvenish
