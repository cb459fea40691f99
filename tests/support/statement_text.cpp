#include "statement_text.h"

#include <regex>

namespace tarvenish::test {

namespace {
std::string withoutTimestamps(std::string_view text) {
    static const std::regex timestamp(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    return std::regex_replace(std::string(text), timestamp, "T");
}
}  // namespace

bool sameStatement(std::string_view a, std::string_view b) {
    return a == b || withoutTimestamps(a) == withoutTimestamps(b);
}

}  // namespace tarvenish::test
