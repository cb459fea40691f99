#include "component/run_journal.h"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <ctime>

#include "base/system_text.h"

#include "ledger/db/connection.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/db/transaction.h"

namespace tarvenish {

namespace {

// Opens `statement` on `connection` itself, so that it reads inside the transaction open there.
bool tableOpens(Connection& connection, const Statement& statement) {
    try {
        Recordset probe;
        probe.setCursorLocation(CursorLocation::Client);
        probe.open(statement, connection, CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text);
        probe.close();
        return true;
    } catch (const DbError& error) {
        // A missing table; a busy or broken database would fail the statements that follow as well.
        if (error.blocksEveryStatement() || error.isLockTimeout()) throw;
        return false;
    }
}

}  // namespace

std::string journalTimestamp() {
    return fmt::format("{:%Y-%m-%dT%H:%M:%SZ}", fmt::gmtime(std::time(nullptr)));
}

bool hasRunJournal(Connection& connection) {
    return tableOpens(connection, sql::journalRunsProbe());
}

bool hasJournalFacts(Connection& connection) {
    return tableOpens(connection, sql::runFactsProbe()) && tableOpens(connection, sql::pairFactsProbe());
}

long startRunJournal(Connection& connection, DialectChoice dialects, PairMode mode,
                     const JournalRunSettings& settings) {
    const Dialect dialect = dialects.forPairs();
    Transaction transaction(connection);
    if (!tableOpens(connection, sql::journalRunsProbe())) connection.execute(sql::createJournalRuns(dialect));
    if (!tableOpens(connection, sql::journalProbe())) {
        connection.execute(sql::createJournal(dialect));
        // verify and undo look a pair up by its codes and run; without the index each lookup reads it all.
        connection.execute(sql::createJournalIndex());
    }
    // A journal made before its facts were kept gets their tables beside it; its older runs have no facts.
    if (!tableOpens(connection, sql::runFactsProbe())) connection.execute(sql::createRunFacts(dialect));
    if (!tableOpens(connection, sql::pairFactsProbe())) connection.execute(sql::createPairFacts(dialect));
    connection.execute(sql::journalRunStart(dialect, journalTimestamp(), dialects.hostFlag(), mode));
    Recordset last;
    last.setCursorLocation(CursorLocation::Client);
    last.open(sql::journalLastRun(), connection, CursorType::ForwardOnly, LockType::ReadOnly,
              CommandType::Text);
    const long runId = static_cast<long>(last.field(0).asLong());
    last.close();
    connection.execute(sql::runFactsStart(runId, settings));
    transaction.commit();
    return runId;
}

void journalPair(Connection& connection, PairMode mode, long runId, std::string_view code,
                 std::string_view invCode, JournalAction action, JournalImage image) {
    connection.execute(sql::journalPairImage(mode, runId, code, invCode, action, image));
}

void journalPairFact(Connection& connection, long runId, const JournalPairFact& fact) {
    connection.execute(sql::pairFactInsert(runId, fact));
}

void finishRunJournal(Connection& connection, long runId, const JournalRunTotals& totals,
                      const JournalRunOutcome& outcome) {
    connection.execute(sql::runFactsFinish(runId, outcome));
    connection.execute(sql::journalRunFinish(runId, totals, journalTimestamp()));
}

void describeRunner(JournalRunSettings& settings) {
    const auto first = [](const char* one, const char* other) {
        if (auto value = environmentVariable(one); value && !value->empty()) return *value;
        return environmentVariable(other).value_or("");
    };
    settings.user = first("USER", "USERNAME");
    settings.machine = machineName();
}

}  // namespace tarvenish
