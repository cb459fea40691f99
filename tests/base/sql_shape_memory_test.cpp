#include "base/sql_shape_memory.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvenish {
namespace {

void expectSameAsReadAfresh(SqlShapeMemory& memory, const std::string& statement) {
    const auto remembered = memory.parameterize(statement);
    const auto afresh = parameterizeSql(statement);
    ASSERT_EQ(remembered.has_value(), afresh.has_value()) << statement;
    if (!afresh) return;
    EXPECT_EQ(remembered->shape, afresh->shape) << statement;
    ASSERT_EQ(remembered->literals.size(), afresh->literals.size()) << statement;
    for (std::size_t i = 0; i < afresh->literals.size(); ++i) {
        EXPECT_EQ(remembered->literals[i].kind, afresh->literals[i].kind) << statement;
        EXPECT_EQ(remembered->literals[i].integer, afresh->literals[i].integer) << statement;
        EXPECT_EQ(remembered->literals[i].real, afresh->literals[i].real) << statement;
        EXPECT_EQ(remembered->literals[i].text, afresh->literals[i].text) << statement;
    }
}

TEST(SqlShapeMemory, SplitsStatementsOfARememberedShapeAsReadingThemAfreshWould) {
    SqlShapeMemory memory;
    for (const std::string code : {"W01", "O''Brien", "", "仓库"}) {
        expectSameAsReadAfresh(memory, "delete from IA_subsidiary where cVouType=N'34' And cWhCode=N'" +
                                           code + "' and iQuantity>1.5e3 and cinvcode='I1'");
    }
    // the same text with a literal grown, gone or of another kind
    expectSameAsReadAfresh(memory,
                           "delete from IA_subsidiary where cVouType=N'34' And cWhCode=N'W' and "
                           "iQuantity>15 and cinvcode=N'I1'");
    expectSameAsReadAfresh(memory,
                           "delete from IA_subsidiary where cVouType=N'34' And cWhCode=N'W' and "
                           "iQuantity>99999999999999999999 and cinvcode='I1'");
}

TEST(SqlShapeMemory, ReadsAfreshALiteralThatWouldJoinTheTokenBeforeIt) {
    SqlShapeMemory memory;
    // "1e-" before a text is a number, a word and a minus; before a number it is one number's exponent
    expectSameAsReadAfresh(memory, "update t set a=1e-'x'");
    expectSameAsReadAfresh(memory, "update t set a=1e-12");
    expectSameAsReadAfresh(memory, "update t set a=1.'x'");
    expectSameAsReadAfresh(memory, "update t set a=1.5");
}

}  // namespace
}  // namespace tarvenish
