#include "base/sql_parameters.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvenish {
namespace {

TEST(ParameterizedShape, StatementsDifferingOnlyInCodesShareOneShape) {
    const auto first = parameterizeSql(
        "delete from IA_subsidiary where cVouType=N'34' And cWhCode=N'W01' and "
        "cinvcode=N'I1'");
    const auto second = parameterizeSql(
        "delete from IA_subsidiary where cVouType=N'34' And cWhCode=N'W02' and "
        "cinvcode=N'I2'");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->shape, second->shape);
    EXPECT_EQ(first->shape, "delete from IA_subsidiary where cVouType=?1 And cWhCode=?2 and cinvcode=?3");
    ASSERT_EQ(second->literals.size(), 3u);
    EXPECT_EQ(second->literals[1].text, "W02");
    EXPECT_EQ(second->literals[2].text, "I2");
}

TEST(ParameterizedShape, ReadsEachLiteralAsSqliteWould) {
    const auto shaped = parameterizeSql("update t set a=12, b=1.5, c='it''s', d=N'x' where e=-3");
    ASSERT_TRUE(shaped);
    ASSERT_EQ(shaped->literals.size(), 5u);
    EXPECT_EQ(shaped->literals[0].kind, SqlLiteral::Kind::Integer);
    EXPECT_EQ(shaped->literals[0].integer, 12);
    EXPECT_EQ(shaped->literals[1].kind, SqlLiteral::Kind::Real);
    EXPECT_DOUBLE_EQ(shaped->literals[1].real, 1.5);
    EXPECT_EQ(shaped->literals[2].text, "it's");
    EXPECT_EQ(shaped->literals[3].text, "x");
    // the sign stays an operator of the text
    EXPECT_EQ(shaped->literals[4].integer, 3);
    EXPECT_EQ(shaped->shape, "update t set a=?1, b=?2, c=?3, d=?4 where e=-?5");
}

TEST(ParameterizedShape, KeepsLiteralsThatNameAQueryColumnOrAPosition) {
    const auto shaped = parameterizeSql(
        "select 0, 'x' as 'label', format(a,'##0.00') from t where b=N'k' order by 1 limit 5");
    ASSERT_TRUE(shaped);
    EXPECT_EQ(shaped->shape,
              "select 0, 'x' as 'label', format(a,'##0.00') from t where b=?1 order by 1 limit ?2");
}

TEST(ParameterizedShape, KeepsTypeArgumentsAndGroupingTerms) {
    const auto shaped = parameterizeSql(
        "delete from t where cast(a as varchar(20))='1' and b in "
        "(select c from u group by 1)");
    ASSERT_TRUE(shaped);
    EXPECT_EQ(shaped->shape,
              "delete from t where cast(a as varchar(20))=?1 and b in (select c from u group by 1)");
}

TEST(ParameterizedShape, BindsSelectListLiteralsOfAnInsert) {
    const auto shaped =
        parameterizeSql("insert into t select N'2024-01-01' as d, 0 as m from u where c=N'A'");
    ASSERT_TRUE(shaped);
    EXPECT_EQ(shaped->shape, "insert into t select ?1 as d, ?2 as m from u where c=?3");
}

TEST(ParameterizedShape, LeavesDateLiteralsInTheText) {
    const auto shaped = parameterizeSql("insert into t select #2024-01-31# as d from u where c=N'A'");
    ASSERT_TRUE(shaped);
    EXPECT_EQ(shaped->shape, "insert into t select #2024-01-31# as d from u where c=?1");
}

TEST(ParameterizedShape, RefusesStatementsWhoseLiteralsMustStay) {
    EXPECT_FALSE(parameterizeSql("create table t (a varchar(20) default 'x')"));
    EXPECT_FALSE(parameterizeSql("ALTER TABLE Rdrecords add isOutQuantity_s float NULL"));
    EXPECT_FALSE(parameterizeSql("select a, 1 as b into T2 from t where c='x'"));
    EXPECT_FALSE(parameterizeSql("delete from t where a=1; delete from u where b=2"));
    EXPECT_FALSE(parameterizeSql("select * from t where a=?"));
    EXPECT_FALSE(parameterizeSql("select * from t where a='unterminated"));
}

TEST(ParameterizedShape, AStatementWithoutLiteralsIsItsOwnShape) {
    const std::string text = "update rdrecords set q=(select s from F where rdrecords.autoid=F.autoid)";
    const auto shaped = parameterizeSql(text);
    ASSERT_TRUE(shaped);
    EXPECT_EQ(shaped->shape, text);
    EXPECT_TRUE(shaped->literals.empty());
}

}  // namespace
}  // namespace tarvenish
