// The adjustment dialog on screen, run by .ci/windows under a display: every differing pair of a run is shown
// in the real window and answered from it through the test answer, and nothing of the window stays behind.

#include <gtest/gtest.h>

// <windows.h> comes before the other Windows headers, which need its types.
#include <windows.h>

#include <oleauto.h>

#include <cstdlib>
#include <string>

#include "platform/com/tarvenish_idl.h"
#include "platform/com/wide_text.h"
#include "script_connection.h"

namespace tarvenish {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

struct Counts {
    long windows = 0;
    long gdiObjects = 0;
};

BOOL CALLBACK countWindow(HWND, LPARAM found) {
    ++*reinterpret_cast<long*>(found);
    return TRUE;
}

// The windows of this thread (hidden ones too) and the GDI objects of the process. Where the system does not
// count GDI objects itself, every handle of the table is asked for its type.
Counts counted() {
    Counts counts;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&counts.windows));
    counts.gdiObjects = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    if (counts.gdiObjects == 0) {
        for (ULONG_PTR handle = 1; handle < 0x10000; ++handle)
            if (GetObjectType(reinterpret_cast<HGDIOBJ>(handle)) != 0) ++counts.gdiObjects;
    }
    return counts;
}

// JustAccount on the account set `variable` names, on this apartment thread, every dialog answered by
// `answer`; true when it answered True. An empty answer leaves the dialogs to whatever reaches the window.
bool runAnswered(const char* variable, const wchar_t* answer) {
    EXPECT_EQ(_wputenv((std::wstring(L"TARVENISH_TEST_DIALOG_ANSWER=") + answer).c_str()), 0);
    CLSID clsid{};
    _JustAccount* object = nullptr;
    EXPECT_TRUE(SUCCEEDED(CLSIDFromProgID(L"TARVENISH.JustAccount", &clsid)));
    EXPECT_TRUE(SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__JustAccount,
                                           reinterpret_cast<void**>(&object))));
    VARIANT_BOOL result = VARIANT_FALSE;
    if (object != nullptr) {
        IDispatch* connection =
            newScriptConnection(utf16("Driver=SQLite3;Database=" + environment(variable) +
                                      ";LoadExt=" + environment("TARVENISH_TEST_LOADEXT") + ";"));
        short accSql = 1;
        EXPECT_EQ(object->JustAccount(&accSql, &connection, &result), S_OK);
        connection->Release();
        object->Release();
    }
    (void)_wputenv(L"TARVENISH_TEST_DIALOG_ANSWER=");
    return result == VARIANT_TRUE;
}

// The windows and GDI objects a run of set `variable` leaves behind it, counted after a first run has made
// what the process keeps for good (the window classes, the fonts the system caches).
Counts leftBehind(const char* variable, const wchar_t* answer) {
    EXPECT_TRUE(runAnswered("TARVENISH_TEST_SET_WARM", L"confirm"));
    const Counts before = counted();
    EXPECT_TRUE(runAnswered(variable, answer));
    const Counts after = counted();
    return {after.windows - before.windows, after.gdiObjects - before.gdiObjects};
}

// What a leak check allows: no window, and a GDI count that did not grow with the pairs.
bool flat(const Counts& left) {
    constexpr long kNoise = 4;
    return left.windows == 0 && left.gdiObjects <= kNoise;
}

class DialogOnScreen : public testing::Test {
protected:
    void SetUp() override {
        if (environment("TARVENISH_TEST_SET_MANY").empty()) GTEST_SKIP() << "runs under a display only";
    }
};

TEST_F(DialogOnScreen, AThousandPairsAnsweredOneByOneLeaveNoWindowAndNoGdiObject) {
    const Counts left = leftBehind("TARVENISH_TEST_SET_MANY", L"confirm");
    EXPECT_TRUE(flat(left)) << left.windows << " windows and " << left.gdiObjects << " GDI objects left";
}

TEST_F(DialogOnScreen, APlantedLeakFailsTheCheck) {
    const Counts left = leftBehind("TARVENISH_TEST_SET_LEAK", L"confirm+leak");
    EXPECT_FALSE(flat(left)) << "one font left per dialog went unnoticed";
}

// A host that is shutting down keeps its WM_QUIT: the dialog it arrives in unloads as by its close box (the
// pair is left, the run goes on) and posts it again, so the call returns and the host's loop still ends.
TEST_F(DialogOnScreen, AQuitMessageUnloadsTheDialogAndReachesTheHostsLoop) {
    PostQuitMessage(3);
    EXPECT_TRUE(runAnswered("TARVENISH_TEST_SET_QUIT", L""));
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the host's WM_QUIT was lost";
    EXPECT_EQ(message.wParam, 3u);
}

// The host's active window owns the dialog and is disabled while it is up; once it is answered the host's
// window takes input and the activation again.
TEST_F(DialogOnScreen, TheHostsWindowIsEnabledAndActiveAgainAfterTheDialog) {
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    SetForegroundWindow(host);
    SetActiveWindow(host);
    ASSERT_EQ(GetActiveWindow(), host);
    EXPECT_TRUE(runAnswered("TARVENISH_TEST_SET_OWNER", L"confirm"));
    EXPECT_TRUE(IsWindowEnabled(host));
    EXPECT_EQ(GetActiveWindow(), host);
    DestroyWindow(host);
}

}  // namespace
}  // namespace tarvenish
