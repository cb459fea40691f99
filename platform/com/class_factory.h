#pragma once
// The class object of JustAccount, which makes its objects for COM.

// <windows.h> comes before the other Windows headers, which need its types.
#include <windows.h>

#include <unknwn.h>

namespace tarvenish {

// A new class factory holding one reference, owned by the caller; null when out of memory.
[[nodiscard]] IClassFactory* newJustAccountFactory() noexcept;

}  // namespace tarvenish
