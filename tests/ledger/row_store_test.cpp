#include "ledger/row_store.h"

#include <gtest/gtest.h>

namespace tarvenish {
namespace {

TEST(RowStore, GivesBackEveryKindOfValueAsItWasStored) {
    const std::vector<Value> first = {Value(),
                                      Value::null(),
                                      Value::integer(-7),
                                      Value::longInt(9'007'199'254'740'993LL),
                                      Value::real(2.675),
                                      Value::text("仓库\tA'1"),
                                      Value::text(""),
                                      Value::date(makeDate(2026, 1, 1, 8, 30)),
                                      Value::boolean(true),
                                      Value::boolean(false)};
    const std::vector<Value> second = {Value::text("next"), Value::null()};
    RowStore store;
    store.append(first);
    store.append(second);
    store.append({});

    ASSERT_EQ(store.size(), 3u);
    std::vector<Value> row;
    store.decode(0, row);
    EXPECT_EQ(row, first);
    store.decode(1, row);
    EXPECT_EQ(row, second);
    store.decode(2, row);
    EXPECT_TRUE(row.empty());
}

}  // namespace
}  // namespace tarvenish
