#include "reconcile/pair_screening.h"

#include "ledger/db/recordset.h"

namespace tarvenish {
namespace {

Recordset openQuery(const Statement& statement, const std::string& connectionString) {
    Recordset rs;
    openReadOnlyQuery(rs, statement, connectionString, CursorType::Static);
    return rs;
}

}  // namespace

std::set<PairKey> pairsWithoutIssuedQuantity(const std::string& connectionString, PairMode mode) {
    std::set<PairKey> pairs;
    Recordset lines = openQuery(sql::pairsWithoutIssuedQuantity(mode), connectionString);
    for (; !lines.eof(); lines.moveNext()) {
        if (lines.field(0).isNull() || lines.field(1).isNull()) continue;
        pairs.emplace(lines.field(0).displayText(), lines.field(1).displayText());
    }
    return pairs;
}

void reportRowsWithoutDepartment(const std::string& connectionString, RunReport& report) {
    const Statement statement = sql::openingRowsWithoutDepartment();
    Recordset rows = openQuery(statement, connectionString);
    for (; !rows.eof(); rows.moveNext()) {
        const std::string item =
            rows.field(1).isNull() ? "no item code" : "item " + rows.field(1).displayText();
        report.recordFailure(
            {"opening rows of warehouse " + rows.field(0).displayText() + " without a department",
             statement.text(),
             rows.field(2).displayText() + " opening row(s) of " + item +
                 " belong to no pair, since their warehouse has no department: left as they are"});
        ++report.pairsTotal;
        report.count(PairOutcome::Failed);
    }
}

}  // namespace tarvenish
