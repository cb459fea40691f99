#include "checks/documents_check.h"

#include <string>

#include "ledger/db/connection.h"
#include "ledger/db/recordset.h"
#include "ledger/sql/statements.h"

namespace tarvenish {

bool noDocumentsOutstanding(DialectChoice dialects, Connection& connection) noexcept {
    try {
        const std::string connectionString = connection.connectionString();
        for (const Statement& sql : sql::outstandingDocuments(dialects.forPreparation())) {
            Recordset rs;
            rs.setCursorLocation(CursorLocation::Client);
            // A query that fails to open or count answers as one that found outstanding documents.
            rs.open(sql, connectionString, CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text);
            if (rs.recordCount() > 0) return false;
            rs.close();
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace tarvenish
