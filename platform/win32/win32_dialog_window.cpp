#include "platform/win32/win32_dialog_window.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>
#include <vector>

#include "base/utf16_win32.h"
#include "component/messages.h"
#include "platform/headless/headless_controls.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_grid.h"
#include "platform/win32/win32_support.h"

namespace tarvenish {

namespace {

constexpr const wchar_t* kWindowClass = L"TarvenishAdjustmentDialog";
constexpr const char* kDesignCaption = "升级调整个别计价期初结存记录";
constexpr int kClientWidthTwips = 8130;
constexpr int kClientHeightTwips = 4950;
// The row under the totals that holds the pair's position and the difference line, beside the design: the
// check boxes and buttons below it move down by its height.
constexpr int kAddedRowTwips = 300;
constexpr UINT kActivatePosted = WM_APP + 2;
constexpr UINT_PTR kPollTimer = 1;

LRESULT CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

std::string captionOfResource() {
    try {
        const std::string text = messageText(msg::kWindowCaption);
        if (!text.empty() && text != messageKey(msg::kWindowCaption)) return text;
    } catch (const std::exception&) {
        // The design's caption stands when the resource cannot be read.
    }
    return kDesignCaption;
}

// The design's font, 宋体 (GB2312) at 9 points, when the system has it; otherwise its own message face, which
// on Windows and under Wine's font replacements carries the Chinese glyphs.
LOGFONTW designFace(int dpi) {
    LOGFONTW face{};
    face.lfHeight = -::MulDiv(9, dpi, 72);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = GB2312_CHARSET;
    wcscpy(face.lfFaceName, L"\u5b8b\u4f53");
    bool installed = false;
    if (HDC screen = ::GetDC(nullptr)) {
        const win32::GdiObject<HFONT> probe(::CreateFontIndirectW(&face));
        const HGDIOBJ before = ::SelectObject(screen, probe.get());
        wchar_t chosen[LF_FACESIZE] = {};
        ::GetTextFaceW(screen, LF_FACESIZE, chosen);
        ::SelectObject(screen, before);
        ::ReleaseDC(nullptr, screen);
        installed = ::lstrcmpiW(chosen, face.lfFaceName) == 0 || ::lstrcmpiW(chosen, L"SimSun") == 0;
    }
    if (installed) return face;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        face = metrics.lfMessageFont;
    } else {
        face = LOGFONTW{};
        wcscpy(face.lfFaceName, L"MS Shell Dlg");
    }
    face.lfHeight = -::MulDiv(9, dpi, 72);
    return face;
}

int screenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

// One showing's window and controls. The window is destroyed before the controls let go of their handles,
// and the fonts after every control that draws with them.
struct Form {
    Form();
    ~Form() { destroyWindow(); }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    win32::GdiObject<HFONT> font, boldFont;
    int dpi = 96;
    HWND window = nullptr;
    Win32Frame Frame1;
    Win32Label Label1{"存货明细账"}, Label2{"库存单据"};
    Win32CommandButton Command1{"&A 增加", 0}, Command2{"&D 删除", 0};
    Win32Label Label3{"仓库"}, Label4{"存货"}, Label8{"规格"}, Label5{"数量"}, Label6{"单价"}, Label7{"金额"};
    Win32Edit TxtWhare, TxtInv, TxtStyle, TxtQuan, TxtPrice, TxtMoney;
    Win32Grid Grid;
    Win32Label Label9{"数量合计："}, Label10{"金额合计："};
    // On screen the check boxes and the two buttons below carry access keys, as 增加 and 删除 do.
    Win32CheckBox ChkAver{"&V 存货平均单价替换", 0}, ChKAuto{"&U 自动调整", 1};
    Win32CommandButton cmdOkCancel0{"&O 确定", 0}, cmdOkCancel1{"&C 取消", 1};
    HeadlessKeyHookCtrl KVKeyHookCtrlPre;
    HeadlessFrmCaption KVFrmCaptionMgr{kDesignCaption};
    Win32Label LabelPair, LabelDiff;

    // Where a control sits at the design size (inside the frame: from the frame's corner), its tab index,
    // and its share of a larger window in halves: moving right or down, growing wider or taller.
    struct Placement {
        Win32Child* control;
        bool inFrame;
        int left, top, width, height, tab;
        int right = 0, down = 0, wider = 0, taller = 0;
    };
    std::vector<Placement> placements;

