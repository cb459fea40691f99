#pragma once
// Statement texts compared across runs: the run journal's timestamps differ from one run to the next.

#include <string>
#include <string_view>

namespace tarvenish::test {

// Whether `a` and `b` are the same statement once every ISO 8601 UTC timestamp in them is set aside.
[[nodiscard]] bool sameStatement(std::string_view a, std::string_view b);

}  // namespace tarvenish::test
