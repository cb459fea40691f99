#pragma once
// The host's connection object, read only through IDispatch (its ConnectionString and State), so that any
// automation object with these two properties serves: an ADO connection, or a script's own object.

#include <oaidl.h>

#include <string>
#include <vector>

#include "ledger/db/connection.h"

namespace tarvenish {

// Raised when the host's connection cannot be read or names a database the component cannot reach; the
// message never holds a password.
class HostConnectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct HostConnection {
    // The connection on the ODBC form of the host's connection string, closed between calls (opened for
    // each): the same one each time this thread passes the same host object with the same string.
    ConnectionPtr connection;
    // The host's State: 0 closed, 1 open.
    long state = 0;
    // The ODBC form logs on to a server without a password (see OdbcConnectionString).
    bool lacksPassword = false;
};

// Reads `host`'s ConnectionString and State and makes the connection the members run on. An empty
// ConnectionString gives a connection with an empty string ("no connection yet"). Throws
// HostConnectionError.
[[nodiscard]] HostConnection readHostConnection(IDispatch* host);

// The ODBC drivers installed on this machine, by name.
[[nodiscard]] std::vector<std::string> installedOdbcDrivers();

}  // namespace tarvenish
