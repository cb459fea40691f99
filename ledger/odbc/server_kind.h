#pragma once
// Which of the host's database kinds an ODBC data source is, told by the DBMS name its driver reports: that
// decides which texts reach it and how.

#include <string_view>

namespace tarvenish {

enum class OdbcServerKind {
    TransactSql,  // a server that speaks the host's server dialect: its texts go as built
    Desktop,      // a desktop-file database behind its own driver: the desktop dialect's texts go as built
    Sqlite,       // a SQLite database: the texts go through the same bridge as in the embedded engine
    Unsupported,  // anything else: refused at connect
};

// The kind of a data source from its SQL_DBMS_NAME ("Microsoft SQL Server", "ACCESS", "SQLite", ...),
// case-insensitive.
[[nodiscard]] OdbcServerKind serverKindOf(std::string_view dbmsName) noexcept;

}  // namespace tarvenish
