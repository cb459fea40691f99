#include <gtest/gtest.h>

#include <functional>

#include "automation/variant.h"

namespace tarvenish {
namespace {

VariantError::Reason failureOf(const std::function<void()>& conversion) {
    try {
        conversion();
    } catch (const VariantError& e) {
        return e.reason();
    }
    ADD_FAILURE() << "conversion did not fail";
    return VariantError::Reason::TypeMismatch;
}

TEST(VariantToInteger, RoundsHalfToEven) {
    EXPECT_EQ(Variant::r8(2.5).toI2(), 2);
    EXPECT_EQ(Variant::r8(3.5).toI2(), 4);
    EXPECT_EQ(Variant::r8(-2.5).toI2(), -2);
    EXPECT_EQ(Variant::string(" 7 ").toI2(), 7);
    EXPECT_EQ(Variant::boolean(true).toI2(), -1);
    EXPECT_EQ(Variant().toI2(), 0);
}

TEST(VariantToInteger, ReportsOverflowOutsideSixteenBits) {
    EXPECT_EQ(Variant::i4(32767).toI2(), 32767);
    EXPECT_EQ(failureOf([] { (void)Variant::i4(32768).toI2(); }), VariantError::Reason::Overflow);
    EXPECT_EQ(failureOf([] { (void)Variant::r8(-32768.6).toI2(); }), VariantError::Reason::Overflow);
}

TEST(VariantToInteger, RefusesNullObjectsAndWords) {
    EXPECT_EQ(failureOf([] { (void)Variant::null().toI2(); }), VariantError::Reason::TypeMismatch);
    EXPECT_EQ(failureOf([] { (void)Variant::object(nullptr).toI2(); }), VariantError::Reason::TypeMismatch);
    EXPECT_EQ(failureOf([] { (void)Variant::string("1x").toI2(); }), VariantError::Reason::TypeMismatch);
    EXPECT_EQ(failureOf([] { (void)Variant::string("").toR8(); }), VariantError::Reason::TypeMismatch);
}

TEST(VariantToInteger, RefusesATextWithTwoSigns) {
    EXPECT_EQ(failureOf([] { (void)Variant::string("+-5").toR8(); }), VariantError::Reason::TypeMismatch);
}

TEST(VariantToBoolean, ReadsWordsAndNumbers) {
    EXPECT_TRUE(Variant::string("true").toBool());
    EXPECT_FALSE(Variant::string("FALSE").toBool());
    EXPECT_TRUE(Variant::string("-1").toBool());
    EXPECT_TRUE(Variant::r8(0.25).toBool());
    EXPECT_FALSE(Variant().toBool());
    EXPECT_EQ(failureOf([] { (void)Variant::string("yes").toBool(); }), VariantError::Reason::TypeMismatch);
}

TEST(VariantToDate, ReadsDatesFromTextAndNumbers) {
    EXPECT_EQ(Variant::string("2003-01-01").toDate(), makeDate(2003, 1, 1));
    EXPECT_EQ(Variant::r8(2.0).toDate(), makeDate(1900, 1, 1));
    EXPECT_EQ(Variant().toDate(), Date{});
    EXPECT_EQ(failureOf([] { (void)Variant::string("2003-02-30").toDate(); }),
              VariantError::Reason::TypeMismatch);
}

TEST(VariantToString, WritesEveryScalarType) {
    EXPECT_EQ(Variant().toString(), "");
    EXPECT_EQ(Variant::i2(-12).toString(), "-12");
    EXPECT_EQ(Variant::r8(0.1).toString(), "0.1");
    EXPECT_EQ(Variant::boolean(true).toString(), "True");
    EXPECT_EQ(Variant::date(makeDate(2003, 1, 1)).toString(), "2003-01-01");
    EXPECT_EQ(failureOf([] { (void)Variant::null().toString(); }), VariantError::Reason::TypeMismatch);
}

TEST(VariantToConnection, AcceptsObjectsOnly) {
    const ConnectionPtr c = Connection::create("x");
    EXPECT_EQ(Variant::object(c).toConnection(), c);
    EXPECT_EQ(Variant::object(nullptr).toConnection(), nullptr);
    EXPECT_EQ(failureOf([] { (void)Variant().toConnection(); }), VariantError::Reason::TypeMismatch);
    EXPECT_EQ(failureOf([] { (void)Variant::string("x").toConnection(); }),
              VariantError::Reason::TypeMismatch);
}

TEST(VariantFromValue, KeepsKindAndWidensLongs) {
    EXPECT_TRUE(Variant::fromValue(Value()).isEmpty());
    EXPECT_EQ(Variant::fromValue(Value::null()).type(), VariantType::Null);
    EXPECT_EQ(Variant::fromValue(Value::longInt(5)), Variant::i4(5));
    EXPECT_EQ(Variant::fromValue(Value::longInt(5'000'000'000)), Variant::r8(5e9));
    EXPECT_EQ(Variant::fromValue(Value::boolean(true)), Variant::boolean(true));
}

}  // namespace
}  // namespace tarvenish
