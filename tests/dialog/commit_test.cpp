#include "dialog_fixture.h"

#include "dialog/commit.h"
#include "ledger/sql/statements.h"
#include "platform/headless/headless_dialog_window.h"

namespace tarvenish::test {
namespace {

constexpr int kOk = 0;
constexpr int kCancel = 1;

void press(DialogWindow& window, int button) {
    window.controls().cmdOkCancel[button]->userClick();
}

// Pair W1/I1 with two old opening rows, a neighbour pair that must never change, and two receipt lines whose
// totals (5, 10.00) equal the pair's.
class CommitTest : public AccountSetDialogTest {
protected:
    void SetUp() override {
        AccountSetDialogTest::SetUp();
        seedPair("W1");
        OpeningRowSeed neighbour;
        neighbour.whCode = "W2";
        neighbour.invCode = "I1";
        neighbour.vouCode = "N-1";
        m_set.addOpeningRow(neighbour);
        pairTotals(5.0, 10.0);
    }

    void seedPair(const std::string& whCode) {
        for (const char* code : {"OLD-1", "OLD-2"}) {
            OpeningRowSeed old;
            old.whCode = whCode;
            old.invCode = "I1";
            old.vouCode = code;
            m_set.addOpeningRow(old);
        }
        addReceipt(receiptOf(whCode, "R-1"), {lineOf(3.0, 2.0, 6.0)});
        addReceipt(receiptOf(whCode, "R-2"), {lineOf(2.0, 2.0, 4.0)});
    }

    [[nodiscard]] std::vector<std::string> pairCodes(const std::string& whCode = "W1") const {
        std::vector<std::string> codes;
        for (const auto& row :
             m_set.rows("select cVouCode from IA_Subsidiary where cvoutype='34' and cWhcode='" +
                        sql::quoteCode(whCode) + "' order by cVouCode")) {
            codes.push_back(row[0].displayText());
        }
        return codes;
    }

