#pragma once
// RAII over the ODBC handles, and the reading of a handle's diagnostics into a DbError. Included only by the
// ODBC engine's own sources: the rest of the tree never sees an ODBC type.

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>

namespace tarvenish {

// One SQLHANDLE of one type, freed at destruction. Move-only.
class OdbcHandle final {
public:
    // Allocates a handle of `type` under `parent` (SQL_NULL_HANDLE for an environment). Throws DbError.
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
    ~OdbcHandle();
    OdbcHandle(OdbcHandle&& other) noexcept;
    OdbcHandle& operator=(OdbcHandle&&) = delete;
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    [[nodiscard]] SQLHANDLE get() const noexcept { return m_handle; }
    [[nodiscard]] SQLSMALLINT type() const noexcept { return m_type; }

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = nullptr;
};

// The first diagnostic record of a handle after a call failed.
struct OdbcDiagnostic {
    std::string sqlState;  // five characters, "HY000" when the driver gave none
    long nativeCode = 0;   // the data source's own error number
    std::string message;   // every record's message, joined
};
[[nodiscard]] OdbcDiagnostic diagnosticOf(SQLSMALLINT type, SQLHANDLE handle);

// True for SQL_SUCCESS and SQL_SUCCESS_WITH_INFO.
[[nodiscard]] inline bool succeeded(SQLRETURN rc) noexcept {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// Whose error numbers a DbError carries: SQLite's own (the SQLite driver passes them through) or another
// data source's.
enum class NativeCodes { Sqlite, Server };

// Throws the DbError of a failed call on `handle`: `operation` failed, with the SQLSTATE, the native code,
// the driver's message and `statement` (as the caller built it).
[[noreturn]] void throwOdbcError(std::string_view operation, const OdbcHandle& handle, std::string statement,
                                 NativeCodes codes);

}  // namespace tarvenish
