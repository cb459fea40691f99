#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <csignal>

#include "dialog/dialog_fixture.h"
#include "ledger/db/stop_request.h"
#include "platform/qt/qt_adjustment_presenter.h"
#include "platform/qt/qt_dialog_window.h"

namespace tarvenish::test {
namespace {

// The on-screen window with the same logic as the headless one: pair W1/I1, one old row, one receipt line.
class FrmjustaccountOnScreen : public AccountSetDialogTest {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_tests";
        static char* argv[] = {name, nullptr};
        // One application for the whole program; other suites may have made it already.
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);
    }

    void SetUp() override {
        AccountSetDialogTest::SetUp();
        OpeningRowSeed old;
        old.whCode = "W1";
        old.invCode = "I1";
        old.vouCode = "OLD";
        m_set.addOpeningRow(old);
        addReceipt(receiptOf("W1", "R-1"), {lineOf(3.0, 2.0, 6.0)});
        pairTotals(3.0, 6.0);
    }
};

TEST_F(FrmjustaccountOnScreen, ConfirmRewritesThePairAndClosesTheWindow) {
    QtDialogWindow window;
    Frmjustaccount form(window, report(), PairMode::Warehouse);
    QTimer::singleShot(0, [&window] { window.controls().cmdOkCancel[0]->userClick(); });
    window.ShowModal();

    EXPECT_FALSE(window.isLoaded());
    EXPECT_EQ(form.result().outcome, PairOutcome::Confirmed);
    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 0);
    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='R-1'"), 1);
    EXPECT_EQ(window.controls().Grid->CellText(1, grid::kQuantity), "3");
}

TEST_F(FrmjustaccountOnScreen, ThePresentersCloseBoxWritesNothing) {
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    const DialogResult result = QtAdjustmentPresenter().showModal(PairMode::Warehouse, report());

    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 1);
    EXPECT_FALSE(state().StopRun);
    EXPECT_EQ(result.outcome, PairOutcome::Skipped);
}

TEST_F(FrmjustaccountOnScreen, AStopRequestedWhileThePresentersDialogIsOpenCancelsIt) {
    QObject scope;
    QTimer::singleShot(0, &scope, [] { requestStop(SIGINT); });
    // Only so that a presenter deaf to the request fails this test instead of hanging it.
    QTimer::singleShot(10000, &scope, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    const DialogResult result = QtAdjustmentPresenter().showModal(PairMode::Warehouse, report());
    clearStopRequest();

    EXPECT_TRUE(state().StopRun);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(m_set.count("IA_Subsidiary"), 1);
    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 1);
}

}  // namespace
}  // namespace tarvenish::test
