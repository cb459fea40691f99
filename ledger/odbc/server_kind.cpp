#include "ledger/odbc/server_kind.h"

#include <array>
#include <string>

#include "base/ascii_text.h"

namespace tarvenish {

OdbcServerKind serverKindOf(std::string_view dbmsName) noexcept {
    try {
        const std::string name = lowerAsciiCopy(dbmsName);
        // The server dialect's two families: "Microsoft SQL Server", FreeTDS's "SQL Server", and the Sybase
        // servers ("Adaptive Server Enterprise", "Sybase SQL Server").
        static constexpr std::array<std::string_view, 3> kTransactSql = {"sql server", "sybase",
                                                                         "adaptive server"};
        for (const std::string_view family : kTransactSql)
            if (name.find(family) != std::string::npos) return OdbcServerKind::TransactSql;
        // The desktop-file driver names its engine "ACCESS"; older ones name the engine itself.
        if (name == "access" || name.starts_with("ms jet") || name.starts_with("ms access"))
            return OdbcServerKind::Desktop;
        if (name.find("sqlite") != std::string::npos) return OdbcServerKind::Sqlite;
    } catch (...) {
    }
    return OdbcServerKind::Unsupported;
}

}  // namespace tarvenish
