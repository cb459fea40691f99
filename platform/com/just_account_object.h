#pragma once
// An object of the class JustAccount as COM hands it to a host: the dual interface _JustAccount, its names
// and type information taken from the DLL's embedded type library, its arguments read as hosts send them.

// <windows.h> comes before the other Windows headers, which need its types.
#include <windows.h>

#include <oleauto.h>

#include "platform/com/tarvenish_idl.h"

namespace tarvenish {

// A new object holding one reference, owned by the caller; null when out of memory or when the type library
// cannot be loaded from the DLL.
[[nodiscard]] _JustAccount* newJustAccountObject() noexcept;

// The type information of _JustAccount from the DLL's embedded type library, one reference added; null when
// it cannot be loaded.
[[nodiscard]] ITypeInfo* justAccountTypeInfo() noexcept;

}  // namespace tarvenish
