#include <gtest/gtest.h>

#include "component/pair_init.h"
#include "component/shared_state.h"
#include "component_class/just_account.h"

namespace tarvenish {
namespace {

class PairInit : public ::testing::Test {
protected:
    void SetUp() override { sharedState() = SharedState{}; }
    void TearDown() override { sharedState() = SharedState{}; }

    JustAccount m_object;
};

TEST_F(PairInit, ReturnsEmptyForAnEmptyPair) {
    const Value result = m_object.init(Date{}, false, "", "", "", "", "", 0.0, 0.0, nullptr);
    EXPECT_TRUE(result.isEmpty());
    EXPECT_EQ(sharedState().JustSerial, "100000");
}

TEST_F(PairInit, CopiesEveryFieldOfThePair) {
    const ConnectionPtr host = Connection::create("host");
    const Value result = m_object.init(makeDate(2003, 1, 1), true, "01", "原料库", "A-1", "螺钉 'M3'",
                                       "M3x10", 12.5, 250.75, host);
    EXPECT_TRUE(result.isEmpty());

    const SharedState& state = sharedState();
    EXPECT_EQ(state.KeepDate, makeDate(2003, 1, 1));
    EXPECT_TRUE(state.PairByDepartment);
    EXPECT_EQ(state.WhCode, "01");
    EXPECT_EQ(state.WhName, "原料库");
    EXPECT_EQ(state.InvCode, "A-1");
    EXPECT_EQ(state.InvName, "螺钉 'M3'");
    EXPECT_EQ(state.InvStd, "M3x10");
    EXPECT_DOUBLE_EQ(state.Quantity, 12.5);
    EXPECT_DOUBLE_EQ(state.Money, 250.75);
    EXPECT_EQ(state.Conn, host);
    EXPECT_EQ(state.JustSerial, "100000");
}

TEST_F(PairInit, KeepsAConnWhoseConnectionStringIsSet) {
    const ConnectionPtr kept = Connection::create("kept");
    sharedState().Conn = kept;

    (void)initPair(Date{}, false, "01", "", "A", "", "", 1.0, 1.0, Connection::create("other"));
    EXPECT_EQ(sharedState().Conn, kept);

    (void)initPair(Date{}, false, "01", "", "A", "", "", 1.0, 1.0, nullptr);
    EXPECT_EQ(sharedState().Conn, kept);
}

TEST_F(PairInit, ReplacesAConnWithAnEmptyConnectionString) {
    sharedState().Conn = Connection::create();
    const ConnectionPtr host = Connection::create("host");

    (void)initPair(Date{}, false, "01", "", "A", "", "", 1.0, 1.0, host);
    EXPECT_EQ(sharedState().Conn, host);
}

TEST_F(PairInit, SecondCallLeavesItsOwnValuesAndRestartsTheSerial) {
    (void)initPair(makeDate(2001, 5, 6), true, "D1", "一部", "X", "x", "sx", 3.0, 30.0, nullptr);
    sharedState().JustSerial = "100007";

    (void)initPair(makeDate(2002, 7, 8), false, "W2", "二库", "Y", "y", "", 4.0, 40.0, nullptr);
    const SharedState& state = sharedState();
    EXPECT_EQ(state.KeepDate, makeDate(2002, 7, 8));
    EXPECT_FALSE(state.PairByDepartment);
    EXPECT_EQ(state.WhCode, "W2");
    EXPECT_EQ(state.WhName, "二库");
    EXPECT_EQ(state.InvCode, "Y");
    EXPECT_EQ(state.InvName, "y");
    EXPECT_EQ(state.InvStd, "");
    EXPECT_DOUBLE_EQ(state.Quantity, 4.0);
    EXPECT_DOUBLE_EQ(state.Money, 40.0);
    EXPECT_EQ(state.JustSerial, "100000");
}

TEST_F(PairInit, TakesTheHostConnectionAgainAfterARunReleasedConn) {
    const ConnectionPtr first = Connection::create("first");
    (void)initPair(Date{}, false, "01", "", "A", "", "", 0.0, 0.0, first);
    ASSERT_EQ(sharedState().Conn, first);

    sharedState().releaseConn();
    const ConnectionPtr second = Connection::create("second");
    (void)initPair(Date{}, false, "01", "", "A", "", "", 0.0, 0.0, second);
    EXPECT_EQ(sharedState().Conn, second);
}

TEST_F(PairInit, LeavesOtherFieldsOfTheRecordAlone) {
    SharedState& state = sharedState();
    state.AccountSettings.DepWhCode = "W9";
    state.StopRun = true;
    state.DialectFlag = 1;
    state.SumQuantity = 5.0;

    (void)initPair(Date{}, false, "01", "", "A", "", "", 0.0, 0.0, nullptr);
    EXPECT_EQ(state.AccountSettings.DepWhCode, "W9");
    EXPECT_TRUE(state.StopRun);
    EXPECT_EQ(state.DialectFlag, 1);
    EXPECT_DOUBLE_EQ(state.SumQuantity, 5.0);
}

TEST(JustAccountChecks, AnswerFalseWithoutAConnection) {
    const JustAccount object;
    EXPECT_FALSE(object.IFIAstart(0, nullptr));
    EXPECT_FALSE(object.IFEnd(1, nullptr));
}

}  // namespace
}  // namespace tarvenish
