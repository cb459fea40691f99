#include "platform/win32/win32_grid.h"

#include <windows.h>
// The common controls and the message crackers need the types of <windows.h> before them.
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "base/number_format.h"
#include "base/utf16_win32.h"
#include "platform/headless/headless_controls.h"
#include "platform/win32/win32_support.h"

namespace tarvenish {

namespace {

constexpr const wchar_t* kGridClass = L"TarvenishGrid";
constexpr UINT kCommitPosted = WM_APP + 1;
constexpr UINT_PTR kEditorHook = 2;
constexpr int kResizeSlop = 3;
constexpr int kCellMargin = 3;

struct Column {
    long col;
    int left, width;
};

LRESULT CALLBACK gridProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

struct Win32Grid::Impl {
    explicit Impl(Win32Grid& owner) : self(owner) {}

    Win32Grid& self;
    HeadlessGrid cells;
    HFONT font = nullptr;
    HFONT boldFont = nullptr;
    int dpi = 96;
    int rowHeight = 20;
    long firstRow = 0;  // the first line (non-fixed row) in view
    long firstCol = 0;  // the first scrolling column in view, counted among the visible ones
    std::vector<int> fixedWidths;
    HWND editor = nullptr;
    long editRow = -1, editCol = -1;
    bool committing = false;
    bool layoutPending = false;
    long resizing = -1;  // the column whose right edge is dragged
    int resizeOrigin = 0, resizeStart = 0;

    [[nodiscard]] HWND window() const noexcept { return self.handle(); }
    [[nodiscard]] bool fixedCell(long row, long col) const { return cells.isFixedCell(row, col); }

    [[nodiscard]] std::vector<long> scrollingColumns() const {
        std::vector<long> out;
        for (long c = cells.FixedColCount(); c < cells.ColCount(); ++c)
            if (cells.ColumnWidth(c) > 0) out.push_back(c);
        return out;
    }

    [[nodiscard]] RECT client() const {
        RECT r{};
        if (window() != nullptr) ::GetClientRect(window(), &r);
        return r;
    }

    // The fixed columns are as wide as their widest text, their design width the least.
    void measureFixed(HDC dc) {
        fixedWidths.clear();
        const long fixed = std::min(cells.FixedColCount(), cells.ColCount());
        for (long c = 0; c < fixed; ++c) {
            int width = win32::pixels(cells.ColumnWidth(c), dpi);
            if (width > 0) {
                for (long r = 0; r < cells.RowCount(); ++r) {
                    const std::wstring text = utf16(cells.CellText(r, c));
                    SIZE size{};
                    ::SelectObject(dc, r < cells.FixedRowCount() ? boldFont : font);
                    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
                    width = std::max(width, static_cast<int>(size.cx) + 2 * kCellMargin + 2);
                }
            }
            fixedWidths.push_back(width);
        }
    }

    void measureFixed() {
        if (window() == nullptr) return;
        HDC dc = ::GetDC(window());
        const HGDIOBJ before = ::SelectObject(dc, font);
        measureFixed(dc);
        ::SelectObject(dc, before);
        ::ReleaseDC(window(), dc);
    }

    [[nodiscard]] std::vector<Column> columns() const {
        std::vector<Column> out;
        int x = 0;
        for (long c = 0; c < static_cast<long>(fixedWidths.size()); ++c) {
            if (fixedWidths[static_cast<std::size_t>(c)] <= 0) continue;
            out.push_back({c, x, fixedWidths[static_cast<std::size_t>(c)]});
            x += fixedWidths[static_cast<std::size_t>(c)];
        }
        const std::vector<long> scrolling = scrollingColumns();
        const int right = client().right;
        for (std::size_t i = static_cast<std::size_t>(std::max(0L, firstCol));
             i < scrolling.size() && x < right; ++i) {
            const int width = win32::pixels(cells.ColumnWidth(scrolling[i]), dpi);
            out.push_back({scrolling[i], x, width});
            x += width;
        }
        return out;
    }

    [[nodiscard]] long fixedRows() const { return std::min(cells.FixedRowCount(), cells.RowCount()); }
    [[nodiscard]] long lines() const { return cells.RowCount() - fixedRows(); }
    [[nodiscard]] long linesInView() const {
        return std::max(1L, (client().bottom - fixedRows() * rowHeight) / rowHeight);
    }
    // The top of `row` in the client area, or -1 when it is scrolled out of view.
    [[nodiscard]] int rowTop(long row) const {
        if (row < fixedRows()) return static_cast<int>(row) * rowHeight;
        if (row < fixedRows() + firstRow) return -1;
        return static_cast<int>(fixedRows() + row - fixedRows() - firstRow) * rowHeight;
    }

