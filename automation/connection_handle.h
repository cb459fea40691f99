#pragma once
// The connection object of the binary surface: a reference-counted C handle on a Connection.

#include "ledger/db/connection.h"

struct TvConnection;

namespace tarvenish {

// A new handle holding one reference to `connection`, itself with one reference owned by the caller.
// Throws std::bad_alloc.
[[nodiscard]] TvConnection* makeConnectionHandle(ConnectionPtr connection);
// True when `handle` was made by this library (a foreign or stale table is not read through).
[[nodiscard]] bool isConnectionHandle(const TvConnection* handle) noexcept;
// The connection behind one of this library's handles; null for a null handle.
[[nodiscard]] ConnectionPtr connectionOf(const TvConnection* handle);

}  // namespace tarvenish
