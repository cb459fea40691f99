#include "reconcile/run_history.h"

#include <map>
#include <tuple>
#include <utility>

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
                          number(runs.field(7)), text(runs.field(8)), text(runs.field(9)), std::nullopt,
                          std::nullopt, false});
    }
    runs.close();
    if (hasJournalFacts(connection)) {
        Recordset outcomes;
        outcomes.setCursorLocation(CursorLocation::Client);
        outcomes.open(sql::runOutcomes(), connection, CursorType::ForwardOnly, LockType::ReadOnly,
                      CommandType::Text);
        std::map<long, std::pair<std::optional<std::string>, std::optional<long>>> byRun;
        for (; !outcomes.eof(); outcomes.moveNext())
            byRun[static_cast<long>(outcomes.field(0).asLong())] = {text(outcomes.field(1)),
                                                                    number(outcomes.field(2))};
        outcomes.close();
        for (JournaledRun& run : result) {
            if (const auto at = byRun.find(run.runId); at != byRun.end())
                std::tie(run.outcome, run.pairsLeft) = at->second;
        }
    }
    for (JournaledRun& run : result) {
        if (run.finished && run.rowsDeleted && run.rowsInserted) {
            run.changedRows = *run.rowsDeleted + *run.rowsInserted > 0;
            continue;
        }
        // A run that did not record its end says what it changed only through its images.
        Recordset images;
        images.setCursorLocation(CursorLocation::Client);
        images.open(sql::journalImageCount(run.runId), connection, CursorType::ForwardOnly,
                    LockType::ReadOnly, CommandType::Text);
        run.changedRows = !images.eof() && images.field(0).asLong() > 0;
        images.close();
    }
    return result;
}

}  // namespace tarvenish
