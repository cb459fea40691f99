// The DBMS name an ODBC driver reports decides which texts reach the data source.

#include <gtest/gtest.h>

#include "ledger/odbc/server_kind.h"

namespace tarvenish {
namespace {

TEST(OdbcServerKind, ServerDialectServersGetTheirTextsAsBuilt) {
    for (const char* name :
         {"Microsoft SQL Server", "SQL Server", "Adaptive Server Enterprise", "Sybase SQL Server"})
        EXPECT_EQ(serverKindOf(name), OdbcServerKind::TransactSql) << name;
}

TEST(OdbcServerKind, SqliteGoesThroughTheDialectBridge) {
    EXPECT_EQ(serverKindOf("SQLite"), OdbcServerKind::Sqlite);
    EXPECT_EQ(serverKindOf("sqlite3"), OdbcServerKind::Sqlite);
}

TEST(OdbcServerKind, DesktopFileDriversGetTheDesktopTextsAsBuilt) {
    for (const char* name : {"ACCESS", "MS Jet", "MS Access"})
        EXPECT_EQ(serverKindOf(name), OdbcServerKind::Desktop) << name;
}

TEST(OdbcServerKind, AnyOtherDatabaseIsRefused) {
    for (const char* name : {"PostgreSQL", "MySQL", "Oracle", ""})
        EXPECT_EQ(serverKindOf(name), OdbcServerKind::Unsupported) << name;
}

}  // namespace
}  // namespace tarvenish