    [[nodiscard]] FrmjustaccountControls view() { return controlsOf(*this); }
    [[nodiscard]] SIZE designClient() const {
        return {win32::pixels(kClientWidthTwips, dpi),
                win32::pixels(kClientHeightTwips + kAddedRowTwips, dpi)};
    }
    void create(HWND owner, const std::string& caption, void* self);
    // Places every control for a client area of `width` by `height`, the design grown by what it exceeds.
    void place(int width, int height);
    void destroyWindow() noexcept;
    void failuresGoTo(const Win32FailureSink& sink);
};

Form::Form() {
    placements = {
        {&Label1, false, 120, 240, 2295, 255, 10},
        {&Label2, false, 3360, 240, 1335, 255, 0},
        {&Command1, false, 5880, 120, 972, 372, 21, 2, 0, 0, 0},
        {&Command2, false, 6960, 120, 972, 372, 20, 2, 0, 0, 0},
        {&Label3, true, 120, 480, 615, 255, 5},
        {&TxtWhare, true, 840, 480, 1935, 270, 11},
        {&Label4, true, 120, 1056, 615, 255, 6},
        {&TxtInv, true, 840, 1032, 1935, 270, 12},
        {&Label8, true, 120, 1635, 615, 255, 16},
        {&TxtStyle, true, 840, 1584, 1935, 270, 17},
        {&Label5, true, 120, 2208, 615, 255, 7},
        {&TxtQuan, true, 840, 2136, 1935, 270, 13},
        {&Label6, true, 120, 2784, 615, 255, 8},
        {&TxtPrice, true, 840, 2688, 1935, 270, 14},
        {&Label7, true, 120, 3360, 615, 255, 9},
        {&TxtMoney, true, 840, 3240, 1935, 270, 15},
        {&Grid, false, 3360, 600, 4695, 3255, 3, 0, 0, 2, 2},
        // 2400 wide, not 2415: the design's two totals overlapped by 15 twips.
        {&Label9, false, 3360, 3960, 2400, 255, 18, 0, 2, 1, 0},
        {&Label10, false, 5760, 3960, 2295, 255, 19, 1, 2, 1, 0},
        {&ChkAver, false, 120, 4440 + kAddedRowTwips, 2055, 375, 1, 0, 2, 0, 0},
        {&ChKAuto, false, 2220, 4440 + kAddedRowTwips, 1335, 375, 2, 0, 2, 0, 0},
        {&cmdOkCancel0, false, 4560, 4440 + kAddedRowTwips, 972, 372, 22, 2, 2, 0, 0},
        {&cmdOkCancel1, false, 6000, 4440 + kAddedRowTwips, 972, 372, 23, 2, 2, 0, 0},
        {&LabelPair, false, 120, 4260, 3135, 255, 24, 0, 2, 0, 0},
        {&LabelDiff, false, 3360, 4260, 4695, 255, 25, 0, 2, 2, 0},
        // The frame goes last: below the controls it holds, which are drawn over it.
        {&Frame1, false, 120, 480, 3135, 3735, 4},
    };
}

void Form::create(HWND owner, const std::string& caption, void* self) {
    if (!win32::registerClass(kWindowClass, dialogProcedure, 0, COLOR_BTNFACE))
        throw std::runtime_error("the adjustment dialog's window class cannot be registered");
    dpi = screenDpi();
    LOGFONTW face = designFace(dpi);
    font.reset(::CreateFontIndirectW(&face));
    face.lfWeight = FW_BOLD;
    boldFont.reset(::CreateFontIndirectW(&face));

    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
    constexpr DWORD extended = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    const SIZE client = designClient();
    RECT outer{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&outer, style, FALSE, extended);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    RECT around{};
    if (owner == nullptr || !::GetWindowRect(owner, &around))
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    const int x = std::max(0L, around.left + (around.right - around.left - width) / 2);
    const int y = std::max(0L, around.top + (around.bottom - around.top - height) / 2);
    window = ::CreateWindowExW(extended, kWindowClass, utf16(caption).c_str(), style, x, y, width, height,
                               owner, nullptr, win32::moduleInstance(), self);
    if (window == nullptr) throw std::runtime_error("the adjustment dialog's window cannot be created");

    // Created in tab order, so that Tab follows the design's tab indexes.
    std::vector<Placement> byTab = placements;
    std::stable_sort(byTab.begin(), byTab.end(),
                     [](const Placement& a, const Placement& b) { return a.tab < b.tab; });
    for (const Placement& p : byTab) {
        if (p.control == &Frame1) continue;
        if (p.control == &Grid) {
            Grid.create(window, font.get(), boldFont.get(), dpi);
        } else if (auto* label = dynamic_cast<Win32Label*>(p.control)) {
            label->create(window, font.get());
        } else if (auto* edit = dynamic_cast<Win32Edit*>(p.control)) {
            edit->create(window, font.get());
        } else if (auto* box = dynamic_cast<Win32CheckBox*>(p.control)) {
            box->create(window, font.get());
        } else if (auto* button = dynamic_cast<Win32CommandButton*>(p.control)) {
            button->create(window, font.get());
        }
    }
    Frame1.create(window, font.get());
    Label9.fitToWidth(true);
    Label10.fitToWidth(true);
    LabelDiff.fitToWidth(true);
    ::SetWindowPos(Frame1.handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    place(client.cx, client.cy);
}

void Form::place(int width, int height) {
    const SIZE design = designClient();
    const int grownWidth = std::max(0, width - static_cast<int>(design.cx));
    const int grownHeight = std::max(0, height - static_cast<int>(design.cy));
    const auto share = [](int grown, int halves) { return grown * halves / 2; };
    const Placement* frame = nullptr;
    for (const Placement& p : placements)
        if (p.control == &Frame1) frame = &p;
    for (const Placement& p : placements) {
        const int left = p.left + (p.inFrame ? frame->left : 0);
        const int top = p.top + (p.inFrame ? frame->top : 0);
        p.control->place(win32::pixels(left, dpi) + share(grownWidth, p.right),
                         win32::pixels(top, dpi) + share(grownHeight, p.down),
                         win32::pixels(p.width, dpi) + share(grownWidth, p.wider),
                         win32::pixels(p.height, dpi) + share(grownHeight, p.taller));
    }
}

void Form::destroyWindow() noexcept {
    for (const Placement& p : placements) p.control->destroy();
    if (window != nullptr) ::DestroyWindow(std::exchange(window, nullptr));
    boldFont.reset();
    font.reset();
}

void Form::failuresGoTo(const Win32FailureSink& sink) {
    for (const Placement& p : placements) p.control->onHandlerFailure(sink);
}

struct Win32DialogWindow::Impl {
    HWND owner = nullptr;
    std::unique_ptr<Form> form;
    FrmjustaccountControls view;
    std::string caption;
    bool loaded = false;
    bool closing = false;
    std::exception_ptr failure;
    Win32FailureSink sink;
    unsigned pollInterval = 0;
    std::function<void()> poll;
    DialogWindow* self = nullptr;

    void failed(std::exception_ptr error) {
        if (!failure) failure = std::move(error);
        try {
            self->Close();
        } catch (...) {
            // The first failure is the one worth reporting.
        }
    }

    LRESULT procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_COMMAND: {
                // Enter and Escape come as IDOK and IDCANCEL: neither may leave the dialog unanswered.
                const auto from = reinterpret_cast<HWND>(lParam);
                if (from == nullptr) return 0;
                if (Win32Child* child = Win32Child::of(from)) {
                    // An entry still open in the grid is committed before a button acts on the lines.
                    if (HIWORD(wParam) == BN_CLICKED) form->Grid.finishEditing();
                    child->notified(HIWORD(wParam));
                }
                return 0;
            }
            case WM_CTLCOLORSTATIC: {
                const auto dc = reinterpret_cast<HDC>(wParam);
                const Win32Child* child = Win32Child::of(reinterpret_cast<HWND>(lParam));
                if (child != nullptr && child->textColour() >= 0)
                    ::SetTextColor(dc, static_cast<COLORREF>(child->textColour()));
                ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
            }
            case WM_SIZE:
                if (form) form->place(LOWORD(lParam), HIWORD(lParam));
                return 0;
            case WM_GETMINMAXINFO: {
                if (!form) break;
                const SIZE client = form->designClient();
                RECT outer{0, 0, client.cx, client.cy};
                ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)), FALSE,
                                     static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE)));
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize = {outer.right - outer.left, outer.bottom - outer.top};
                return 0;
            }
            case WM_CLOSE:
                try {
                    self->Close();
                } catch (...) {
                    failed(std::current_exception());
                }
                return 0;
            case kActivatePosted:
                if (loaded && self->Activate) {
                    try {
                        self->Activate();
                    } catch (...) {
                        failed(std::current_exception());
                    }
                }
                return 0;
            case WM_TIMER:
                if (wParam == kPollTimer && poll && loaded) {
                    try {
                        poll();
                    } catch (...) {
                        failed(std::current_exception());
                    }
                }
                return 0;
            default:
                break;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};

