// The demo and test account sets' tables: the opening-row table must take an insert by position.

#include "ledger/db/host_schema.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ledger/db/connection.h"
#include "ledger/sql/host_tables.h"
#include "support/account_set.h"
#include "support/temp_database.h"

namespace tarvenish {
namespace {

TEST(HostSchema, OpeningRowTableHasExactlyTheSixtyNineColumnsInOrder) {
    test::AccountSet set;
    std::vector<std::string> names;
    for (const auto& row : set.rows("select name from pragma_table_info('IA_Subsidiary') order by cid"))
        names.push_back(row.front().asText());
    std::vector<std::string> expected;
    for (const host::TableColumn& column : host::kOpeningRowColumns) expected.emplace_back(column.name);
    EXPECT_EQ(names, expected);
}

TEST(HostSchema, CreatesEveryTableThroughAComponentConnection) {
    test::TempDatabase file;
    auto conn = Connection::open(file.connectionString());
    createHostSchema(*conn);
    for (const std::string_view table :
         {host::kIaSubsidiary, host::kRdRecord, host::kRdRecords, host::kWarehouse, host::kInventory,
          host::kDepartment, host::kAccInformation, host::kSaleBillVouch, host::kSaleBillVouchs,
          host::kDispatchList, host::kDispatchLists, host::kEnDispatch, host::kEnDispatchs}) {
        EXPECT_EQ(file.scalar("select count(*) from sqlite_master where type='table' and name='" +
                              std::string(table) + "'"),
                  "1")
            << table;
    }
    conn->close();
    ConnectionPool::clear();
}

}  // namespace
}  // namespace tarvenish
