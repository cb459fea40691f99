#pragma once
// The connection string a host's ADO connection carries, as the component's ODBC engine can open it: an ODBC
// string as it stands, the suite's OLE DB strings translated to the ODBC driver of the same database.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvenish {

struct OdbcConnectionString {
    // The ODBC string to open; it may hold a password, so it is never shown.
    std::string text;
    // True when it logs on to a server with neither a password nor integrated security: an open ADO
    // connection leaves the password out of its ConnectionString.
    bool lacksPassword = false;
};

// Translates `hostString`: Driver= or DSN= is used as it stands; Provider=SQLOLEDB, SQLNCLI* and MSOLEDBSQL*
// go to the first of `installedDrivers` that speaks to SQL Server (the newest first), with the server, the
// database and the user with the password, or integrated security; Provider=Microsoft.Jet.OLEDB.4.0 goes to
// the first installed Access driver (the newest first) with Dbq=. Anything else is refused: the error names
// why, never the password. Throws std::invalid_argument.
[[nodiscard]] OdbcConnectionString odbcConnectionString(std::string_view hostString,
                                                        const std::vector<std::string>& installedDrivers);

}  // namespace tarvenish