namespace {

LRESULT CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creating = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating->lpCreateParams));
    }
    auto* impl = reinterpret_cast<Win32DialogWindow::Impl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (impl == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    return impl->procedure(window, message, wParam, lParam);
}

}  // namespace

Win32DialogWindow::Win32DialogWindow(HWND owner) : m_impl(std::make_unique<Impl>()) {
    m_impl->owner = owner;
    m_impl->self = this;
    m_impl->caption = captionOfResource();
    m_impl->form = std::make_unique<Form>();
    m_impl->view = m_impl->form->view();
}

Win32DialogWindow::~Win32DialogWindow() {
    if (m_impl->form) m_impl->form->destroyWindow();
}

FrmjustaccountControls& Win32DialogWindow::controls() {
    return m_impl->view;
}
std::string Win32DialogWindow::Caption() const {
    return m_impl->caption;
}
bool Win32DialogWindow::isLoaded() const {
    return m_impl->loaded;
}
HWND Win32DialogWindow::window() const {
    return m_impl->form ? m_impl->form->window : nullptr;
}
void Win32DialogWindow::whileShown(unsigned milliseconds, std::function<void()> poll) {
    m_impl->pollInterval = milliseconds;
    m_impl->poll = std::move(poll);
}

void Win32DialogWindow::ShowModal() {
    if (m_impl->loaded) throw std::logic_error("the adjustment dialog is already shown");
    if (m_impl->form) m_impl->form->destroyWindow();
    m_impl->form = std::make_unique<Form>();
    m_impl->view = m_impl->form->view();
    m_impl->failure = nullptr;
    Form& form = *m_impl->form;
    form.create(m_impl->owner, m_impl->caption, m_impl.get());
    form.failuresGoTo(
        [impl = m_impl.get()](std::exception_ptr failure) { impl->failed(std::move(failure)); });

    m_impl->loaded = true;
    try {
        if (Load) Load();
    } catch (...) {
        // A window whose load fails never appears, so it has nothing to unload.
        m_impl->loaded = false;
        form.destroyWindow();
        throw;
    }
    bool quit = false;
    WPARAM quitCode = 0;
    if (m_impl->loaded) {
        const bool ownerWasEnabled = m_impl->owner != nullptr && ::IsWindowEnabled(m_impl->owner);
        if (ownerWasEnabled) ::EnableWindow(m_impl->owner, FALSE);
        if (m_impl->poll && m_impl->pollInterval > 0)
            ::SetTimer(form.window, kPollTimer, m_impl->pollInterval, nullptr);
        ::ShowWindow(form.window, SW_SHOWNORMAL);
        ::UpdateWindow(form.window);
        ::SetForegroundWindow(form.window);
        // Activation follows the show, once the controls are on screen and can take the focus.
        ::PostMessageW(form.window, kActivatePosted, 0, 0);
        MSG message{};
        while (m_impl->loaded) {
            const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                quit = got == 0;
                quitCode = message.wParam;
                try {
                    Close();
                } catch (...) {
                    m_impl->failed(std::current_exception());
                }
                break;
            }
            if (!::IsDialogMessageW(form.window, &message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        ::KillTimer(form.window, kPollTimer);
        // The owner takes the activation back before the window goes, so that no other window takes it.
        if (ownerWasEnabled) ::EnableWindow(m_impl->owner, TRUE);
        if (m_impl->owner != nullptr) ::SetActiveWindow(m_impl->owner);
    }
    if (m_impl->loaded) {
        try {
            Close();
        } catch (...) {
            m_impl->failed(std::current_exception());
        }
    }
    form.destroyWindow();
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    if (m_impl->failure) std::rethrow_exception(std::exchange(m_impl->failure, nullptr));
}

void Win32DialogWindow::Close() {
    if (!m_impl->loaded || m_impl->closing) return;
    m_impl->closing = true;
    const auto finish = [this] {
        m_impl->closing = false;
        m_impl->loaded = false;
        // Wakes the message loop, which then sees the window unloaded.
        if (m_impl->form && m_impl->form->window != nullptr)
            ::PostMessageW(m_impl->form->window, WM_NULL, 0, 0);
    };
    try {
        if (Unload) Unload();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

}  // namespace tarvenish
