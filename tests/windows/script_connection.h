#pragma once
// A connection object of the tests' own, as a host's test would make one: an automation object with the two
// properties the component reads, ConnectionString and State.

// <windows.h> comes before the other Windows headers, which need its types.
#include <windows.h>

#include <oaidl.h>

#include <string>

namespace tarvenish {

// A new object holding one reference, owned by the caller.
[[nodiscard]] IDispatch* newScriptConnection(const std::wstring& connectionString, long state = 1);

}  // namespace tarvenish
