#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/com/host_connection_string.h"

namespace tarvenish {
namespace {

const std::vector<std::string> kDrivers{"SQLite3", "SQL Server", "ODBC Driver 17 for SQL Server"};

TEST(HostConnectionString, AnOdbcStringIsUsedAsItStands) {
    EXPECT_EQ(odbcConnectionString("Driver=SQLite3;Database=/srv/a.db;", kDrivers).text,
              "Driver=SQLite3;Database=/srv/a.db;");
}

TEST(HostConnectionString, TheSqlServerProvidersGoToTheNewestSqlServerDriver) {
    const OdbcConnectionString withPassword = odbcConnectionString(
        "Provider=SQLOLEDB.1;Data Source=db1;Initial Catalog=UFDATA_001_2008;User ID=sa;Password=p;w",
        kDrivers);
    EXPECT_EQ(withPassword.text,
              "Driver={ODBC Driver 17 for SQL Server};Server=db1;Database=UFDATA_001_2008;UID=sa;PWD=p;");
    EXPECT_FALSE(withPassword.lacksPassword);
    const OdbcConnectionString integrated = odbcConnectionString(
        "Provider=MSOLEDBSQL;Server=db1;Database=UF;Integrated Security=SSPI;", kDrivers);
    EXPECT_EQ(integrated.text,
              "Driver={ODBC Driver 17 for SQL Server};Server=db1;Database=UF;Trusted_Connection=Yes;");
    // An open ADO connection leaves the password out of its ConnectionString.
    EXPECT_TRUE(
        odbcConnectionString("Provider=SQLNCLI11;Data Source=db1;User ID=sa;", kDrivers).lacksPassword);
}

TEST(HostConnectionString, TheDesktopFileProviderGoesToTheNewestAccessDriverInstalled) {
    constexpr std::string_view kFile = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\UF\\ufdata.mdb;";
    EXPECT_EQ(odbcConnectionString(kFile, {"SQL Server", "Microsoft Access Driver (*.mdb)"}).text,
              "Driver={Microsoft Access Driver (*.mdb)};Dbq=C:\\UF\\ufdata.mdb;");
    EXPECT_EQ(odbcConnectionString(
                  kFile, {"Microsoft Access Driver (*.mdb)", "Microsoft Access Driver (*.mdb, *.accdb)"})
                  .text,
              "Driver={Microsoft Access Driver (*.mdb, *.accdb)};Dbq=C:\\UF\\ufdata.mdb;");
    EXPECT_THROW((void)odbcConnectionString(kFile, kDrivers), std::invalid_argument);
}

TEST(HostConnectionString, AnythingElseIsRefusedWithoutItsPassword) {
    try {
        (void)odbcConnectionString("Provider=OraOLEDB.Oracle;Password=s3cret;", kDrivers);
        FAIL() << "an Oracle provider was taken";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(std::string(error.what()).find("s3cret"), std::string::npos);
    }
    EXPECT_THROW((void)odbcConnectionString("Provider=SQLOLEDB;Data Source=db1;", {"SQLite3"}),
                 std::invalid_argument);
    EXPECT_THROW((void)odbcConnectionString("Data Source=C:\\a.db;", kDrivers), std::invalid_argument);
}

}  // namespace
}  // namespace tarvenish
