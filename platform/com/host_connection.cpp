#include "platform/com/host_connection.h"

#include <dispex.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "base/thread_exit.h"
#include "ledger/db/connection_redaction.h"
#include "platform/com/host_connection_string.h"
#include "platform/com/wide_text.h"

namespace tarvenish {
namespace {

// IDispatchEx, which script engines' objects answer to (not in every import library).
constexpr IID kIidDispatchEx = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

// The value of property `name` of `object`, coerced to `type`.
VARIANT property(IDispatch* object, const wchar_t* name, VARTYPE type) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(found)) {
        // A script's own object answers by name through IDispatchEx, in any case of the name.
        IDispatchEx* script = nullptr;
        if (SUCCEEDED(object->QueryInterface(kIidDispatchEx, reinterpret_cast<void**>(&script)))) {
            BSTR wanted = ::SysAllocString(name);
            found = script->GetDispID(wanted, fdexNameCaseInsensitive, &id);
            ::SysFreeString(wanted);
            script->Release();
        }
    }
    if (FAILED(found)) {
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(found));
        throw HostConnectionError("the connection object has no property " + utf8(std::wstring_view(name)) +
                                  " (" + code + ")");
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT value;
    ::VariantInit(&value);
    EXCEPINFO exception{};
    const HRESULT read = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                        &value, &exception, nullptr);
    const std::string description = utf8(exception.bstrDescription);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    if (FAILED(read))
        throw HostConnectionError("the connection object's " + utf8(std::wstring_view(name)) +
                                  " cannot be read" + (description.empty() ? "" : ": " + description));
    if (FAILED(::VariantChangeType(&value, &value, 0, type))) {
        ::VariantClear(&value);
        throw HostConnectionError("the connection object's " + utf8(std::wstring_view(name)) +
                                  " is of the wrong type");
    }
    return value;
}

// The connections made for this thread's host objects: a host that passes the same object again (to init,
// then to JustAccount) passes the same connection, as SharedState's Conn expects of it.
struct KnownConnection {
    const void* identity;
    std::string text;
    std::weak_ptr<Connection> connection;
};
using KnownConnections = std::vector<KnownConnection>;

ConnectionPtr connectionFor(IDispatch* host, const std::string& text) {
    IUnknown* unknown = nullptr;
    const void* identity = host;
    if (SUCCEEDED(host->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)))) {
        identity = unknown;
        unknown->Release();
    }
    KnownConnections& known = threadRecord<KnownConnections>();
    std::erase_if(known, [](const KnownConnection& entry) { return entry.connection.expired(); });
    for (const KnownConnection& entry : known)
        if (entry.identity == identity && entry.text == text) return entry.connection.lock();
    ConnectionPtr made = Connection::create(text);
    known.push_back({identity, text, made});
    return made;
}

}  // namespace

std::vector<std::string> installedOdbcDrivers() {
    std::vector<std::string> drivers;
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) return drivers;
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLCHAR name[512];
    SQLCHAR attributes[2048];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(environment, direction, name, sizeof name, &nameLength, attributes,
                                    sizeof attributes, &attributesLength))) {
        drivers.emplace_back(reinterpret_cast<const char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return drivers;
}

HostConnection readHostConnection(IDispatch* host) {
    VARIANT text = property(host, L"ConnectionString", VT_BSTR);
    const std::string hostString = utf8(text.bstrVal);
    ::VariantClear(&text);
    VARIANT state = property(host, L"State", VT_I4);
    HostConnection result;
    result.state = state.lVal;
    if (hostString.empty()) {
        result.connection = connectionFor(host, {});
        return result;
    }
    try {
        const OdbcConnectionString odbc = odbcConnectionString(hostString, installedOdbcDrivers());
        result.connection = connectionFor(host, odbc.text);
        result.lacksPassword = odbc.lacksPassword;
    } catch (const std::invalid_argument& error) {
        throw HostConnectionError(std::string(error.what()) +
                                  " (the host's connection: " + redactedConnectionString(hostString) + ")");
    }
    return result;
}

}  // namespace tarvenish
