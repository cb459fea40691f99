#include "ledger/db/row_store.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(RowStore, KeepsRowsApartAcrossManyBlocksAndARowLongerThanABlock) {
    RowStore store;
    const std::string longText(3u << 20, 'x');
    for (int i = 0; i < 40'000; ++i) {
        store.append({Value::longInt(i), Value::text(i == 20'000 ? longText : "row " + std::to_string(i))});
    }
    std::vector<Value> row;
    for (const int i : {0, 1, 19'999, 20'000, 20'001, 39'999}) {
        store.decode(static_cast<std::size_t>(i), row);
        ASSERT_EQ(row.size(), 2u);
        EXPECT_EQ(row[0], Value::longInt(i));
        EXPECT_EQ(row[1], Value::text(i == 20'000 ? longText : "row " + std::to_string(i)));
    }
}

}  // namespace
}  // namespace tarvenish
