#include <gtest/gtest.h>

#include "ledger/db/connection_redaction.h"
#include "ledger/db/engine.h"
#include "ledger/db/engine_factory.h"
#include "ledger/db/error.h"

namespace tarvenish {
namespace {

TEST(ConnectionStringGrammar, ABarePathIsTheDataSource) {
    const ConnectionSettings s = parseConnectionString("  /data/ufdata.db ");
    EXPECT_EQ(s.dataSource, "/data/ufdata.db");
    EXPECT_EQ(s.engine, "sqlite");
}

TEST(ConnectionStringGrammar, KeysAreCaseInsensitiveAndOthersAreKept) {
    const ConnectionSettings s =
        parseConnectionString("DATA SOURCE = /a b/c.db ; Engine=sqlite;Mode=Share Deny None");
    EXPECT_EQ(s.dataSource, "/a b/c.db");
    EXPECT_EQ(s.engine, "sqlite");
    ASSERT_EQ(s.others.size(), 1u);
    EXPECT_EQ(s.others[0].first, "mode");
    EXPECT_EQ(s.others[0].second, "Share Deny None");
}

TEST(ConnectionStringGrammar, QuotedValuesMayHoldSemicolons) {
    EXPECT_EQ(parseConnectionString("Data Source=\"/x;y/z.db\";").dataSource, "/x;y/z.db");
    EXPECT_EQ(parseConnectionString("Data Source='it''s.db'").dataSource, "it's.db");
}

TEST(ConnectionStringGrammar, AUriIsTakenWholeEitherWay) {
    EXPECT_EQ(parseConnectionString("file:x?mode=memory&cache=shared").dataSource,
              "file:x?mode=memory&cache=shared");
    EXPECT_EQ(parseConnectionString("Data Source=file:x?mode=memory&cache=shared;").dataSource,
              "file:x?mode=memory&cache=shared");
}

TEST(ConnectionStringGrammar, ADriverOrDsnNamesAnOdbcSourceWithoutADataSource) {
    const ConnectionSettings s = parseConnectionString("Driver={SQLite3 ODBC; Driver};Database=/a.db");
    EXPECT_EQ(s.engine, "odbc");
    ASSERT_EQ(s.others.size(), 2u);
    EXPECT_EQ(s.others[0].second, "SQLite3 ODBC; Driver");
    EXPECT_EQ(parseConnectionString("DSN=accounts").engine, "odbc");
}

TEST(ConnectionStringRedaction, HidesEveryPasswordValueWhateverItHolds) {
    EXPECT_EQ(redactedConnectionString("Driver=X;UID=ia;PWD={a;b}};c};Server=s"),
              "Driver=X;UID=ia;PWD=*****;Server=s");
    EXPECT_EQ(redactedConnectionString("password = \"x;y\" ; Database=d"), "password =*****; Database=d");
    EXPECT_EQ(redactedConnectionString("/data/ufdata.db"), "/data/ufdata.db");
}

TEST(ConnectionStringGrammar, ProviderNamesTheEngineUnlessEngineIsGiven) {
    EXPECT_EQ(parseConnectionString("Provider=Other;Data Source=a").engine, "Other");
    EXPECT_EQ(parseConnectionString("Provider=Other;Engine=sqlite;Data Source=a").engine, "sqlite");
}

TEST(ConnectionStringGrammar, RefusesTextWithoutADataSource) {
    EXPECT_THROW((void)parseConnectionString(""), DbError);
    EXPECT_THROW((void)parseConnectionString("Provider=x;User ID=sa"), DbError);
    EXPECT_THROW((void)parseConnectionString("Data Source=a;junk"), DbError);
    EXPECT_THROW((void)parseConnectionString("Data Source=\"a"), DbError);
}

TEST(ConnectionStringGrammar, AnUnknownEngineIsNamedInTheError) {
    try {
        (void)openEngine("Provider=Desktop.Files.4;Data Source=a.dat");
        FAIL() << "opened an unknown engine";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("no engine for \"Desktop.Files.4\""), std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace tarvenish
