#include "platform/headless/headless_controls.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace tarvenish {
namespace {

// A grid shaped as the adjustment dialog leaves it: a header row, `cols` columns, the first `fixedCols`
// fixed.
HeadlessGrid shapedGrid(long rows, long cols, long fixedCols) {
    HeadlessGrid grid;
    grid.RowCount(rows);
    grid.ColCount(cols);
    grid.FixedRowCount(1);
    grid.FixedColCount(fixedCols);
    return grid;
}

TEST(GridShape, AddsEmptyRowsAndDropsRowsAtTheEnd) {
    HeadlessGrid grid = shapedGrid(3, 2, 0);
    grid.CellText(1, 0, "kept");
    grid.CellText(2, 0, "dropped");
    grid.RowCount(2);
    grid.RowCount(4);
    EXPECT_EQ(grid.CellText(1, 0), "kept");
    EXPECT_EQ(grid.CellText(2, 0), "");
    EXPECT_EQ(grid.CellText(3, 1), "");
}

TEST(GridShape, ClearGridLeavesNoRowsNoColumnsAndTheHeaderCellCurrent) {
    HeadlessGrid grid = shapedGrid(4, 5, 2);
    grid.CurrentRow(3);
    grid.CurrentCol(4);
    grid.ClearGrid();
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(grid.ColCount(), 0);
    EXPECT_EQ(grid.FixedColCount(), 0);
    grid.RowCount(1);
    grid.ColCount(3);
    EXPECT_EQ(grid.CurrentRow(), 0);
    EXPECT_EQ(grid.CurrentCol(), 0);
}

TEST(GridShape, RemovingTheCurrentLastRowKeepsTheCurrentRowInside) {
    HeadlessGrid grid = shapedGrid(3, 2, 0);
    grid.CurrentRow(2);
    grid.RemoveRow(2);
    EXPECT_EQ(grid.CurrentRow(), 1);
}

TEST(GridShape, AddRowInsertsAtTheIndexWithTabSeparatedLeadingCells) {
    HeadlessGrid grid = shapedGrid(3, 4, 0);
    grid.CellText(1, 0, "one");
    grid.CellText(2, 0, "two");
    grid.AddRow("a\tb\tc\td\textra", 2);
    ASSERT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.CellText(1, 0), "one");
    EXPECT_EQ(grid.CellText(2, 0), "a");
    EXPECT_EQ(grid.CellText(2, 3), "d");
    EXPECT_EQ(grid.CellText(3, 0), "two");
    grid.AddRow("", grid.RowCount());
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.CellText(4, 0), "");
}

TEST(GridShape, RemoveRowTakesOutExactlyThatRow) {
    HeadlessGrid grid = shapedGrid(4, 1, 0);
    for (long r = 0; r < 4; ++r) grid.CellText(r, 0, std::to_string(r));
    grid.RemoveRow(2);
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.CellText(1, 0), "1");
    EXPECT_EQ(grid.CellText(2, 0), "3");
}

TEST(GridShape, HiddenColumnKeepsItsText) {
    HeadlessGrid grid = shapedGrid(2, 3, 0);
    grid.CellText(1, 1, "hidden");
    grid.ColumnWidth(1, 0);
    EXPECT_EQ(grid.ColumnWidth(1), 0);
    EXPECT_EQ(grid.CellText(1, 1), "hidden");
}

TEST(GridBounds, CellOutsideTheGridThrowsNamingRowAndColumn) {
    HeadlessGrid grid = shapedGrid(2, 3, 0);
    try {
        (void)grid.CellText(5, 7);
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find('5'), std::string::npos) << what;
        EXPECT_NE(what.find('7'), std::string::npos) << what;
    }
    EXPECT_THROW(grid.CellText(-1, 0, "x"), std::out_of_range);
    EXPECT_THROW(grid.CellText(0, 3, "x"), std::out_of_range);
    EXPECT_THROW(grid.RemoveRow(2), std::out_of_range);
    EXPECT_THROW(grid.AddRow("", 3), std::out_of_range);
    EXPECT_THROW(grid.RowCount(-1), std::out_of_range);
    EXPECT_THROW(grid.CurrentRow(2), std::out_of_range);
}

TEST(GridBlockText, FillsTheBlockFromTheCurrentCellDroppingTextsBeyondIt) {
    HeadlessGrid grid = shapedGrid(4, 4, 0);
    grid.CellText(3, 3, "untouched");
    grid.CurrentRow(1);
    grid.CurrentCol(0);
    grid.SelEndRow(2);
    grid.SelEndCol(1);
    grid.BlockText("a\tb\tbeyond\rc\td\re\tf\r");
    EXPECT_EQ(grid.CellText(1, 0), "a");
    EXPECT_EQ(grid.CellText(1, 1), "b");
    EXPECT_EQ(grid.CellText(1, 2), "");
    EXPECT_EQ(grid.CellText(2, 0), "c");
    EXPECT_EQ(grid.CellText(2, 1), "d");
    EXPECT_EQ(grid.CellText(3, 0), "");
    EXPECT_EQ(grid.CellText(3, 3), "untouched");
}

TEST(GridBlockText, MissingTextsLeaveCellsAsTheyAreAndEmptyFieldsClearThem) {
    HeadlessGrid grid = shapedGrid(3, 3, 0);
    grid.CellText(1, 2, "old");
    grid.CellText(2, 0, "old");
    grid.CellText(1, 1, "old");
    grid.CurrentRow(1);
    grid.CurrentCol(0);
    grid.SelEndRow(2);
    grid.SelEndCol(2);
    grid.BlockText("x\t");
    EXPECT_EQ(grid.CellText(1, 0), "x");
    EXPECT_EQ(grid.CellText(1, 1), "");
    EXPECT_EQ(grid.CellText(1, 2), "old");
    EXPECT_EQ(grid.CellText(2, 0), "old");
}