    [[nodiscard]] bool cellRect(long row, long col, RECT& out) const {
        const int top = rowTop(row);
        if (top < 0) return false;
        for (const Column& c : columns()) {
            if (c.col != col) continue;
            out = {c.left, top, c.left + c.width, top + rowHeight};
            return true;
        }
        return false;
    }

    // The cell at a point of the client area: false outside every cell.
    [[nodiscard]] bool cellAt(int x, int y, long& row, long& col) const {
        if (y < 0) return false;
        const long band = y / rowHeight;
        row = band < fixedRows() ? band : firstRow + band;
        if (row >= cells.RowCount()) return false;
        for (const Column& c : columns()) {
            if (x >= c.left && x < c.left + c.width) {
                col = c.col;
                return true;
            }
        }
        return false;
    }

    // The column whose right edge lies under a point of the fixed rows, or -1.
    [[nodiscard]] long edgeAt(int x, int y) const {
        if (y < 0 || y >= std::max(1L, fixedRows()) * rowHeight) return -1;
        for (const Column& c : columns())
            if (std::abs(x - (c.left + c.width)) <= kResizeSlop) return c.col;
        return -1;
    }

    // How many scrolling columns from the `from`th on fit in the client area beside the fixed ones.
    [[nodiscard]] long columnsFitting(long from) const {
        int room = client().right;
        for (int width : fixedWidths) room -= std::max(0, width);
        const std::vector<long> scrolling = scrollingColumns();
        long fitting = 0;
        for (std::size_t i = static_cast<std::size_t>(std::max(0L, from)); i < scrolling.size(); ++i) {
            room -= win32::pixels(cells.ColumnWidth(scrolling[i]), dpi);
            if (room < 0) break;
            ++fitting;
        }
        return std::max(1L, fitting);
    }

    // The first scrolling column from which every later one fits.
    [[nodiscard]] long lastFirstColumn() const {
        const long count = static_cast<long>(scrollingColumns().size());
        long first = std::max(0L, count - 1);
        while (first > 0 && first - 1 + columnsFitting(first - 1) >= count) --first;
        return first;
    }

    void updateScrollBars() {
        if (window() == nullptr) return;
        // A bar whose page holds the whole range is hidden.
        SCROLLINFO vertical{sizeof(SCROLLINFO),
                            SIF_ALL,
                            0,
                            static_cast<int>(std::max(0L, lines() - 1)),
                            static_cast<UINT>(linesInView()),
                            static_cast<int>(firstRow),
                            0};
        ::SetScrollInfo(window(), SB_VERT, &vertical, TRUE);
        const long scrolling = static_cast<long>(scrollingColumns().size());
        SCROLLINFO horizontal{sizeof(SCROLLINFO),
                              SIF_ALL,
                              0,
                              static_cast<int>(std::max(0L, scrolling - 1)),
                              static_cast<UINT>(firstCol == 0 ? columnsFitting(0) : 1),
                              static_cast<int>(firstCol),
                              0};
        ::SetScrollInfo(window(), SB_HORZ, &horizontal, TRUE);
    }

    void clampScroll() {
        firstRow = std::clamp(firstRow, 0L, std::max(0L, lines() - linesInView()));
        firstCol = std::clamp(firstCol, 0L, lastFirstColumn());
    }

    // Scrolls the current cell's line into view, and its column too when `across`.
    void showCurrent(bool across = false) {
        const long row = cells.CurrentRow();
        if (row >= fixedRows()) {
            const long line = row - fixedRows();
            if (line < firstRow) firstRow = line;
            if (line >= firstRow + linesInView()) firstRow = line - linesInView() + 1;
        }
        const std::vector<long> scrolling = scrollingColumns();
        const auto at = std::find(scrolling.begin(), scrolling.end(), cells.CurrentCol());
        if (across && at != scrolling.end()) {
            const long index = at - scrolling.begin();
            if (index < firstCol) firstCol = index;
            while (firstCol < index && firstCol + columnsFitting(firstCol) <= index) ++firstCol;
        }
        clampScroll();
    }

