// The adjustment dialog on screen as an accountant works it: Tab in the order of the tab indexes and out of
// the grid, the header row and the codes in view on a long grid, columns that resize, access keys, and a
// window that grows its grid.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <vector>

#include "dialog/dialog_fixture.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_dialog_window.h"
#include "platform/qt/qt_grid.h"
#include "platform/qt/qt_message_presenter.h"

namespace tarvenish::test {
namespace {

class DialogOnScreen : public AccountSetDialogTest {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);
    }

    // `lines` receipt lines of quantity 1 at 2.00, the pair agreeing with them.
    void seed(int lines) {
        for (int i = 1; i <= lines; ++i)
            addReceipt(receiptOf("W1", "QC" + std::to_string(1000000 + i)), {lineOf(1.0, 2.0, 2.0)});
        pairTotals(lines, 2.0 * lines);
    }

    // Shows the window and runs `user` once it is on screen, then closes it.
    void showAndDo(const std::function<void(QtDialogWindow&)>& user) {
        QtDialogWindow window;
        Frmjustaccount form(window, report(), PairMode::Warehouse);
        QTimer::singleShot(0, [&] {
            window.dialog()->activateWindow();
            (void)QTest::qWaitForWindowActive(window.dialog(), 2000);
            user(window);
            if (window.isLoaded()) window.Close();
        });
        window.ShowModal();
    }

    // Alt and `key`, then the button's animated click, which Qt finishes a moment later.
    static void pressAccessKey(QtDialogWindow& window, Qt::Key key) {
        QTest::keyClick(window.dialog(), key, Qt::AltModifier);
        constexpr int kClickAnimationMs = 250;
        QTest::qWait(kClickAnimationMs);
    }

    static QTableView* view(QtDialogWindow& window) {
        return dynamic_cast<QtGrid&>(*window.controls().Grid).widget();
    }
};

TEST_F(DialogOnScreen, TabFollowsTheTabIndexesAndLeavesTheGrid) {
    seed(3);
    std::vector<QWidget*> expected;
    std::vector<QWidget*> visited;
    showAndDo([&](QtDialogWindow& window) {
        FrmjustaccountControls& c = window.controls();
        const auto edit = [](KVEdit* e) -> QWidget* { return dynamic_cast<QtEdit&>(*e).widget(); };
        const auto button = [](KVCommandButton* b) -> QWidget* {
            return dynamic_cast<QtCommandButton&>(*b).widget();
        };
        expected = {dynamic_cast<QtCheckBox&>(*c.ChkAver).widget(),
                    dynamic_cast<QtCheckBox&>(*c.ChKAuto).widget(),
                    view(window),
                    edit(c.TxtWhare),
                    edit(c.TxtInv),
                    edit(c.TxtQuan),
                    edit(c.TxtPrice),
                    edit(c.TxtMoney),
                    edit(c.TxtStyle),
                    button(c.Command2),
                    button(c.Command1),
                    button(c.cmdOkCancel[0]),
                    button(c.cmdOkCancel[1])};
        expected.front()->setFocus(Qt::TabFocusReason);
        // The window's focus widget, which is the control that has the focus once the window is active.
        QWidget* dialog = window.dialog();
        for (std::size_t i = 0; i < expected.size() && dialog->focusWidget() != nullptr; ++i) {
            visited.push_back(dialog->focusWidget());
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        }
    });
    EXPECT_EQ(visited, expected);
}

TEST_F(DialogOnScreen, ALongGridKeepsItsHeaderRowAndCodesInViewAndItsColumnsResize) {
    seed(300);
    showAndDo([&](QtDialogWindow& window) {
        QTableView* table = view(window);
        table->scrollToBottom();
        table->horizontalScrollBar()->setValue(table->horizontalScrollBar()->maximum());
        QApplication::processEvents();
        EXPECT_TRUE(table->horizontalHeader()->isVisible());
        EXPECT_TRUE(table->isRowHidden(0)) << "the header row is the grid's header, not a line";
        EXPECT_EQ(table->model()->headerData(grid::kQuantity, Qt::Horizontal).toString(),
                  QString::fromStdString(messageText(msg::kQuantityHeader)));
        EXPECT_TRUE(table->verticalHeader()->isVisible());
        EXPECT_EQ(table->model()->headerData(300, Qt::Vertical).toString(), QStringLiteral("QC1000300"));
        EXPECT_GE(table->verticalHeader()->width(),
                  table->verticalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("QC1000300")));
        EXPECT_EQ(table->horizontalHeader()->sectionResizeMode(grid::kMoney), QHeaderView::Interactive);
        table->horizontalHeader()->resizeSection(grid::kMoney, 150);
        EXPECT_EQ(table->columnWidth(grid::kMoney), 150);
    });
}

TEST_F(DialogOnScreen, AddScrollsToTheAddedLineAndTheWindowGrowsItsGrid) {
    seed(300);
    showAndDo([&](QtDialogWindow& window) {
        QTableView* table = view(window);
        const QSize before = table->size();
        pressAccessKey(window, Qt::Key_A);
        EXPECT_EQ(table->currentIndex().row(), 301);
        EXPECT_TRUE(table->viewport()->rect().intersects(table->visualRect(table->currentIndex())));
        window.dialog()->resize(window.dialog()->size() + QSize(200, 100));
        QApplication::processEvents();
        EXPECT_EQ(table->size(), before + QSize(200, 100));
    });
}

TEST_F(DialogOnScreen, AltOConfirmsAndAltUTogglesAutomaticBalancing) {
    seed(3);
    int autoAfter = -1;
    showAndDo([&](QtDialogWindow& window) {
        pressAccessKey(window, Qt::Key_U);
        autoAfter = window.controls().ChKAuto->Value();
        pressAccessKey(window, Qt::Key_O);
    });
    EXPECT_EQ(autoAfter, 0);
    EXPECT_EQ(openingRows("cVouCode like 'QC%'"), 3);
}

TEST_F(DialogOnScreen, AMessageBoxStandsClearOfTheLedgerFrame) {
    seed(3);
    pairTotals(4.0, 6.0);
    setMessagePresenter(std::make_shared<QtMessagePresenter>());
    QRect box;
    QRect frame;
    showAndDo([&](QtDialogWindow& window) {
        window.controls().ChKAuto->Value(0);
        // A moment after the box has opened, as a user would see it.
        constexpr int kLookAfterMs = 100;
        QTimer::singleShot(kLookAfterMs, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* shown = qobject_cast<QMessageBox*>(top);
                if (shown == nullptr || !shown->isVisible()) continue;
                box = shown->frameGeometry();
                const QGroupBox* ledger = window.dialog()->findChild<QGroupBox*>();
                frame = QRect(ledger->mapToGlobal(QPoint(0, 0)), ledger->size());
                shown->button(QMessageBox::Ok)->click();
            }
        });
        window.controls().cmdOkCancel[0]->userClick();
    });
    setMessagePresenter(m_messages);
    ASSERT_FALSE(box.isNull()) << "the refusal was shown";
    EXPECT_FALSE(box.intersects(frame));
}

// Fourteen digits and six decimals: the totals labels set them smaller instead of cutting them off.
TEST_F(DialogOnScreen, ALongTotalFitsItsLabel) {
    seed(1);
    showAndDo([&](QtDialogWindow& window) {
        for (KVLabel* total : {window.controls().Label9, window.controls().Label10}) {
            total->Caption("数量合计：12345678901234.000000");
            const QLabel* label = dynamic_cast<QtLabel&>(*total).widget();
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
        }
    });
}

}  // namespace
}  // namespace tarvenish::test
