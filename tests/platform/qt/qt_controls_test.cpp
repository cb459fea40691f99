#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_grid.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemDelegate>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTimer>
#include <QValidator>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/messages.h"
#include "platform/qt/qt_dialog_window.h"
#include "platform/qt/qt_message_presenter.h"

namespace tarvenish {
namespace {

// One application for the whole program; argc and argv must outlive it, so both are static.
void ensureApplication() {
    static int argc = 1;
    static char name[] = "qt_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() != nullptr) return;
    // The tests never need a display; an explicit platform choice still wins.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}

class QtControls : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }
};

// Shaped as the adjustment dialog shapes its grid: a header row and two leading fixed columns.
void shape(QtGrid& grid) {
    grid.RowCount(3);
    grid.ColCount(4);
    grid.FixedRowCount(1);
    grid.FixedColCount(2);
}

// The text the view shows in a cell.
QString cellShown(QtGrid& grid, int row, int col) {
    return grid.widget()->model()->index(row, col).data().toString();
}

// What the table does when the user finishes typing `text` in a cell.
void typeIntoCell(QTableView* table, int row, int col, const QString& text) {
    const QModelIndex index = table->model()->index(row, col);
    QAbstractItemDelegate* delegate = table->itemDelegate();
    std::unique_ptr<QWidget> editor(delegate->createEditor(table->viewport(), QStyleOptionViewItem(), index));
    ASSERT_NE(editor, nullptr);
    delegate->setEditorData(editor.get(), index);
    auto* line = qobject_cast<QLineEdit*>(editor.get());
    ASSERT_NE(line, nullptr);
    line->setText(text);
    delegate->setModelData(editor.get(), table->model(), index);
}

TEST_F(QtControls, UserEditThroughTheTableRaisesCellEditedAndKeepsTheHandlersText) {
    QtGrid grid;
    shape(grid);
    std::string inCellDuringHandler;
    grid.CellEdited = [&](std::string& text, long& status, long row, long col) {
        inCellDuringHandler = grid.CellText(row, col);
        text = "2.00";
        status = 2;
    };
    typeIntoCell(grid.widget(), 1, 3, QStringLiteral("2"));
    EXPECT_EQ(inCellDuringHandler, "2");
    EXPECT_EQ(grid.CellText(1, 3), "2.00");
    EXPECT_EQ(cellShown(grid, 1, 3), QStringLiteral("2.00"));
}

TEST_F(QtControls, RefusedEntryPutsBackThePreviousTextAndLeavesTheCellCurrent) {
    QtGrid grid;
    shape(grid);
    grid.CellText(1, 2, "7");
    grid.CurrentRow(2);
    grid.CellEdited = [](std::string&, long& status, long, long) { status = 1; };
    typeIntoCell(grid.widget(), 1, 2, QStringLiteral("abc"));
    EXPECT_EQ(grid.CellText(1, 2), "7");
    EXPECT_EQ(cellShown(grid, 1, 2), QStringLiteral("7"));
    EXPECT_EQ(grid.widget()->currentIndex().row(), 1);
    EXPECT_EQ(grid.widget()->currentIndex().column(), 2);
    EXPECT_EQ(grid.CurrentRow(), 1);
}

TEST_F(QtControls, HiddenColumnsKeepTheirTexts) {
    QtGrid grid;
    shape(grid);
    grid.CellText(1, 0, "receipt");
    grid.ColumnWidth(0, 0);
    grid.ColumnWidth(3, 1200);
    EXPECT_TRUE(grid.widget()->isColumnHidden(0));
    EXPECT_FALSE(grid.widget()->isColumnHidden(3));
    EXPECT_EQ(grid.widget()->columnWidth(3), 80);
    grid.AddRow("", grid.RowCount());
    EXPECT_EQ(grid.CellText(1, 0), "receipt");
    EXPECT_EQ(cellShown(grid, 1, 0), QStringLiteral("receipt"));
}

TEST_F(QtControls, FixedRowsAndColumnsTakeNoEdits) {
    QtGrid grid;
    shape(grid);
    grid.CellText(0, 3, "数量");
    EXPECT_EQ(cellShown(grid, 0, 3), QStringLiteral("数量"));
    EXPECT_FALSE(grid.widget()->model()->flags(grid.widget()->model()->index(1, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(grid.widget()->model()->flags(grid.widget()->model()->index(0, 3)) & Qt::ItemIsEditable);
    EXPECT_TRUE(grid.widget()->model()->flags(grid.widget()->model()->index(1, 2)) & Qt::ItemIsEditable);
    EXPECT_EQ(grid.userEdit(1, 1, "x"), -1);
    EXPECT_EQ(grid.CellText(1, 1), "");
}

TEST_F(QtControls, FailingCellEditedFromTheTableGoesToTheFailureSink) {
    QtGrid grid;
    shape(grid);
    std::exception_ptr caught;
    grid.onHandlerFailure([&](std::exception_ptr failure) { caught = failure; });
    grid.CellEdited = [](std::string&, long&, long, long) {
        throw std::runtime_error("serial is not a number");
    };
    typeIntoCell(grid.widget(), 2, 3, QStringLiteral("1"));
    ASSERT_TRUE(caught);
    EXPECT_THROW(std::rethrow_exception(caught), std::runtime_error);
}

TEST_F(QtControls, CheckBoxClickIsRaisedAfterTheToggle) {
    QtCheckBox box(nullptr, "自动调整", 1);
    std::vector<int> seen;
    box.Click = [&] { seen.push_back(box.Value()); };
    box.widget()->click();
    box.userClick();
    box.Value(0);
    EXPECT_EQ(seen, (std::vector<int>{0, 1}));
}

TEST_F(QtControls, ButtonClickCarriesItsIndexAndHasItsAccessKey) {
    QtCommandButton add(nullptr, "&A 增加", 0);
    QtCommandButton cancel(nullptr, "取消", 1);
    std::vector<int> seen;
    add.Click = [&](std::int16_t index) { seen.push_back(index); };
    cancel.Click = add.Click;
    cancel.widget()->click();
    add.widget()->click();
    EXPECT_EQ(seen, (std::vector<int>{1, 0}));
    EXPECT_EQ(add.widget()->shortcut(), QKeySequence(QStringLiteral("Alt+A")));
    EXPECT_FALSE(add.widget()->autoDefault());
}

TEST_F(QtControls, EditBoxRefusesTheDesignsCharactersAsInput) {
    QtEdit edit;
    const QValidator* validator = edit.widget()->validator();
    ASSERT_NE(validator, nullptr);
    for (const char* typed : {"a<b", "a>b", "a'b", "a\"b", "a|b", "a&b", "1,5"}) {
        QString input = QString::fromUtf8(typed);
        int pos = 0;
        EXPECT_EQ(validator->validate(input, pos), QValidator::Invalid) << typed;
    }
    QString fine = QStringLiteral("12.50");
    int pos = 0;
    EXPECT_EQ(validator->validate(fine, pos), QValidator::Acceptable);
    edit.Text("仓库一");
    EXPECT_EQ(edit.Text(), "仓库一");
}

class QtWindow : public QtControls {
protected:
    // Ends a showing that a fault would otherwise leave open forever.
    static void guard(QtDialogWindow& window) {
        QDialog* dialog = window.dialog();
        QTimer::singleShot(5000, dialog, [dialog] { dialog->done(QDialog::Rejected); });
    }
};

TEST_F(QtWindow, ShowModalRaisesLoadActivateAndReturnsAfterClose) {
    QtDialogWindow window;
    std::vector<std::string> events;
    window.Load = [&] {
        events.push_back("load");
        guard(window);
    };
    window.Activate = [&] {
        events.push_back(window.dialog()->isVisible() ? "activate shown" : "activate hidden");
        QTimer::singleShot(0, window.dialog(), [&] { window.Close(); });
    };
    window.Unload = [&] { events.push_back("unload"); };
    window.ShowModal();
    EXPECT_EQ(events, (std::vector<std::string>{"load", "activate shown", "unload"}));
    EXPECT_FALSE(window.isLoaded());
    EXPECT_FALSE(window.dialog()->isVisible());
}

TEST_F(QtWindow, CloseBoxUnloadsTheWindow) {
    QtDialogWindow window;
    int unloads = 0;
    window.Load = [&] {
        guard(window);
        QTimer::singleShot(0, window.dialog(), [&] { window.dialog()->close(); });
    };
    window.Unload = [&] { ++unloads; };
    window.ShowModal();
    EXPECT_EQ(unloads, 1);
    EXPECT_FALSE(window.isLoaded());
}

TEST_F(QtWindow, ConfirmButtonHandlerCanCloseTheWindow) {
    QtDialogWindow window;
    int clicked = -1;
    window.Load = [&] {
        guard(window);
        window.controls().cmdOkCancel[1]->Click = [&](std::int16_t index) {
            clicked = index;
            window.Close();
        };
        QTimer::singleShot(0, window.dialog(), [&] { window.controls().cmdOkCancel[1]->userClick(); });
    };
    window.ShowModal();
    EXPECT_EQ(clicked, 1);
}

TEST_F(QtWindow, HandlerFailureWhileShownUnloadsAndIsPassedOn) {
    QtDialogWindow window;
    bool unloaded = false;
    window.Load = [&] {
        guard(window);
        window.controls().Command1->Click = [](std::int16_t) {
            throw std::runtime_error("serial is not a number");
        };
        auto* button = dynamic_cast<QtCommandButton*>(window.controls().Command1);
        QTimer::singleShot(0, window.dialog(), [button] { button->widget()->click(); });
    };
    window.Unload = [&] { unloaded = true; };
    EXPECT_THROW(window.ShowModal(), std::runtime_error);
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(window.isLoaded());
}

TEST_F(QtWindow, LoadFailureShowsNothing) {
    QtDialogWindow window;
    window.Load = [] { throw std::runtime_error("statement failed"); };
    EXPECT_THROW(window.ShowModal(), std::runtime_error);
    EXPECT_FALSE(window.isLoaded());
    EXPECT_FALSE(window.dialog()->isVisible());
}

TEST_F(QtWindow, LaysOutTheDesignInPixels) {
    QtDialogWindow window;
    // The design's 542 x 330 and the row of the pair's position and the difference line.
    EXPECT_EQ(window.dialog()->size(), QSize(542, 350));
    EXPECT_EQ(window.dialog()->windowTitle(), QStringLiteral("升级调整个别计价期初结存记录"));
    auto* grid = dynamic_cast<QtGrid*>(window.controls().Grid);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->widget()->geometry(), QRect(224, 40, 313, 217));
    auto* price = dynamic_cast<QtEdit*>(window.controls().TxtPrice);
    ASSERT_NE(price, nullptr);
    EXPECT_EQ(price->widget()->geometry(), QRect(56, 179, 129, 18));
    EXPECT_EQ(window.controls().ChKAuto->Value(), 1);
    EXPECT_EQ(window.controls().ChkAver->Value(), 0);
    EXPECT_EQ(window.controls().Label9->Caption(), "数量合计：");
}

// Presses `button` on the message box that is open once the box's own loop runs; a box lacking it is closed.
void answerNextBox(QMessageBox::StandardButton button, QMessageBox::Icon* iconSeen) {
    QTimer::singleShot(0, [button, iconSeen] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(top);
            if (box == nullptr || !box->isVisible()) continue;
            *iconSeen = box->icon();
            if (QAbstractButton* pressed = box->button(button)) {
                pressed->click();
            } else {
                box->done(0);
            }
        }
    });
}

TEST_F(QtWindow, MessageBoxAnswersWithTheButtonChosen) {
    QtMessagePresenter presenter;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    answerNextBox(QMessageBox::Cancel, &icon);
    EXPECT_EQ(presenter.show("删除这一行吗？", 33, "提示"), 2);
    EXPECT_EQ(icon, QMessageBox::Question);
    answerNextBox(QMessageBox::Ok, &icon);
    EXPECT_EQ(presenter.show("数量不是数字", 16, ""), 1);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

// Every box carries the message resource's title and Qt's Chinese captions of its buttons.
TEST_F(QtWindow, MessageBoxesAreTitledByTheResourceAndCaptionedInChinese) {
    const char* before = std::getenv("TARVENISH_LANG");
    const std::string kept = before != nullptr ? before : "";
    ::setenv("TARVENISH_LANG", "zh_CN", 1);
    QString title;
    QString ok;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(top);
            if (box == nullptr || !box->isVisible()) continue;
            title = box->windowTitle();
            ok = box->button(QMessageBox::Ok)->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    EXPECT_EQ(QtMessagePresenter().show("数量不是数字", 16, ""), 1);
    if (before != nullptr) {
        ::setenv("TARVENISH_LANG", kept.c_str(), 1);
    } else {
        ::unsetenv("TARVENISH_LANG");
    }
    EXPECT_EQ(title, QString::fromStdString(messageText(msg::kBoxTitle)));
    EXPECT_TRUE(ok.contains(QStringLiteral("确定"))) << ok.toStdString();
}

}  // namespace
}  // namespace tarvenish
