#pragma once
// Whether the statements reach the database as the component writes them: the ODBC engine speaks ODBC's
// narrow API in UTF-8, and a Windows driver manager reads narrow text in the system's ANSI code page.

#include <string>

namespace tarvenish {

// Empty when narrow ODBC text reaches the driver as UTF-8 (the system code page is UTF-8, or Wine hands the
// bytes to the Linux driver manager as they are); otherwise why the members may not run: a statement's
// Chinese texts would be read as other characters, match nothing, and the run would answer true having done
// nothing.
[[nodiscard]] std::string odbcTextProblem();

}  // namespace tarvenish