    // Lays the grid out again at its next painting: a load changes hundreds of cells, and the scroll bars
    // need setting only once for all of them.
    void refresh() {
        if (window() == nullptr) return;
        layoutPending = true;
        ::InvalidateRect(window(), nullptr, FALSE);
    }

    void layOut() {
        layoutPending = false;
        measureFixed();
        clampScroll();
        updateScrollBars();
    }

    void paint(HDC target) {
        const RECT area = client();
        HDC dc = ::CreateCompatibleDC(target);
        const win32::GdiObject<HBITMAP> bitmap(
            ::CreateCompatibleBitmap(target, std::max(1L, area.right), std::max(1L, area.bottom)));
        const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap.get());
        const HGDIOBJ oldFont = ::SelectObject(dc, font);
        measureFixed(dc);
        ::SetDCBrushColor(dc, ::GetSysColor(COLOR_WINDOW));
        ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
        ::SetBkMode(dc, TRANSPARENT);
        const HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(DC_PEN));
        ::SetDCPenColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
        const bool focused = ::GetFocus() == window() || (editor != nullptr && ::GetFocus() == editor);
        const std::vector<Column> shown = columns();
        for (long band = 0;; ++band) {
            const long row = band < fixedRows() ? band : firstRow + band;
            if (row >= cells.RowCount() || static_cast<int>(band) * rowHeight >= area.bottom) break;
            const int top = static_cast<int>(band) * rowHeight;
            for (const Column& c : shown) {
                RECT cell{c.left, top, c.left + c.width, top + rowHeight};
                const bool fixed = fixedCell(row, c.col);
                const bool current = !fixed && row == cells.CurrentRow() && c.col == cells.CurrentCol();
                // The design's fixed cells are white with button text, the others window colours.
                COLORREF fill = fixed ? RGB(0xFF, 0xFF, 0xFF) : ::GetSysColor(COLOR_WINDOW);
                COLORREF ink = ::GetSysColor(fixed ? COLOR_BTNTEXT : COLOR_WINDOWTEXT);
                if (current) {
                    fill = ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
                    ink = ::GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
                }
                ::SetDCBrushColor(dc, fill);
                ::FillRect(dc, &cell, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
                ::MoveToEx(dc, cell.right - 1, cell.top, nullptr);
                ::LineTo(dc, cell.right - 1, cell.bottom - 1);
                ::LineTo(dc, cell.left - 1, cell.bottom - 1);
                ::SetTextColor(dc, ink);
                ::SelectObject(dc, row < cells.FixedRowCount() ? boldFont : font);
                const std::string text = cells.CellText(row, c.col);
                std::int16_t align = cells.cellAlignAt(row, c.col);
                double number = 0.0;
                UINT horizontal = DT_LEFT;
                if (align == 0 && parseNumber(text, number)) {
                    horizontal = DT_RIGHT;
                } else if (align >= 0 && align <= 8) {
                    horizontal = align / 3 == 1 ? DT_CENTER : align / 3 == 2 ? DT_RIGHT : DT_LEFT;
                }
                RECT inner{cell.left + kCellMargin, cell.top, cell.right - kCellMargin - 1, cell.bottom - 1};
                std::wstring wide = utf16(text);
                ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &inner,
                            horizontal | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            }
        }
        ::BitBlt(target, 0, 0, area.right, area.bottom, dc, 0, 0, SRCCOPY);
        ::SelectObject(dc, oldPen);
        ::SelectObject(dc, oldFont);
        ::SelectObject(dc, oldBitmap);
        ::DeleteDC(dc);
    }

    void moveTo(long row, long col) {
        if (row < fixedRows() || row >= cells.RowCount()) return;
        cells.CurrentRow(row);
        cells.CurrentCol(col);
        showCurrent(true);
        refresh();
    }

    // Moves by `rows` lines and `cols` visible scrolling columns from the current cell.
    void moveBy(long rows, long cols) {
        const std::vector<long> scrolling = scrollingColumns();
        if (scrolling.empty() || lines() == 0) return;
        long index = std::find(scrolling.begin(), scrolling.end(), cells.CurrentCol()) - scrolling.begin();
        if (index >= static_cast<long>(scrolling.size())) index = 0;
        index = std::clamp(index + cols, 0L, static_cast<long>(scrolling.size()) - 1);
        long row = std::max(cells.CurrentRow(), fixedRows());
        if (cells.CurrentRow() < fixedRows() && rows > 0) --rows;
        row = std::clamp(row + rows, fixedRows(), cells.RowCount() - 1);
        moveTo(row, scrolling[static_cast<std::size_t>(index)]);
    }

