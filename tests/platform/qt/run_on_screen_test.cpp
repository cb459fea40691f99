#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "component/adjustment_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "component/shared_state.h"
#include "dialog/grid_layout.h"
#include "platform/qt/qt_adjustment_presenter.h"
#include "platform/qt/qt_message_presenter.h"
#include "reconcile/run.h"
#include "support/account_set.h"

// The seeds name only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish::test {
namespace {

constexpr const char* kCaption = "升级调整个别计价期初结存记录";

// The modal adjustment dialog on screen, or null while another window (or none) is modal.
QDialog* shownDialog() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || dialog->windowTitle() != QString::fromUtf8(kCaption)) return nullptr;
    return dialog;
}

// The button whose caption, its access key ("&O ") left aside, is `caption`.
QPushButton* buttonCaptioned(QWidget* window, const char* caption) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        QString text = button->text();
        if (text.startsWith(QLatin1Char('&')) && text.size() > 3) text = text.mid(3);
        if (text == QString::fromUtf8(caption)) return button;
    }
    return nullptr;
}

// Types `text` into a cell of the table as a user does: opens the cell's editor, fills it, presses Enter.
void typeIntoCell(QTableView& table, int row, int col, const QString& text) {
    const QModelIndex cell = table.model()->index(row, col);
    table.setCurrentIndex(cell);
    table.edit(cell);
    QPointer<QLineEdit> editor = qobject_cast<QLineEdit*>(table.indexWidget(cell));
    ASSERT_NE(editor, nullptr) << "cell " << row << "," << col << " opened no editor";
    editor->setText(text);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    // The view commits the editor's text on its next turn of the event loop.
    QCoreApplication::processEvents();
}

// A run over two pairs of warehouse mode, 01/A001 first and 02/A001 second, shown on screen: the user acts
// on the dialogs through their widgets, from the event loop that shows them.
class RunOnScreen : public ::testing::Test {
protected:
    // The context of the runs a test starts; its report is what they did.
    RunContext m_context;
    [[nodiscard]] RunReport& report() { return m_context.report; }

    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);
    }

    void SetUp() override {
        sharedState() = SharedState{};
        report().reset();
        m_set.useWarehouseMode();
        m_set.addSetting("AA", "iStrsQuanDecDgt", "2");
        m_set.addSetting("AA", "iStrsPriDecDgt", "2");
        m_set.addInventory("A001", "螺栓");
        setMessagePresenter(std::make_shared<QtMessagePresenter>());
        m_context.presenter = std::make_shared<QtAdjustmentPresenter>();
    }
    void TearDown() override {
        setMessagePresenter(nullptr);
        ConnectionPool::clear();
        sharedState() = SharedState{};
    }

    // One booked receipt line of 10 at 2 (money 20) and an old opening row "OLD" whose money is 20.01 when
    // the pair's totals are to differ.
    void addPair(const std::string& whCode, bool differs) {
        m_set.addWarehouse(whCode, "仓库" + whCode, std::nullopt);
        (void)m_set.addReceipt(Receipt{.whCode = whCode, .code = "R-" + whCode},
                               {ReceiptLine{.invCode = "A001", .quantity = 10, .unitCost = 2, .price = 20}});
        m_set.addOpeningRow(OpeningRowSeed{.whCode = whCode,
                                           .invCode = "A001",
                                           .quantity = 10,
                                           .money = differs ? 20.01 : 20.0,
                                           .vouCode = "OLD"});
    }

    // Each opening row of a pair as its voucher code and money, "R-01 20.01".
    [[nodiscard]] std::vector<std::string> openingRows(const std::string& whCode) const {
        std::vector<std::string> result;
        for (const auto& row : m_set.rows("select printf('%s %.2f', cVouCode, iAInPrice) from IA_Subsidiary "
                                          "where cVouType='34' and cWhCode='" +
                                          whCode + "' order by cVouCode")) {
            result.push_back(row[0].asText());
        }
        return result;
    }

    // Runs the batch run; `user` acts on the first dialog once it is on screen. Returns the run's result.
    bool runWithUser(std::function<void(QDialog&)> user) {
        QObject scope;  // ends the pending check with the test, whether or not a dialog came
        std::function<void()> awaitDialog = [&] {
            if (QDialog* dialog = shownDialog()) {
                m_dialogsSeen++;
                user(*dialog);
                // A user whose steps failed leaves the dialog open; its close box lets the run end.
                if (shownDialog() == dialog) dialog->close();
            } else if (m_waits++ < 1000) {
                QTimer::singleShot(0, &scope, awaitDialog);
            }
        };
        QTimer::singleShot(0, &scope, awaitDialog);
        return executeRun(m_context, DialectChoice::fromHostFlag(1), m_host);
    }

    // Answers the next message box with its default button, once it is open, and keeps its text.
    void answerNextBox(QObject& scope) {
        QTimer::singleShot(0, &scope, [this, &scope] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                if (m_waits++ < 1000) answerNextBox(scope);
                return;
            }
            m_boxes.push_back(box->text().toStdString());
            box->defaultButton()->click();
        });
    }

    AccountSet m_set;
    ConnectionPtr m_host = m_set.connect();
    int m_dialogsSeen = 0;
    int m_waits = 0;
    std::vector<std::string> m_boxes;
};

TEST_F(RunOnScreen, MoneyTypedIntoTheGridAndConfirmedIsWrittenAndTheRunGoesOn) {
    addPair("01", true);
    addPair("02", false);

    const bool finished = runWithUser([this](QDialog& dialog) {
        auto* table = dialog.findChild<QTableView*>();
        ASSERT_NE(table, nullptr);
        // The load leaves a header cell current; a fixed cell never shows as selected.
        EXPECT_FALSE(table->selectionModel()->hasSelection());

        QObject scope;
        answerNextBox(scope);
        typeIntoCell(*table, 1, static_cast<int>(grid::kMoney), QString::fromUtf8("二十"));
        EXPECT_EQ(m_boxes.size(), 1u) << "a non-number is refused with a box";
        typeIntoCell(*table, 1, static_cast<int>(grid::kMoney), QStringLiteral("20.01"));
        EXPECT_EQ(table->model()->index(1, static_cast<int>(grid::kMoney)).data().toString(),
                  QStringLiteral("20.01"));

        QPushButton* ok = buttonCaptioned(&dialog, "确定");
        ASSERT_NE(ok, nullptr);
        ok->click();
    });

    EXPECT_TRUE(finished);
    EXPECT_EQ(m_dialogsSeen, 1);
    EXPECT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(openingRows("01"), std::vector<std::string>{"R-01 20.01"});
    EXPECT_EQ(openingRows("02"), std::vector<std::string>{"R-02 20.00"});
}

TEST_F(RunOnScreen, CancelStopsTheRunAndLeavesThisAndLaterPairsAsTheyWere) {
    addPair("01", true);
    addPair("02", false);

    const bool finished = runWithUser([](QDialog& dialog) {
        QPushButton* cancel = buttonCaptioned(&dialog, "取消");
        ASSERT_NE(cancel, nullptr);
        cancel->click();
    });

    EXPECT_FALSE(finished);
    EXPECT_EQ(m_dialogsSeen, 1);
    EXPECT_EQ(openingRows("01"), std::vector<std::string>{"OLD 20.01"});
    EXPECT_EQ(openingRows("02"), std::vector<std::string>{"OLD 20.00"});
    EXPECT_FALSE(m_set.hasColumn("RdRecords", "isOutQuantity_s"));
}

}  // namespace
}  // namespace tarvenish::test
