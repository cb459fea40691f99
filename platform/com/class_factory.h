#pragma once
// The class object of JustAccount, which makes its objects for COM.

#include <unknwn.h>
#include <windows.h>

namespace tarvenish {

// A new class factory holding one reference, owned by the caller; null when out of memory.
[[nodiscard]] IClassFactory* newJustAccountFactory() noexcept;

}  // namespace tarvenish