    void beginEdit(const std::wstring& initial, bool replace) {
        const long row = cells.CurrentRow();
        const long col = cells.CurrentCol();
        if (editor != nullptr || row >= cells.RowCount() || col >= cells.ColCount() || fixedCell(row, col))
            return;
        if (cells.ColumnWidth(col) <= 0) return;
        // The editor goes where the cell is now, so the layout cannot wait for the next painting.
        layOut();
        showCurrent(true);
        layOut();
        ::InvalidateRect(window(), nullptr, FALSE);
        RECT r{};
        if (!cellRect(row, col, r)) return;
        const std::wstring text = replace ? initial : utf16(cells.CellText(row, col));
        editor =
            ::CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_RIGHT,
                              r.left + 1, r.top + 1, r.right - r.left - 2, r.bottom - r.top - 2, window(),
                              nullptr, win32::moduleInstance(), nullptr);
        if (editor == nullptr) return;
        editRow = row;
        editCol = col;
        ::SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        ::SetWindowSubclass(editor, editorProcedure, kEditorHook, reinterpret_cast<DWORD_PTR>(this));
        ::SetFocus(editor);
        const int length = static_cast<int>(text.size());
        ::SendMessageW(editor, EM_SETSEL, replace ? length : 0, length);
    }

    void dropEditor() noexcept {
        if (editor == nullptr) return;
        const HWND gone = std::exchange(editor, nullptr);
        if (::GetFocus() == gone) ::SetFocus(window());
        ::DestroyWindow(gone);
    }

    void commitEdit() noexcept {
        if (editor == nullptr || committing) return;
        committing = true;
        const int length = ::GetWindowTextLengthW(editor);
        std::wstring typed(static_cast<std::size_t>(length) + 1, L'\0');
        typed.resize(static_cast<std::size_t>(::GetWindowTextW(editor, typed.data(), length + 1)));
        const long row = editRow;
        const long col = editCol;
        dropEditor();
        self.raiseGuarded([&] {
            if (row < cells.RowCount() && col < cells.ColCount()) (void)cells.userEdit(row, col, utf8(typed));
        });
        committing = false;
        showCurrent();
        refresh();
    }

