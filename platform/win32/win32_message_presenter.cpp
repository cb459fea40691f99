#include "platform/win32/win32_message_presenter.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "base/utf16_win32.h"
#include "component/message_resource.h"
#include "component/messages.h"

namespace tarvenish {

namespace {

// The message resource's own title; none when the resource cannot be read.
std::string titleOf(std::string_view title) {
    if (!title.empty()) return std::string(title);
    try {
        return messageText(msg::kBoxTitle);
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

int Win32MessagePresenter::show(std::string_view prompt, int style, std::string_view title) {
    const std::wstring text = utf16(prompt);
    const std::wstring caption = utf16(titleOf(title));
    MSGBOXPARAMSW box{};
    box.cbSize = sizeof box;
    box.hwndOwner = ::GetActiveWindow();
    box.hInstance = nullptr;
    box.lpszText = text.c_str();
    box.lpszCaption = caption.c_str();
    // The resource's styles are the box styles of the Windows API: buttons in the low digit, icon in the
    // sixteens.
    box.dwStyle =
        static_cast<DWORD>(style & 0x7F) | MB_SETFOREGROUND | (box.hwndOwner == nullptr ? MB_TASKMODAL : 0);
    box.dwLanguageId = messageLanguage() == MessageLanguage::Chinese
                           ? MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const int chosen = ::MessageBoxIndirectW(&box);
    if (chosen == 0) throw std::runtime_error("the message box cannot be shown: " + std::string(prompt));
    return chosen;
}

}  // namespace tarvenish