    [[nodiscard]] const std::vector<std::string> oldCodes() const { return {"OLD-1", "OLD-2"}; }
};

class ConfirmInBothDialects : public CommitTest, public ::testing::WithParamInterface<std::int16_t> {};

TEST_P(ConfirmInBothDialects, ReplacesThePairsRowsWithTheGridLines) {
    state().Dialects = DialectChoice::fromHostFlag(GetParam());
    show([](DialogWindow& window) { press(window, kOk); });

    EXPECT_EQ(pairCodes(), (std::vector<std::string>{"R-1", "R-2"}));
    EXPECT_EQ(pairCodes("W2"), std::vector<std::string>{"N-1"});
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(result().outcome, PairOutcome::Confirmed);
    ASSERT_TRUE(result().confirmed);
    EXPECT_EQ(result().confirmed->rowsInserted, 2);
    EXPECT_FALSE(state().StopRun);
}

TEST_P(ConfirmInBothDialects, DoublesTheApostropheOfACode) {
    state().Dialects = DialectChoice::fromHostFlag(GetParam());
    m_set.addWarehouse("W'1", "Quote store", "D1");
    seedPair("W'1");
    state().WhCode = "W'1";
    show([](DialogWindow& window) { press(window, kOk); });

    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(pairCodes("W'1"), (std::vector<std::string>{"R-1", "R-2"}));
    EXPECT_EQ(pairCodes(), oldCodes());
}

INSTANTIATE_TEST_SUITE_P(Dialects, ConfirmInBothDialects, ::testing::Values<std::int16_t>(0, 1));

using Confirm = CommitTest;

// A quantity off, or only the money a cent off: either way the totals differ.
// The refusal names the ledger's figures, the grid's and what is missing.
TEST_F(Confirm, RefusesTotalsThatDifferAndKeepsTheDialogOpen) {
    struct Case {
        double quantity, money;
        std::vector<std::string_view> figures;
    };
    const std::vector<Case> cases = {{6.0, 10.0, {"6", "10.00", "5", "10.00", "1", "0.00"}},
                                     {5.0, 10.01, {"5", "10.01", "5", "10.00", "0", "0.01"}}};
    for (const auto& [quantity, money, figures] : cases) {
        SCOPED_TRACE(std::to_string(quantity) + " / " + std::to_string(money));
        const std::size_t shownBefore = boxes().size();
        pairTotals(quantity, money);
        bool openAfterOk = false;
        show([&](DialogWindow& window) {
            window.controls().ChKAuto->Value(0);
            press(window, kOk);
            openAfterOk = window.isLoaded();
        });
        EXPECT_TRUE(openAfterOk);
        ASSERT_EQ(boxes().size(), shownBefore + 1);
        const std::string gap =
            fillMessage(messageText(msg::kTotalsGap),
                        {figures[0], figures[1], figures[2], figures[3], figures[4], figures[5]});
        EXPECT_EQ(boxes().back(), (ShownMessage{messageText(msg::kTotalsDiffer) + "\n" + gap, 16,
                                                messageText(msg::kBoxTitle)}));
        EXPECT_EQ(pairCodes(), oldCodes());
        EXPECT_EQ(result().outcome, PairOutcome::Skipped);
    }
}

TEST_F(Confirm, AcceptsTotalsThatDifferOnlyBeyondFifteenDigits) {
    pairTotals(5.000000000000001, 10.0);
    show([](DialogWindow& window) {
        window.controls().ChKAuto->Value(0);
        press(window, kOk);
    });
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(pairCodes(), (std::vector<std::string>{"R-1", "R-2"}));
}

// Equal to fifteen digits, a sixth decimal apart: the rows written would not total the pair's figures.
TEST_F(Confirm, RefusesTotalsThatDifferInTheLastDecimalBeyondFifteenDigits) {
    state().AccountSettings.QuantityDigits = 6;
    addReceipt(receiptOf("W1", "R-3"), {lineOf(1234567890.123456, std::nullopt, 0.0)});
    pairTotals(1234567895.123457, 10.0);
    show([](DialogWindow& window) {
        window.controls().ChKAuto->Value(0);
        press(window, kOk);
    });
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes().back().prompt.rfind(messageText(msg::kTotalsDiffer) + "\n", 0), 0U);
    EXPECT_NE(boxes().back().prompt.find("0.000001"), std::string::npos);
    EXPECT_EQ(pairCodes(), oldCodes());
}

TEST_F(Confirm, BalancesAnEmptyGridWithOneLineCarryingTheWholePair) {
    m_set.exec("delete from RdRecords; delete from RdRecord");
    pairTotals(5.0, 50.0);
    show([](DialogWindow& window) { press(window, kOk); });
    const auto rows =
        m_set.rows("select cVouCode, iainquantity, iincost, iainprice from IA_Subsidiary where cWhcode='W1'");
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0][0].displayText(), "JUST100001");
    EXPECT_DOUBLE_EQ(rows[0][1].asDouble(), 5.0);
    EXPECT_DOUBLE_EQ(rows[0][2].asDouble(), 10.0);
    EXPECT_DOUBLE_EQ(rows[0][3].asDouble(), 50.0);
}

TEST_F(Confirm, WithZeroTotalsAndAnEmptyGridDeletesThePairsRows) {
    m_set.exec("delete from RdRecords; delete from RdRecord");
    pairTotals(0.0, 0.0);
    show([](DialogWindow& window) { press(window, kOk); });
    EXPECT_TRUE(pairCodes().empty());
    EXPECT_EQ(pairCodes("W2"), std::vector<std::string>{"N-1"});
    ASSERT_TRUE(result().confirmed);
    EXPECT_EQ(result().confirmed->rowsInserted, 0);
}

TEST_F(Confirm, RefusesAFigureThatIsNotAStorableNumberAndWritesNothing) {
    for (const auto& [figure, refusal] :
         {std::pair{"abc", msg::kNotANumber}, std::pair{"Infinity", msg::kNotANumber},
          std::pair{"1e16", msg::kFigureTooLarge}}) {
        m_messages->clearShown();
        bool openAfterOk = false;
        show([&](DialogWindow& window) {
            window.controls().Grid->CellText(2, grid::kMoney, figure);
            press(window, kOk);
            openAfterOk = window.isLoaded();
        });
        EXPECT_TRUE(openAfterOk) << figure;
        ASSERT_EQ(boxes().size(), 1U) << figure;
        EXPECT_EQ(boxes()[0], (ShownMessage{messageText(refusal), 16, messageText(msg::kBoxTitle)}));
        EXPECT_EQ(grid().CurrentRow(), 2);
        EXPECT_EQ(grid().CurrentCol(), grid::kMoney);
        EXPECT_EQ(grid().RowCount(), 3) << "no balancing line over a figure that counts as nothing";
    }
    EXPECT_EQ(pairCodes(), oldCodes());
    EXPECT_EQ(result().outcome, PairOutcome::Skipped);
}

