#include "ledger/odbc/text_calls.h"

#include <algorithm>

namespace tarvenish {
namespace {

// The driver reads the input texts only; its narrow calls take them unconst.
SQLCHAR* input(const std::string& text) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

}  // namespace

SQLRETURN odbcDriverConnect(SQLHDBC dbc, const std::string& text, std::string& completed) {
    SQLCHAR buffer[4096] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, input(text), SQL_NTS, buffer, sizeof buffer, &length,
                                          SQL_DRIVER_NOPROMPT);
    completed.assign(reinterpret_cast<const char*>(buffer));
    return rc;
}

SQLRETURN odbcExecDirect(SQLHSTMT statement, const std::string& text) {
    return SQLExecDirect(statement, input(text), SQL_NTS);
}

SQLRETURN odbcPrepare(SQLHSTMT statement, const std::string& text) {
    return SQLPrepare(statement, input(text), SQL_NTS);
}

SQLRETURN odbcDiagRecord(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, std::string& state,
                         SQLINTEGER& native, std::string& message) {
    SQLCHAR stateBuffer[6] = {};
    SQLCHAR messageBuffer[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRec(type, handle, record, stateBuffer, &native, messageBuffer,
                                       sizeof messageBuffer, &length);
    state.assign(reinterpret_cast<const char*>(stateBuffer));
    message.assign(reinterpret_cast<const char*>(messageBuffer));
    return rc;
}

SQLRETURN odbcDescribeColumn(SQLHSTMT statement, SQLUSMALLINT column, std::string& name, SQLSMALLINT& sqlType,
                             SQLULEN& size, SQLSMALLINT& digits, SQLSMALLINT& nullable) {
    SQLCHAR buffer[256] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLDescribeCol(statement, column, buffer, sizeof buffer, &length, &sqlType, &size,
                                        &digits, &nullable);
    name.assign(reinterpret_cast<const char*>(buffer));
    return rc;
}

std::string odbcColumnTypeName(SQLHSTMT statement, SQLUSMALLINT column) {
    SQLCHAR buffer[128] = {};
    SQLSMALLINT length = 0;
    SQLColAttribute(statement, column, SQL_DESC_TYPE_NAME, buffer, sizeof buffer, &length, nullptr);
    return reinterpret_cast<const char*>(buffer);
}

SQLRETURN odbcInfoText(SQLHDBC dbc, SQLUSMALLINT item, std::string& text) {
    SQLCHAR buffer[256] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetInfo(dbc, item, buffer, sizeof buffer, &length);
    text.assign(reinterpret_cast<const char*>(buffer));
    return rc;
}

SQLRETURN odbcColumns(SQLHSTMT statement, const std::string& table) {
    return SQLColumns(statement, nullptr, 0, nullptr, 0, input(table), static_cast<SQLSMALLINT>(table.size()),
                      nullptr, 0);
}

SQLRETURN odbcGetText(SQLHSTMT statement, SQLUSMALLINT column, std::optional<std::string>& text) {
    std::string read;
    char buffer[1024];
    for (bool first = true;; first = false) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) {
            text = std::move(read);
            return first ? SQL_NO_DATA : SQL_SUCCESS;
        }
        if (!(rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)) return rc;
        if (indicator == SQL_NULL_DATA) {
            text.reset();
            return SQL_SUCCESS;
        }
        // A piece that did not fit fills the buffer less its terminating zero; the last piece is shorter.
        const bool more = indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer);
        read.append(buffer, more ? sizeof buffer - 1 : static_cast<std::size_t>(indicator));
        if (!more) break;
    }
    text = std::move(read);
    return SQL_SUCCESS;
}

bool odbcCarriesChineseText(SQLHDBC) {
    // The narrow calls hand the UTF-8 bytes to the driver as they are.
    return true;
}

SQLRETURN odbcBindText(SQLHSTMT statement, SQLUSMALLINT index, const std::string& text,
                       OdbcBoundText& bound) {
    bound.indicator = static_cast<SQLLEN>(text.size());
    return SQLBindParameter(statement, index, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                            std::max<SQLULEN>(text.size(), 1), 0, const_cast<char*>(text.data()),
                            bound.indicator, &bound.indicator);
}

}  // namespace tarvenish