    static LRESULT CALLBACK editorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
        auto* impl = reinterpret_cast<Impl*>(data);
        switch (message) {
            case WM_GETDLGCODE:
                return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
            case WM_KEYDOWN:
                if (wParam == VK_RETURN || wParam == VK_TAB) {
                    ::PostMessageW(impl->window(), kCommitPosted, wParam == VK_TAB ? 1 : 0, 0);
                    return 0;
                }
                if (wParam == VK_ESCAPE) {
                    ::PostMessageW(impl->window(), kCommitPosted, 2, 0);
                    return 0;
                }
                break;
            case WM_CHAR:
                if (wParam == L'\r' || wParam == L'\t' || wParam == 0x1B) return 0;
                break;
            case WM_KILLFOCUS:
                ::PostMessageW(impl->window(), kCommitPosted, 0, 0);
                break;
            case WM_NCDESTROY:
                ::RemoveWindowSubclass(window, editorProcedure, kEditorHook);
                break;
            default:
                break;
        }
        return ::DefSubclassProc(window, message, wParam, lParam);
    }

    void scroll(int bar, WPARAM request) {
        long& first = bar == SB_VERT ? firstRow : firstCol;
        const long page = bar == SB_VERT ? linesInView() : 1;
        switch (LOWORD(request)) {
            case SB_LINEUP:
                --first;
                break;
            case SB_LINEDOWN:
                ++first;
                break;
            case SB_PAGEUP:
                first -= page;
                break;
            case SB_PAGEDOWN:
                first += page;
                break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION: {
                SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
                ::GetScrollInfo(window(), bar, &info);
                first = info.nTrackPos;
                break;
            }
            default:
                break;
        }
        if (editor != nullptr) commitEdit();
        refresh();
    }

    LRESULT procedure(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_PAINT: {
                if (layoutPending) layOut();
                PAINTSTRUCT ps;
                HDC dc = ::BeginPaint(window(), &ps);
                paint(dc);
                ::EndPaint(window(), &ps);
                return 0;
            }
            case WM_ERASEBKGND:
                return 1;
            case WM_SIZE:
                refresh();
                return 0;
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
                ::InvalidateRect(window(), nullptr, FALSE);
                return 0;
            case WM_GETDLGCODE:
                return DLGC_WANTARROWS | DLGC_WANTCHARS;
            case WM_VSCROLL:
                scroll(SB_VERT, wParam);
                return 0;
            case WM_HSCROLL:
                scroll(SB_HORZ, wParam);
                return 0;
            case WM_MOUSEWHEEL:
                firstRow -= GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3;
                refresh();
                return 0;
            case WM_SETCURSOR: {
                POINT at{};
                ::GetCursorPos(&at);
                ::ScreenToClient(window(), &at);
                if (LOWORD(lParam) == HTCLIENT && (resizing >= 0 || edgeAt(at.x, at.y) >= 0)) {
                    ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)));
                    return TRUE;
                }
                break;
            }
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: {
                const int x = GET_X_LPARAM(lParam);
                const int y = GET_Y_LPARAM(lParam);
                if (editor != nullptr) commitEdit();
                ::SetFocus(window());
                if (const long edge = edgeAt(x, y); edge >= 0) {
                    resizing = edge;
                    resizeOrigin = x;
                    resizeStart = edge < static_cast<long>(fixedWidths.size())
                                      ? fixedWidths[static_cast<std::size_t>(edge)]
                                      : win32::pixels(cells.ColumnWidth(edge), dpi);
                    ::SetCapture(window());
                    return 0;
                }
                long row = 0, col = 0;
                if (cellAt(x, y, row, col) && !fixedCell(row, col)) {
                    moveTo(row, col);
                    if (message == WM_LBUTTONDBLCLK) beginEdit({}, false);
                }
                return 0;
            }
            case WM_MOUSEMOVE:
                if (resizing >= 0) {
                    const int width = std::max(8, resizeStart + GET_X_LPARAM(lParam) - resizeOrigin);
                    cells.ColumnWidth(resizing, win32::twipsOf(width, dpi));
                    refresh();
                }
                return 0;
            case WM_LBUTTONUP:
            case WM_CAPTURECHANGED:
                if (resizing >= 0) {
                    resizing = -1;
                    if (message == WM_LBUTTONUP) ::ReleaseCapture();
                }
                return 0;
            case WM_KEYDOWN: {
                const bool control = ::GetKeyState(VK_CONTROL) < 0;
                switch (wParam) {
                    case VK_LEFT:
                        moveBy(0, -1);
                        return 0;
                    case VK_RIGHT:
                        moveBy(0, 1);
                        return 0;
                    case VK_UP:
                        moveBy(-1, 0);
                        return 0;
                    case VK_DOWN:
                        moveBy(1, 0);
                        return 0;
                    case VK_PRIOR:
                        moveBy(-linesInView(), 0);
                        return 0;
                    case VK_NEXT:
                        moveBy(linesInView(), 0);
                        return 0;
                    case VK_HOME:
                        moveBy(control ? -cells.RowCount() : 0, -cells.ColCount());
                        return 0;
                    case VK_END:
                        moveBy(control ? cells.RowCount() : 0, cells.ColCount());
                        return 0;
                    case VK_F2:
                        beginEdit({}, false);
                        return 0;
                    default:
                        break;
                }
                break;
            }
            case WM_CHAR:
                if (wParam >= 0x20 && wParam != 0x7F) {
                    beginEdit(std::wstring(1, static_cast<wchar_t>(wParam)), true);
                    return 0;
                }
                break;
            case kCommitPosted:
                if (wParam == 2) {
                    dropEditor();
                    refresh();
                } else {
                    commitEdit();
                    if (wParam == 1) {
                        // Tab leaves the grid for the next control in the tab order.
                        HWND dialog = ::GetAncestor(window(), GA_ROOT);
                        const bool back = ::GetKeyState(VK_SHIFT) < 0;
                        if (HWND next = ::GetNextDlgTabItem(dialog, window(), back)) ::SetFocus(next);
                    }
                }
                return 0;
            default:
                break;
        }
        return ::DefWindowProcW(window(), message, wParam, lParam);
    }
};

namespace {

LRESULT CALLBACK gridProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* grid = static_cast<Win32Grid*>(Win32Child::of(window));
    if (grid == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    return grid->impl().procedure(message, wParam, lParam);
}

}  // namespace

Win32Grid::Win32Grid() : m_impl(std::make_unique<Impl>(*this)) {
    m_impl->cells.CellEdited = [this](std::string& text, long& status, long row, long col) {
        if (CellEdited) CellEdited(text, status, row, col);
    };
}

