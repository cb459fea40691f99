#pragma once
// Reading the rows of an executed ODBC statement into a client-side result.

#include <string_view>

#include "ledger/db/engine.h"
#include "ledger/odbc/handle.h"

namespace tarvenish {

class OdbcSession;

// Reads every row of the result set open on `statement` into `out`: whole numbers as Long, other numbers as
// Double, date and time columns as Date, everything else as text. Throws DbError carrying `sql`.
void readOdbcRows(const OdbcSession& session, const OdbcHandle& statement, std::string_view sql,
                  QueryResult& out);

}  // namespace tarvenish