TEST(GridAlignment, CellAlignSetsOnlyTheCurrentCell) {
    HeadlessGrid grid = shapedGrid(2, 3, 0);
    grid.CurrentRow(0);
    grid.CurrentCol(2);
    grid.CellAlign(4);
    EXPECT_EQ(grid.cellAlignAt(0, 2), 4);
    EXPECT_EQ(grid.cellAlignAt(0, 1), 0);
    EXPECT_EQ(grid.cellAlignAt(1, 2), 0);
}

TEST(GridUserEdit, PutsTheTextRaisesCellEditedAndKeepsTheHandlersText) {
    HeadlessGrid grid = shapedGrid(2, 4, 2);
    std::string seenInCell;
    long seenRow = -1;
    long seenCol = -1;
    grid.CellEdited = [&](std::string& text, long& status, long row, long col) {
        seenInCell = grid.CellText(row, col);
        seenRow = row;
        seenCol = col;
        text = "2.00";
        status = 2;
    };
    EXPECT_EQ(grid.userEdit(1, 3, "2"), 2);
    EXPECT_EQ(seenInCell, "2");
    EXPECT_EQ(seenRow, 1);
    EXPECT_EQ(seenCol, 3);
    EXPECT_EQ(grid.CellText(1, 3), "2.00");
    EXPECT_EQ(grid.CurrentRow(), 1);
    EXPECT_TRUE(grid.hasFocus());
}

TEST(GridUserEdit, RefusedEntryPutsBackThePreviousTextAndReportsStatusOne) {
    HeadlessGrid grid = shapedGrid(2, 4, 2);
    grid.CellText(1, 2, "7");
    grid.CellEdited = [](std::string&, long& status, long, long) { status = 1; };
    EXPECT_EQ(grid.userEdit(1, 2, "abc"), 1);
    EXPECT_EQ(grid.CellText(1, 2), "7");
}

TEST(GridUserEdit, FixedRowsAndColumnsRefuseTheEditUnchanged) {
    HeadlessGrid grid = shapedGrid(2, 4, 2);
    grid.CellText(0, 3, "header");
    grid.CellText(1, 1, "fixed");
    bool raised = false;
    grid.CellEdited = [&](std::string&, long&, long, long) { raised = true; };
    EXPECT_EQ(grid.userEdit(0, 3, "x"), -1);
    EXPECT_EQ(grid.userEdit(1, 1, "x"), -1);
    EXPECT_FALSE(raised);
    EXPECT_EQ(grid.CellText(0, 3), "header");
    EXPECT_EQ(grid.CellText(1, 1), "fixed");
    EXPECT_THROW(grid.userEdit(2, 3, "x"), std::out_of_range);
}

TEST(GridUserEdit, HandlerThatRemovesTheRowDoesNotCorruptOtherRows) {
    HeadlessGrid grid = shapedGrid(3, 2, 0);
    grid.FixedRowCount(1);
    grid.CellText(1, 1, "first");
    grid.CellEdited = [&](std::string& text, long&, long row, long) {
        grid.RemoveRow(row);
        text = "lost";
    };
    grid.userEdit(2, 1, "typed");
    ASSERT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.CellText(1, 1), "first");
}

TEST(CheckBoxClick, TogglesBeforeRaisingClick) {
    HeadlessCheckBox box("自动调整", 1);
    int seen = -1;
    box.Click = [&] { seen = box.Value(); };
    box.userClick();
    EXPECT_EQ(seen, 0);
    box.userClick();
    EXPECT_EQ(seen, 1);
}

TEST(CheckBoxClick, SettingTheValueByCodeRaisesNothingAndRefusesOtherValues) {
    HeadlessCheckBox box;
    bool raised = false;
    box.Click = [&] { raised = true; };
    box.Value(1);
    EXPECT_FALSE(raised);
    EXPECT_THROW(box.Value(2), std::invalid_argument);
    EXPECT_EQ(box.Value(), 1);
}

TEST(ButtonClick, PassesTheButtonsIndex) {
    HeadlessCommandButton cancel("取消", 1);
    int seen = -1;
    cancel.Click = [&](std::int16_t index) { seen = index; };
    cancel.userClick();
    EXPECT_EQ(seen, 1);
}

TEST(EditTyping, DropsTheRefusedCharacters) {
    HeadlessEdit edit;
    edit.UserType("a<b>c'd\"e|f&g,h1.5");
    EXPECT_EQ(edit.Text(), "abcdefgh1.5");
    edit.Text("<code sets anything>");
    EXPECT_EQ(edit.Text(), "<code sets anything>");
}

TEST(Focus, BelongsToTheLastControlFocusedInTheScope) {
    auto scope = std::make_shared<FocusScope>();
    HeadlessGrid grid(scope);
    HeadlessEdit edit(scope);
    HeadlessLabel elsewhere;
    grid.SetFocus();
    elsewhere.SetFocus();
    EXPECT_TRUE(grid.hasFocus());
    edit.SetFocus();
    EXPECT_FALSE(grid.hasFocus());
    EXPECT_TRUE(edit.hasFocus());
}

}  // namespace
}  // namespace tarvenish