Win32Grid::~Win32Grid() {
    m_impl->dropEditor();
    destroy();
}

void Win32Grid::create(HWND parent, HFONT font, HFONT boldFont, int dpi) {
    if (!win32::registerClass(kGridClass, gridProcedure, CS_DBLCLKS, -1))
        throw std::runtime_error("the grid's window class cannot be registered");
    m_impl->font = font;
    m_impl->boldFont = boldFont;
    m_impl->dpi = dpi;
    Win32Child::create(parent, kGridClass, WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE, {}, font);
    HDC dc = ::GetDC(handle());
    const HGDIOBJ before = ::SelectObject(dc, boldFont);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, before);
    ::ReleaseDC(handle(), dc);
    m_impl->rowHeight = static_cast<int>(metrics.tmHeight) + 2 * kCellMargin;
    m_impl->refresh();
}

bool Win32Grid::hasFocus() const {
    const HWND focused = ::GetFocus();
    return handle() != nullptr && (focused == handle() || (focused != nullptr && focused == m_impl->editor));
}

void Win32Grid::finishEditing() noexcept {
    m_impl->commitEdit();
}

long Win32Grid::RowCount() const {
    return m_impl->cells.RowCount();
}
void Win32Grid::RowCount(long rows) {
    m_impl->cells.RowCount(rows);
    m_impl->refresh();
}
long Win32Grid::ColCount() const {
    return m_impl->cells.ColCount();
}
void Win32Grid::ColCount(long cols) {
    m_impl->cells.ColCount(cols);
    m_impl->refresh();
}
std::string Win32Grid::CellText(long row, long col) const {
    return m_impl->cells.CellText(row, col);
}
void Win32Grid::CellText(long row, long col, std::string_view text) {
    m_impl->cells.CellText(row, col, text);
    m_impl->refresh();
}
long Win32Grid::ColumnWidth(long col) const {
    return m_impl->cells.ColumnWidth(col);
}
void Win32Grid::ColumnWidth(long col, long twips) {
    m_impl->cells.ColumnWidth(col, twips);
    m_impl->refresh();
}
long Win32Grid::FixedRowCount() const {
    return m_impl->cells.FixedRowCount();
}
void Win32Grid::FixedRowCount(long rows) {
    m_impl->cells.FixedRowCount(rows);
    m_impl->refresh();
}
long Win32Grid::FixedColCount() const {
    return m_impl->cells.FixedColCount();
}
void Win32Grid::FixedColCount(long cols) {
    m_impl->cells.FixedColCount(cols);
    m_impl->refresh();
}
long Win32Grid::CurrentRow() const {
    return m_impl->cells.CurrentRow();
}
void Win32Grid::CurrentRow(long row) {
    m_impl->cells.CurrentRow(row);
    m_impl->showCurrent();
    m_impl->refresh();
}
long Win32Grid::CurrentCol() const {
    return m_impl->cells.CurrentCol();
}
void Win32Grid::CurrentCol(long col) {
    m_impl->cells.CurrentCol(col);
    m_impl->showCurrent();
    m_impl->refresh();
}
void Win32Grid::SelEndRow(long row) {
    m_impl->cells.SelEndRow(row);
}
void Win32Grid::SelEndCol(long col) {
    m_impl->cells.SelEndCol(col);
}
void Win32Grid::BlockText(std::string_view text) {
    m_impl->cells.BlockText(text);
    m_impl->refresh();
}
void Win32Grid::CellAlign(std::int16_t align) {
    m_impl->cells.CellAlign(align);
    m_impl->refresh();
}
std::int16_t Win32Grid::cellAlignAt(long row, long col) const {
    return m_impl->cells.cellAlignAt(row, col);
}
void Win32Grid::AddRow(std::string_view text, long index) {
    m_impl->cells.AddRow(text, index);
    m_impl->refresh();
}
void Win32Grid::RemoveRow(long index) {
    m_impl->dropEditor();
    m_impl->cells.RemoveRow(index);
    m_impl->refresh();
}
void Win32Grid::ClearGrid() {
    m_impl->dropEditor();
    m_impl->cells.ClearGrid();
    m_impl->refresh();
}
long Win32Grid::userEdit(long row, long col, std::string_view text) {
    const long status = m_impl->cells.userEdit(row, col, text);
    if (status != -1) SetFocus();
    m_impl->showCurrent();
    m_impl->refresh();
    return status;
}

}  // namespace tarvenish
