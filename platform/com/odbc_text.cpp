#include "platform/com/odbc_text.h"

#include <windows.h>

namespace tarvenish {
namespace {

bool underWine() {
    // Wine's ntdll names itself; its odbc32 passes narrow text to the Linux driver manager unchanged.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

std::string odbcTextProblem() {
    const UINT codePage = ::GetACP();
    if (codePage == CP_UTF8 || underWine()) return {};
    return "this Windows system reads ODBC text in code page " + std::to_string(codePage) +
           ", and the component's statements are UTF-8: their Chinese texts would match nothing, so nothing "
           "was "
           "asked or changed (turn on \"Use Unicode UTF-8 for worldwide language support\" in the system's "
           "region settings)";
}

}  // namespace tarvenish