TEST_F(Confirm, KeepsAnEmptyWarehouseCodeSoThatConfirmingAgainReplacesTheSameRows) {
    m_set.exec("delete from IA_Subsidiary");
    seedPair("");
    state().WhCode = "";
    show([](DialogWindow& window) { press(window, kOk); });
    show([](DialogWindow& window) { press(window, kOk); });

    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(pairCodes(""), (std::vector<std::string>{"R-1", "R-2"}));
    EXPECT_EQ(m_set.count("IA_Subsidiary"), 2);
}

using ConfirmGuards = CommitTest;

TEST_F(ConfirmGuards, TheDifferenceLineIsUnmarkedOnceABalancingLineClosesTheGap) {
    pairTotals(6.0, 13.52);
    show([](DialogWindow& window) {
        window.controls().ChKAuto->Value(0);
        window.controls().ChKAuto->userClick();
    });
    const HeadlessLabel& difference = m_window.headlessControls().LabelDiff;
    EXPECT_EQ(difference.Caption(), fillMessage(messageText(msg::kDifferenceLine), {"0", "0.00"}));
    EXPECT_FALSE(difference.Marked());
}

// Before, "abc" became every line's price and 0.00 its money, and the confirm blamed a cell.
TEST_F(ConfirmGuards, AnAveragePriceThatIsNoNumberIsRefusedBeforeItIsApplied) {
    bool openAfterOk = false;
    show([&](DialogWindow& window) {
        window.controls().TxtPrice->Text("abc");
        window.controls().ChkAver->userClick();
        window.controls().ChkAver->Value(1);
        press(window, kOk);
        openAfterOk = window.isLoaded();
    });
    EXPECT_TRUE(openAfterOk);
    const ShownMessage refusal{messageText(msg::kPriceNotANumber), 16, messageText(msg::kBoxTitle)};
    EXPECT_EQ(boxes(), (std::vector<ShownMessage>{refusal, refusal}));
    EXPECT_EQ(cell(1, grid::kUnitPrice), "2.00");
    EXPECT_EQ(pairCodes(), oldCodes());
}

// A balancing line of -1 and an empty added line are shown for a second confirm; Cancel writes nothing.
TEST_F(ConfirmGuards, NegativeAndEmptyAddedLinesAskASecondConfirm) {
    pairTotals(4.0, 10.0);
    m_messages->queueAnswer(msgbox::kCancel);
    bool openAfterCancel = false;
    show([&](DialogWindow& window) {
        window.controls().Command1->userClick();
        press(window, kOk);
        openAfterCancel = window.isLoaded();
        press(window, kOk);
    });
    EXPECT_TRUE(openAfterCancel);
    ASSERT_EQ(boxes().size(), 2U);
    const std::string asked = messageText(msg::kConfirmLines) + "\n" +
                              fillMessage(messageText(msg::kLineEmpty), {"JUST100001", "0", "0.00"}) + "\n" +
                              fillMessage(messageText(msg::kLineNegative), {"JUST100002", "-1", "0.00"});
    EXPECT_EQ(boxes()[0],
              (ShownMessage{asked, msgbox::kQuestion + msgbox::kOkCancel, messageText(msg::kBoxTitle)}));
    EXPECT_EQ(boxes()[1], boxes()[0]);
    EXPECT_EQ(pairCodes(), (std::vector<std::string>{"JUST100001", "JUST100002", "R-1", "R-2"}));
}

// Pair totals 1 / 2 against a grid of -2 / -4: the balancing line 3 / 6 is larger than the pair itself.
TEST_F(ConfirmGuards, ABalancingLineLargerThanThePairAsksASecondConfirm) {
    pairTotals(1.0, 2.0);
    m_messages->queueAnswer(msgbox::kCancel);
    show([&](DialogWindow& window) {
        window.controls().Grid->userEdit(1, grid::kQuantity, "-4");
        press(window, kOk);
    });
    ASSERT_FALSE(boxes().empty());
    EXPECT_EQ(boxes().back().prompt,
              messageText(msg::kConfirmLines) + "\n" +
                  fillMessage(messageText(msg::kLineBeyondTotals), {"JUST100001", "3", "6.00"}));
    EXPECT_EQ(pairCodes(), oldCodes());
}

