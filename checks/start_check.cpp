#include "checks/start_check.h"

#include <string>
#include <string_view>

#include "ledger/db/connection.h"
#include "ledger/db/recordset.h"
#include "ledger/db/value.h"
#include "ledger/sql/host_tables.h"
#include "ledger/sql/statements.h"

namespace tarvenish {
namespace {

void openQuery(Recordset& rs, const Statement& sql, const std::string& connectionString) {
    openReadOnlyQuery(rs, sql, connectionString, CursorType::ForwardOnly);
}

// cValue of the setting's first row, or cDefault when cValue is empty or Null; the empty text when there is
// no row, both are Null, or the read fails.
std::string settingText(const std::string& connectionString, std::string_view name) noexcept {
    try {
        Recordset rs;
        openQuery(rs, sql::accSetting(host::kSystemIA, name), connectionString);
        if (rs.eof()) return {};
        const std::string value = rs.field("cvalue").displayText();
        return value.empty() ? rs.field("cDefault").displayText() : value;
    } catch (...) {
        return {};
    }
}

// True when the opening-row query of `mode` returns at least one row; a query that fails counts as none.
bool hasOpeningRows(const std::string& connectionString, PairMode mode) noexcept {
    try {
        Recordset rs;
        openQuery(rs, sql::openingRowCheck(mode), connectionString);
        return rs.recordCount() > 0;
    } catch (...) {
        return false;
    }
}

}  // namespace

bool accountingStarted(DialectChoice dialects, Connection& connection) noexcept {
    try {
        const std::string connectionString = connection.connectionString();

        Date start;
        if (!parseDate(settingText(connectionString, host::kStartDateSetting), start)) return false;

        PairMode mode = PairMode::Warehouse;
        if (settingText(connectionString, host::kValueStyleSetting) != host::kByWarehouse) {
            mode = PairMode::Department;
            // A failed fill is ignored: the count below then works on the departments as they stand.
            try {
                connection.execute(sql::departmentFill(dialects.forPreparation()));
            } catch (...) {
            }
        }
        return hasOpeningRows(connectionString, mode);
    } catch (...) {
        return false;
    }
}

}  // namespace tarvenish
