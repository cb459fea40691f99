#include "ledger/odbc/handle.h"

#include <utility>

#include "ledger/db/error.h"
#include "ledger/odbc/text_calls.h"

namespace tarvenish {

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type) {
    const SQLRETURN rc = SQLAllocHandle(type, parent, &m_handle);
    if (succeeded(rc)) return;
    OdbcDiagnostic diagnostic;
    if (parent != nullptr) {
        const SQLSMALLINT parentType = type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC;
        diagnostic = diagnosticOf(parentType, parent);
    }
    m_handle = nullptr;
    throw DbError(
        "allocate an ODBC handle", static_cast<int>(diagnostic.nativeCode),
        diagnostic.message.empty() ? "the ODBC driver manager refused a handle" : diagnostic.message, {},
        diagnostic.sqlState);
}

OdbcHandle::~OdbcHandle() {
    if (m_handle != nullptr) SQLFreeHandle(m_type, m_handle);
}

OdbcHandle::OdbcHandle(OdbcHandle&& other) noexcept
    : m_type(other.m_type), m_handle(std::exchange(other.m_handle, nullptr)) {}

OdbcDiagnostic diagnosticOf(SQLSMALLINT type, SQLHANDLE handle) {
    OdbcDiagnostic diagnostic;
    for (SQLSMALLINT record = 1;; ++record) {
        std::string state;
        SQLINTEGER native = 0;
        std::string message;
        if (!succeeded(odbcDiagRecord(type, handle, record, state, native, message))) break;
        if (record == 1) {
            diagnostic.sqlState = std::move(state);
            diagnostic.nativeCode = native;
        }
        if (!diagnostic.message.empty()) diagnostic.message += "; ";
        diagnostic.message += message;
    }
    if (diagnostic.sqlState.empty()) diagnostic.sqlState = "HY000";
    return diagnostic;
}

void throwOdbcError(std::string_view operation, const OdbcHandle& handle, std::string statement,
                    NativeCodes codes) {
    const OdbcDiagnostic diagnostic = diagnosticOf(handle.type(), handle.get());
    throw DbError(std::string(operation), static_cast<int>(diagnostic.nativeCode),
                  diagnostic.message.empty() ? "the ODBC driver gave no message" : diagnostic.message,
                  std::move(statement), diagnostic.sqlState,
                  codes == NativeCodes::Sqlite ? DbError::Codes::Sqlite : DbError::Codes::Server);
}

}  // namespace tarvenish
