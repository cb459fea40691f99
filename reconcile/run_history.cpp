#include "reconcile/run_history.h"

#include "component/run_journal.h"
#include "ledger/db/connection.h"
#include "ledger/db/recordset.h"

namespace tarvenish {

namespace {
std::optional<long> number(const Value& value) {
    if (value.isNull()) return std::nullopt;
    return static_cast<long>(value.asLong());
}
std::optional<std::string> text(const Value& value) {
    if (value.isNull()) return std::nullopt;
    return value.asText();
}
}  // namespace

std::optional<std::vector<JournaledRun>> journaledRuns(Connection& connection) {
    if (!hasRunJournal(connection)) return std::nullopt;
    Recordset runs;
    runs.setCursorLocation(CursorLocation::Client);
    runs.open(sql::journalRuns(), connection, CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text);
    std::vector<JournaledRun> result;
    for (; !runs.eof(); runs.moveNext()) {
        result.push_back({static_cast<long>(runs.field(0).asLong()), runs.field(1).displayText(),
                          static_cast<int>(runs.field(2).asLong()), runs.field(3).displayText(),
                          number(runs.field(4)), number(runs.field(5)), number(runs.field(6)),
                          number(runs.field(7)), text(runs.field(8)), text(runs.field(9))});
    }
    runs.close();
    return result;
}

}  // namespace tarvenish
