#include "ledger/dialect/issued_column.h"

namespace tarvenish {

std::string withIssuedColumnDefault(StatementKind kind, std::string sqliteText) {
    // The default is part of the column's definition only while it exists: dropping the column at the end
    // of the run takes it out of the table's schema with the column.
    if (kind == StatementKind::IssuedColumnAdd) sqliteText += " DEFAULT 0";
    return sqliteText;
}

}  // namespace tarvenish
