#include "ledger/odbc/text_calls.h"

#include "base/utf16_win32.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

// The wide calls declare their text as SQLWCHAR, which is WCHAR here: 16 bits, as char16_t.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));

namespace {

bool succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

}  // namespace

namespace tarvenish {
namespace {

std::u16string wideOf(const std::string& text) {
    const std::wstring wide = utf16(text);
    return std::u16string(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

std::string utf8Of(const char16_t* text, std::size_t length) {
    return utf8(std::wstring_view(reinterpret_cast<const wchar_t*>(text), length));
}

// The text of a zero-terminated buffer the driver filled.
template <std::size_t N>
std::string utf8Of(const char16_t (&buffer)[N]) {
    return utf8Of(buffer, std::char_traits<char16_t>::length(buffer));
}

SQLWCHAR* sqlText(std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

SQLWCHAR* sqlText(char16_t* buffer) {
    return reinterpret_cast<SQLWCHAR*>(buffer);
}

}  // namespace

SQLRETURN odbcDriverConnect(SQLHDBC dbc, const std::string& text, std::string& completed) {
    std::u16string in = wideOf(text);
    char16_t buffer[4096] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLDriverConnectW(dbc, nullptr, sqlText(in), SQL_NTS, sqlText(buffer),
                          static_cast<SQLSMALLINT>(std::size(buffer)), &length, SQL_DRIVER_NOPROMPT);
    completed = utf8Of(buffer);
    return rc;
}

SQLRETURN odbcExecDirect(SQLHSTMT statement, const std::string& text) {
    std::u16string wide = wideOf(text);
    return SQLExecDirectW(statement, sqlText(wide), static_cast<SQLINTEGER>(wide.size()));
}

SQLRETURN odbcPrepare(SQLHSTMT statement, const std::string& text) {
    std::u16string wide = wideOf(text);
    return SQLPrepareW(statement, sqlText(wide), static_cast<SQLINTEGER>(wide.size()));
}

SQLRETURN odbcDiagRecord(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, std::string& state,
                         SQLINTEGER& native, std::string& message) {
    char16_t stateBuffer[6] = {};
    char16_t messageBuffer[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLGetDiagRecW(type, handle, record, sqlText(stateBuffer), &native, sqlText(messageBuffer),
                       static_cast<SQLSMALLINT>(std::size(messageBuffer)), &length);
    state = utf8Of(stateBuffer);
    message = utf8Of(messageBuffer);
    return rc;
}

SQLRETURN odbcDescribeColumn(SQLHSTMT statement, SQLUSMALLINT column, std::string& name, SQLSMALLINT& sqlType,
                             SQLULEN& size, SQLSMALLINT& digits, SQLSMALLINT& nullable) {
    char16_t buffer[256] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLDescribeColW(statement, column, sqlText(buffer), static_cast<SQLSMALLINT>(std::size(buffer)),
                        &length, &sqlType, &size, &digits, &nullable);
    name = utf8Of(buffer);
    return rc;
}

std::string odbcColumnTypeName(SQLHSTMT statement, SQLUSMALLINT column) {
    char16_t buffer[128] = {};
    SQLSMALLINT length = 0;
    // The attribute's buffer length is in bytes.
    SQLColAttributeW(statement, column, SQL_DESC_TYPE_NAME, buffer, sizeof buffer - sizeof buffer[0], &length,
                     nullptr);
    return utf8Of(buffer);
}

SQLRETURN odbcInfoText(SQLHDBC dbc, SQLUSMALLINT item, std::string& text) {
    char16_t buffer[256] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetInfoW(dbc, item, buffer, sizeof buffer - sizeof buffer[0], &length);
    text = utf8Of(buffer);
    return rc;
}

SQLRETURN odbcColumns(SQLHSTMT statement, const std::string& table) {
    std::u16string wide = wideOf(table);
    return SQLColumnsW(statement, nullptr, 0, nullptr, 0, sqlText(wide),
                       static_cast<SQLSMALLINT>(wide.size()), nullptr, 0);
}

SQLRETURN odbcGetText(SQLHSTMT statement, SQLUSMALLINT column, std::optional<std::string>& text) {
    // The pieces are joined before they are converted: a piece may end inside a surrogate pair.
    std::u16string read;
    char16_t buffer[1024];
    constexpr auto kBytes = static_cast<SQLLEN>(sizeof buffer);
    for (bool first = true;; first = false) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, SQL_C_WCHAR, buffer, kBytes, &indicator);
        if (rc == SQL_NO_DATA) {
            text = utf8Of(read.data(), read.size());
            return first ? SQL_NO_DATA : SQL_SUCCESS;
        }
        if (!(rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)) return rc;
        if (indicator == SQL_NULL_DATA) {
            text.reset();
            return SQL_SUCCESS;
        }
        // A piece that did not fit fills the buffer less its terminating zero; the indicator counts bytes.
        const bool more = indicator == SQL_NO_TOTAL || indicator >= kBytes;
        read.append(buffer,
                    more ? std::size(buffer) - 1 : static_cast<std::size_t>(indicator) / sizeof buffer[0]);
        if (!more) break;
    }
    text = utf8Of(read.data(), read.size());
    return SQL_SUCCESS;
}

bool odbcCarriesChineseText(SQLHDBC dbc) {
    SQLHSTMT statement = nullptr;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement))) return true;
    constexpr std::string_view kProbe = "\xE4\xB8\xAA\xE5\x88\xAB\xE8\xAE\xA1\xE4\xBB\xB7\xE6\xB3\x95";
    std::optional<std::string> read;
    bool carried = true;
    // A data source that takes no select without a table is not asked; its statements will say what fails.
    if (succeeded(odbcExecDirect(statement, "select '" + std::string(kProbe) + "'")) &&
        succeeded(SQLFetch(statement)) && succeeded(odbcGetText(statement, 1, read)))
        carried = read == kProbe;
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return carried;
}

SQLRETURN odbcBindText(SQLHSTMT statement, SQLUSMALLINT index, const std::string& text,
                       OdbcBoundText& bound) {
    bound.wide = wideOf(text);
    bound.indicator = static_cast<SQLLEN>(bound.wide.size() * sizeof(char16_t));
    return SQLBindParameter(statement, index, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                            std::max<SQLULEN>(bound.wide.size(), 1), 0, bound.wide.data(), bound.indicator,
                            &bound.indicator);
}

}  // namespace tarvenish
