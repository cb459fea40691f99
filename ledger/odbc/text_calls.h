#pragma once
// The ODBC calls that carry text, taking and giving UTF-8. On POSIX systems they are the narrow calls, the
// text passed as it stands; on Windows the wide ones, the text converted to and from UTF-16, because a
// Windows driver manager reads narrow text in the system's ANSI code page. Included only by the ODBC
// engine's own sources.

#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <string>

namespace tarvenish {

// SQLDriverConnect without a prompt; `completed` receives the connection string the driver completed.
[[nodiscard]] SQLRETURN odbcDriverConnect(SQLHDBC dbc, const std::string& text, std::string& completed);

// SQLExecDirect of `text`.
[[nodiscard]] SQLRETURN odbcExecDirect(SQLHSTMT statement, const std::string& text);

// SQLPrepare of `text`.
[[nodiscard]] SQLRETURN odbcPrepare(SQLHSTMT statement, const std::string& text);

// SQLGetDiagRec of diagnostic `record`: its SQLSTATE, native code and message.
[[nodiscard]] SQLRETURN odbcDiagRecord(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                       std::string& state, SQLINTEGER& native, std::string& message);

// SQLDescribeCol of `column`: its name, and its SQL type, size, digits and nullability.
[[nodiscard]] SQLRETURN odbcDescribeColumn(SQLHSTMT statement, SQLUSMALLINT column, std::string& name,
                                           SQLSMALLINT& sqlType, SQLULEN& size, SQLSMALLINT& digits,
                                           SQLSMALLINT& nullable);

// The driver's name of a result column's type (SQL_DESC_TYPE_NAME); empty when it gives none.
[[nodiscard]] std::string odbcColumnTypeName(SQLHSTMT statement, SQLUSMALLINT column);

// SQLGetInfo of a text item.
[[nodiscard]] SQLRETURN odbcInfoText(SQLHDBC dbc, SQLUSMALLINT item, std::string& text);

// SQLColumns of every column of `table`, in any catalog and schema.
[[nodiscard]] SQLRETURN odbcColumns(SQLHSTMT statement, const std::string& table);

// The whole text of `column` of the current row, read in pieces; `text` is nullopt for Null. Returns the
// failed call's code, or SQL_SUCCESS (SQL_NO_DATA when the column was read already).
[[nodiscard]] SQLRETURN odbcGetText(SQLHSTMT statement, SQLUSMALLINT column,
                                    std::optional<std::string>& text);

// True unless a Chinese text sent to the data source comes back changed: a driver manager that converts the
// wide calls for a narrow driver through a character set without Chinese (Wine's odbc32 into unixODBC under a
// non-UTF-8 locale) would make every statement's Chinese texts match nothing. True where it cannot tell.
[[nodiscard]] bool odbcCarriesChineseText(SQLHDBC dbc);

// A text parameter's buffer as the driver reads it. The statement reads it when it executes, so it must
// live, unmoved, until then.
struct OdbcBoundText {
    std::u16string wide;  // the text in UTF-16 where the wide calls are used
    SQLLEN indicator = 0;
};

// Binds `text` as input parameter `index` of SQL type text. `text` (on POSIX systems, where it is bound as
// it stands) and `bound` must outlive the statement's execution.
[[nodiscard]] SQLRETURN odbcBindText(SQLHSTMT statement, SQLUSMALLINT index, const std::string& text,
                                     OdbcBoundText& bound);

}  // namespace tarvenish
