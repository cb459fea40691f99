#include "platform/headless/headless_controls.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tarvenish {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

HeadlessEdit::HeadlessEdit(FocusScopePtr scope) : Focusable(std::move(scope)) {}

void HeadlessEdit::UserType(std::string_view typed) {
    SetFocus();
    std::string kept;
    for (const char c : typed) {
        if (kRefusedEditCharacters.find(c) == std::string_view::npos) kept.push_back(c);
    }
    m_text = std::move(kept);
}

HeadlessCheckBox::HeadlessCheckBox(std::string_view caption, int value, FocusScopePtr scope)
    : Focusable(std::move(scope)), m_caption(caption) {
    Value(value);
}

void HeadlessCheckBox::Value(int value) {
    if (value != 0 && value != 1) {
        throw std::invalid_argument("check box value must be 0 or 1, not " + std::to_string(value));
    }
    m_value = value;
}

void HeadlessCheckBox::userClick() {
    SetFocus();
    m_value = m_value == 1 ? 0 : 1;
    if (Click) Click();
}

HeadlessCommandButton::HeadlessCommandButton(std::string_view caption, std::int16_t index,
                                             FocusScopePtr scope)
    : Focusable(std::move(scope)), m_caption(caption), m_index(index) {}

void HeadlessCommandButton::userClick() {
    SetFocus();
    if (Click) Click(m_index);
}

HeadlessGrid::HeadlessGrid(FocusScopePtr scope) : Focusable(std::move(scope)) {}

void HeadlessGrid::checkRow(long row) const {
    if (row < 0 || row >= RowCount()) {
        throw std::out_of_range("grid row " + std::to_string(row) + " is outside the grid's " +
                                std::to_string(RowCount()) + " rows");
    }
}

void HeadlessGrid::checkCol(long col) const {
    if (col < 0 || col >= m_cols) {
        throw std::out_of_range("grid column " + std::to_string(col) + " is outside the grid's " +
                                std::to_string(m_cols) + " columns");
    }
}

const HeadlessGrid::Cell& HeadlessGrid::cellAt(long row, long col) const {
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_cols) {
        throw std::out_of_range("grid cell (" + std::to_string(row) + ", " + std::to_string(col) +
                                ") is outside the grid of " + std::to_string(RowCount()) + " rows and " +
                                std::to_string(m_cols) + " columns");
    }
    return m_cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

HeadlessGrid::Cell& HeadlessGrid::cellAt(long row, long col) {
    return const_cast<Cell&>(std::as_const(*this).cellAt(row, col));
}

void HeadlessGrid::keepCurrentInside() noexcept {
    const long lastRow = std::max(0L, RowCount() - 1);
    const long lastCol = std::max(0L, m_cols - 1);
    m_currentRow = std::min(m_currentRow, lastRow);
    m_currentCol = std::min(m_currentCol, lastCol);
    m_selEndRow = std::min(m_selEndRow, lastRow);
    m_selEndCol = std::min(m_selEndCol, lastCol);
}

void HeadlessGrid::RowCount(long rows) {
    if (rows < 0) throw std::out_of_range("grid row count " + std::to_string(rows) + " is negative");
    m_cells.resize(static_cast<std::size_t>(rows), emptyRow());
    keepCurrentInside();
}

void HeadlessGrid::ColCount(long cols) {
    if (cols < 0) throw std::out_of_range("grid column count " + std::to_string(cols) + " is negative");
    m_cols = cols;
    for (auto& row : m_cells) row.resize(static_cast<std::size_t>(cols));
    m_widths.resize(static_cast<std::size_t>(cols), kDefaultColumnWidth);
    keepCurrentInside();
}

std::string HeadlessGrid::CellText(long row, long col) const {
    return cellAt(row, col).text;
}

void HeadlessGrid::CellText(long row, long col, std::string_view text) {
    cellAt(row, col).text = text;
}

long HeadlessGrid::ColumnWidth(long col) const {
    checkCol(col);
    return m_widths[static_cast<std::size_t>(col)];
}

void HeadlessGrid::ColumnWidth(long col, long twips) {
    checkCol(col);
    if (twips < 0) {
        throw std::out_of_range("width " + std::to_string(twips) + " of grid column " + std::to_string(col) +
                                " is negative");
    }
    m_widths[static_cast<std::size_t>(col)] = twips;
}

