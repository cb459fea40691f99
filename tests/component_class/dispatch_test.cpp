#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <vector>

#include "automation/com_abi.h"
#include "component/shared_state.h"
#include "component_class/dispatch.h"

namespace tarvenish {
namespace {

std::vector<Variant> initArgs(ConnectionPtr connection = nullptr) {
    return {Variant::date(makeDate(2003, 1, 1)),
            Variant::boolean(false),
            Variant::string("01"),
            Variant::string("一库"),
            Variant::string("A1"),
            Variant::string("甲"),
            Variant::string("10mm"),
            Variant::r8(2.0),
            Variant::r8(20.0),
            Variant::object(std::move(connection))};
}

class JustAccountDispatchTest : public ::testing::Test {
protected:
    void SetUp() override { sharedState() = SharedState{}; }
    void TearDown() override { sharedState() = SharedState{}; }

    JustAccountDispatch m_dispatch;
};

using DispatchById = JustAccountDispatchTest;
using DispatchByName = JustAccountDispatchTest;
using DispatchArguments = JustAccountDispatchTest;

TEST_F(DispatchById, InitReturnsEmptyAndFillsTheSharedState) {
    const ConnectionPtr host = Connection::create("host");
    const InvokeOutcome outcome = m_dispatch.invoke(0x60030001, initArgs(host));
    ASSERT_EQ(outcome.code, TV_S_OK) << outcome.message;
    EXPECT_TRUE(outcome.result.isEmpty());
    EXPECT_EQ(sharedState().WhName, "一库");
    EXPECT_EQ(sharedState().InvStd, "10mm");
    EXPECT_EQ(sharedState().Conn, host);
}

TEST_F(DispatchById, ChecksAnswerBooleanFalseWithoutAConnection) {
    const std::array args{Variant::i2(0), Variant::object(nullptr)};
    for (const DispId id : {kDispIdIFIAstart, kDispIdIFEnd}) {
        const InvokeOutcome outcome = m_dispatch.invoke(id, args);
        ASSERT_EQ(outcome.code, TV_S_OK) << outcome.message;
        EXPECT_EQ(outcome.result, Variant::boolean(false));
    }
}

TEST_F(DispatchById, UnknownIdIsMemberNotFound) {
    const InvokeOutcome outcome = m_dispatch.invoke(0x60030004, {});
    EXPECT_EQ(outcome.code, TV_DISP_E_MEMBERNOTFOUND);
    EXPECT_NE(outcome.message.find("0x60030004"), std::string::npos);
}

TEST_F(DispatchByName, FindsMembersInAnyCase) {
    EXPECT_EQ(m_dispatch.idOfName("JustAccount"), kDispIdJustAccount);
    EXPECT_EQ(m_dispatch.idOfName("INIT"), kDispIdInit);
    EXPECT_EQ(m_dispatch.idOfName("ifiaSTART"), kDispIdIFIAstart);
    EXPECT_EQ(m_dispatch.idOfName("ifend"), kDispIdIFEnd);
    EXPECT_FALSE(m_dispatch.idOfName("IFEnd2"));
    EXPECT_FALSE(m_dispatch.idOfName(""));
}

TEST_F(DispatchByName, FindsParametersByPosition) {
    EXPECT_EQ(m_dispatch.paramIdOfName(kDispIdInit, "whcode"), 2);
    EXPECT_EQ(m_dispatch.paramIdOfName(kDispIdInit, "GDBSKAVRIN"), 9);
    EXPECT_EQ(m_dispatch.paramIdOfName(kDispIdJustAccount, "AccSql"), 0);
    EXPECT_FALSE(m_dispatch.paramIdOfName(kDispIdJustAccount, "Whcode"));
    EXPECT_FALSE(m_dispatch.paramIdOfName(0x1234, "AccSql"));
}

TEST_F(DispatchByName, InvokesWhatTheNameFinds) {
    const InvokeOutcome outcome = m_dispatch.invoke(*m_dispatch.idOfName("Init"), initArgs());
    EXPECT_EQ(outcome.code, TV_S_OK) << outcome.message;
    EXPECT_EQ(sharedState().JustSerial, "100000");
}

TEST_F(DispatchArguments, WrongCountIsRefusedBeforeAnythingRuns) {
    std::vector<Variant> args = initArgs();
    args.pop_back();
    const InvokeOutcome outcome = m_dispatch.invoke(kDispIdInit, args);
    EXPECT_EQ(outcome.code, TV_DISP_E_BADPARAMCOUNT);
    EXPECT_NE(outcome.message.find("init takes 10 arguments, 9 given"), std::string::npos) << outcome.message;
    EXPECT_EQ(sharedState().JustSerial, "");

    EXPECT_EQ(m_dispatch.invoke(kDispIdIFEnd, {}).code, TV_DISP_E_BADPARAMCOUNT);
}

TEST_F(DispatchArguments, NullTextIsATypeMismatchNamingTheParameter) {
    std::vector<Variant> args = initArgs();
    args[2] = Variant::null();
    const InvokeOutcome outcome = m_dispatch.invoke(kDispIdInit, args);
    EXPECT_EQ(outcome.code, TV_DISP_E_TYPEMISMATCH);
    EXPECT_EQ(outcome.badArgument, 2u);
    EXPECT_NE(outcome.message.find("Whcode"), std::string::npos) << outcome.message;
    EXPECT_EQ(sharedState().WhCode, "");
}

TEST_F(DispatchArguments, ConnectionMustBeAnObject) {
    const std::array args{Variant::i2(1), Variant::string("Provider=x")};
    const InvokeOutcome outcome = m_dispatch.invoke(kDispIdIFIAstart, args);
    EXPECT_EQ(outcome.code, TV_DISP_E_TYPEMISMATCH);
    EXPECT_EQ(outcome.badArgument, 1u);
}

TEST_F(DispatchArguments, DialectFlagOutsideSixteenBitsOverflows) {
    const std::array args{Variant::i4(70000), Variant::object(nullptr)};
    const InvokeOutcome outcome = m_dispatch.invoke(kDispIdIFEnd, args);
    EXPECT_EQ(outcome.code, TV_DISP_E_OVERFLOW);
    EXPECT_EQ(outcome.badArgument, 0u);
}

TEST_F(DispatchArguments, CoercesConvertibleValues) {
    std::vector<Variant> args = initArgs();
    args[0] = Variant::string("2004-02-29");
    args[1] = Variant::i2(-1);
    args[4] = Variant::i4(1001);
    args[7] = Variant::string("12.5");
    ASSERT_EQ(m_dispatch.invoke(kDispIdInit, args).code, TV_S_OK);
    EXPECT_EQ(sharedState().KeepDate, makeDate(2004, 2, 29));
    EXPECT_TRUE(sharedState().PairByDepartment);
    EXPECT_EQ(sharedState().InvCode, "1001");
    EXPECT_DOUBLE_EQ(sharedState().Quantity, 12.5);
}

class ThrowingTarget final : public DispatchTarget {
protected:
    std::span<const MemberSpec> members() const noexcept override { return kMembers; }
    Variant call(DispId, std::span<const Variant>) override { throw std::runtime_error("disk full"); }

private:
    static constexpr std::array<ParamSpec, 0> kNoParams{};
    static constexpr std::array kMembers{MemberSpec{7, "Boom", kNoParams}};
};

TEST(DispatchFailures, AMemberThatThrowsBecomesAnExceptionResult) {
    ThrowingTarget target;
    const InvokeOutcome outcome = target.invoke(7, {});
    EXPECT_EQ(outcome.code, TV_DISP_E_EXCEPTION);
    EXPECT_EQ(outcome.message, "Boom failed: disk full");
    EXPECT_TRUE(outcome.result.isEmpty());
}

}  // namespace
}  // namespace tarvenish
