#include "dialog_fixture.h"

#include "component/adjustment_presenter.h"
#include "component/run_context.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine.h"
#include "platform/headless/adjustment_presenters.h"
#include "reconcile/run.h"

namespace tarvenish::test {
namespace {

// A run over one pair, W1/I1, whose old opening row is a cent off its one receipt line (10 at 2.00), so the
// run hands it to the dialog.
class DialogInARun : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        m_set.useWarehouseMode();
        m_set.addSetting("AA", "iStrsQuanDecDgt", "2");
        m_set.addSetting("AA", "iStrsPriDecDgt", "2");
        m_set.addWarehouse("W1", "Main store", std::nullopt);
        m_set.addInventory("I1", "Bolt");
        (void)m_set.addReceipt(receiptOf("W1", "R-1"), {lineOf(10.0, 2.0, 20.0)});
        OpeningRowSeed old;
        old.whCode = "W1";
        old.invCode = "I1";
        old.quantity = 10.0;
        old.money = 20.01;
        old.vouCode = "OLD";
        m_set.addOpeningRow(old);
    }
    void TearDown() override {
        ConnectionPool::clear();
        DialogTest::TearDown();
    }

    // Runs with `driver` playing the user in every dialog.
    bool runWith(DrivenAdjustmentPresenter::Driver driver) {
        m_context.presenter = std::make_shared<DrivenAdjustmentPresenter>(std::move(driver));
        return executeRun(m_context, DialectChoice::fromHostFlag(0), m_set.connect());
    }

    AccountSet m_set;
};

TEST_F(DialogInARun, APairWhoseCommitFailedAndWasThenClosedCountsAsFailed) {
    EngineHooks failing;
    failing.beforeRowStore = [](std::string_view table) {
        throw DbError("update row", 1, "injected fault", std::string(table));
    };
    ScopedEngineHooks hooks(failing);

    EXPECT_FALSE(runWith([](DialogWindow& window) { window.controls().cmdOkCancel[0]->userClick(); }));

    ASSERT_EQ(boxes().size(), 1U);
    EXPECT_EQ(boxes()[0].prompt, messageText(msg::kCommitFailed));
    EXPECT_EQ(report().pairsFailed, 1);
    EXPECT_EQ(report().pairsSkipped, 0);
    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 1);
}

TEST_F(DialogInARun, SaysWhichPairOfHowManyAndWhatTheGridLacks) {
    std::string pair;
    std::string gap;
    bool marked = false;
    EXPECT_TRUE(runWith([&](DialogWindow& window) {
        pair = window.controls().LabelPair->Caption();
        gap = window.controls().LabelDiff->Caption();
        marked = window.controls().LabelDiff->Marked();
    }));
    EXPECT_EQ(pair, fillMessage(messageText(msg::kPairPosition), {"W1", "I1", "1", "1"}));
    EXPECT_EQ(gap, fillMessage(messageText(msg::kDifferenceLine), {"0.00", "0.01"}));
    EXPECT_TRUE(marked);
}

// A confirm lost with its batch is asked again after the later pairs; the dialog then says which pair it is.
TEST_F(DialogInARun, AskedAgainAfterItsBatchWasLostSaysItsOwnPlace) {
    m_set.addWarehouse("W2", "Second store", std::nullopt);
    (void)m_set.addReceipt(receiptOf("W2", "R-2"), {lineOf(10.0, 2.0, 20.0)});
    OpeningRowSeed old;
    old.whCode = "W2";
    old.invCode = "I1";
    old.quantity = 10.0;
    old.money = 20.01;
    old.vouCode = "OLD2";
    m_set.addOpeningRow(old);
    // A child row without its parent fails only the batch's real commit: the check is deferred to it.
    m_set.exec(
        "create table parent(id integer primary key);"
        "create table child(p references parent(id) deferrable initially deferred)");
    const ConnectionPtr host = m_set.connect();
    host->execute("PRAGMA foreign_keys=ON");
    bool planted = false;
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (planted || !s.starts_with("delete")) return;
        planted = true;
        host->engine().execute(Statement::asText("insert into child values (7)"));
    }});
    std::vector<std::string> shown;
    m_context.presenter = std::make_shared<DrivenAdjustmentPresenter>([&](DialogWindow& window) {
        shown.push_back(window.controls().LabelPair->Caption());
        window.controls().ChKAuto->Value(1);
        window.controls().cmdOkCancel[0]->userClick();
    });
    (void)executeRun(m_context, DialectChoice::fromHostFlag(0), host);
    ASSERT_TRUE(planted);
    // Both confirms were in the lost batch: each is asked again, in its own place.
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2], fillMessage(messageText(msg::kPairPosition), {"W1", "I1", "1", "2"}));
    EXPECT_EQ(shown[3], fillMessage(messageText(msg::kPairPosition), {"W2", "I1", "2", "2"}));
}

}  // namespace
}  // namespace tarvenish::test