void HeadlessGrid::FixedRowCount(long rows) {
    if (rows < 0) throw std::out_of_range("grid fixed row count " + std::to_string(rows) + " is negative");
    m_fixedRows = rows;
}

void HeadlessGrid::FixedColCount(long cols) {
    if (cols < 0) throw std::out_of_range("grid fixed column count " + std::to_string(cols) + " is negative");
    m_fixedCols = cols;
}

void HeadlessGrid::CurrentRow(long row) {
    checkRow(row);
    m_currentRow = row;
    m_selEndRow = row;
}

void HeadlessGrid::CurrentCol(long col) {
    checkCol(col);
    m_currentCol = col;
    m_selEndCol = col;
}

void HeadlessGrid::SelEndRow(long row) {
    checkRow(row);
    m_selEndRow = row;
}

void HeadlessGrid::SelEndCol(long col) {
    checkCol(col);
    m_selEndCol = col;
}

void HeadlessGrid::BlockText(std::string_view text) {
    if (RowCount() == 0 || m_cols == 0) return;
    const long top = std::min(m_currentRow, m_selEndRow);
    const long bottom = std::max(m_currentRow, m_selEndRow);
    const long left = std::min(m_currentCol, m_selEndCol);
    const long right = std::max(m_currentCol, m_selEndCol);

    std::vector<std::string_view> lines = split(text, '\r');
    // A carriage return that ends the text closes the last row; it does not open another.
    if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    for (std::size_t i = 0; i < lines.size() && top + static_cast<long>(i) <= bottom; ++i) {
        const long row = top + static_cast<long>(i);
        const std::vector<std::string_view> fields = split(lines[i], '\t');
        for (std::size_t j = 0; j < fields.size() && left + static_cast<long>(j) <= right; ++j) {
            cellAt(row, left + static_cast<long>(j)).text = fields[j];
        }
    }
}

void HeadlessGrid::CellAlign(std::int16_t align) {
    cellAt(m_currentRow, m_currentCol).align = align;
}

std::int16_t HeadlessGrid::cellAlignAt(long row, long col) const {
    return cellAt(row, col).align;
}

void HeadlessGrid::AddRow(std::string_view text, long index) {
    if (index < 0 || index > RowCount()) {
        throw std::out_of_range("grid row " + std::to_string(index) + " cannot be inserted into a grid of " +
                                std::to_string(RowCount()) + " rows");
    }
    std::vector<Cell> row = emptyRow();
    const std::vector<std::string_view> fields = split(text, '\t');
    for (std::size_t j = 0; j < fields.size() && j < row.size(); ++j) row[j].text = fields[j];
    m_cells.insert(m_cells.begin() + index, std::move(row));
}

void HeadlessGrid::RemoveRow(long index) {
    checkRow(index);
    m_cells.erase(m_cells.begin() + index);
    keepCurrentInside();
}

void HeadlessGrid::ClearGrid() {
    m_cells.clear();
    m_widths.clear();
    m_cols = 0;
    m_fixedRows = 0;
    m_fixedCols = 0;
    m_currentRow = m_currentCol = m_selEndRow = m_selEndCol = 0;
}

bool HeadlessGrid::isFixedCell(long row, long col) const noexcept {
    return row < m_fixedRows || col < m_fixedCols;
}

long HeadlessGrid::userEdit(long row, long col, std::string_view text) {
    (void)cellAt(row, col);  // a cell outside the grid throws before anything changes
    if (isFixedCell(row, col)) return -1;
    SetFocus();
    CurrentRow(row);
    CurrentCol(col);
    std::string previous = std::exchange(cellAt(row, col).text, std::string(text));
    std::string edited(text);
    long status = 0;
    if (CellEdited) CellEdited(edited, status, row, col);
    // A refused entry never stays in the cell: what it held before comes back, so that nothing reads the
    // refused text later. The handler may have reshaped the grid; a text only lands where the cell still
    // exists.
    if (row < RowCount() && col < m_cols)
        cellAt(row, col).text = status == 1 ? std::move(previous) : std::move(edited);
    return status;
}

}  // namespace tarvenish
