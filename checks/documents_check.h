#pragma once
// Whether sales documents are outstanding that forbid the rebuild.

#include <cstdint>

namespace tarvenish {

class Connection;

// True when none of the three document queries finds a row; false when one does or a query fails. Never
// throws.
[[nodiscard]] bool IFEnd(std::int16_t AccSql, Connection& gdbsKavrin) noexcept;

}  // namespace tarvenish