using CancelAndClose = CommitTest;

TEST_F(CancelAndClose, CancelStopsTheRunAndWritesNothing) {
    show([](DialogWindow& window) { press(window, kCancel); });
    EXPECT_TRUE(state().StopRun);
    EXPECT_FALSE(m_window.isLoaded());
    EXPECT_EQ(pairCodes(), oldCodes());
}

TEST_F(CancelAndClose, TheCloseBoxWritesNothingAndLetsTheRunGoOn) {
    show({});
    EXPECT_FALSE(state().StopRun);
    EXPECT_EQ(pairCodes(), oldCodes());
    EXPECT_EQ(result().outcome, PairOutcome::Skipped);
}

// A failing step of the rewrite: the pair keeps its old rows, the user is told and the dialog stays open.
class CommitFailure : public CommitTest {
protected:
    void confirmExpectingFailure() {
        bool openAfterOk = false;
        show([&](DialogWindow& window) {
            press(window, kOk);
            openAfterOk = window.isLoaded();
        });
        EXPECT_TRUE(openAfterOk);
        ASSERT_EQ(boxes().size(), 1U);
        EXPECT_EQ(boxes()[0],
                  (ShownMessage{messageText(msg::kCommitFailed), 16, messageText(msg::kBoxTitle)}));
        EXPECT_EQ(pairCodes(), oldCodes());
        EXPECT_EQ(result().outcome, PairOutcome::Failed);
        EXPECT_EQ(report().failures.size(), 1U);
    }
};

TEST_F(CommitFailure, AtTheDeletionKeepsTheOldRows) {
    ScopedEngineHooks hooks(failingStatement("delete "));
    confirmExpectingFailure();
}

TEST_F(CommitFailure, AtTheTableOpenKeepsTheOldRows) {
    EngineHooks failing;
    failing.beforeTableOpen = [](std::string_view source) {
        if (source == sql::kAppendTable)
            throw DbError("open recordset", 1, "injected fault", std::string(source));
    };
    ScopedEngineHooks hooks(failing);
    confirmExpectingFailure();
}

TEST_F(CommitFailure, WhenTheTableRefusesAFigureKeepsTheOldRows) {
    // The host's schema is its own: here the unit cost takes dates only.
    m_set.exec("ALTER TABLE IA_Subsidiary DROP COLUMN iincost");
    m_set.exec("ALTER TABLE IA_Subsidiary ADD COLUMN iincost datetime");
    confirmExpectingFailure();
}

TEST_F(CommitFailure, AtTheSecondRowKeepsTheOldRowsAndAllowsARetry) {
    int stores = 0;
    bool failSecond = true;
    EngineHooks failing;
    failing.beforeRowStore = [&](std::string_view table) {
        if (++stores == 2 && failSecond) throw DbError("update row", 1, "injected fault", std::string(table));
    };
    ScopedEngineHooks hooks(failing);

    bool openAfterOk = false;
    bool closedAfterRetry = false;
    show([&](DialogWindow& window) {
        press(window, kOk);
        openAfterOk = window.isLoaded();
        EXPECT_EQ(pairCodes(), oldCodes());
        failSecond = false;
        press(window, kOk);
        closedAfterRetry = !window.isLoaded();
    });
    EXPECT_TRUE(openAfterOk);
    EXPECT_TRUE(closedAfterRetry);
    EXPECT_EQ(boxes().size(), 1U);
    EXPECT_EQ(pairCodes(), (std::vector<std::string>{"R-1", "R-2"}));
    EXPECT_EQ(result().outcome, PairOutcome::Confirmed);
    ASSERT_TRUE(result().confirmed);
    EXPECT_EQ(result().confirmed->rowsInserted, 2);
}

TEST(TotalsCheck, ComparesFifteenSignificantDigits) {
    EXPECT_TRUE(sameTo15Digits(0.1 + 0.2, 0.3));
    EXPECT_TRUE(sameTo15Digits(5.0, 5.000000000000001));
    EXPECT_FALSE(sameTo15Digits(5.0, 5.00000000000001));
    EXPECT_FALSE(sameTo15Digits(-2.0, 2.0));
}

}  // namespace
}  // namespace tarvenish::test
