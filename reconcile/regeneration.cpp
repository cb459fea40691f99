#include "reconcile/regeneration.h"

#include <exception>
#include <optional>

#include "base/step_timer.h"
#include "component/run_report.h"
#include "ledger/db/commit_batch.h"
#include "ledger/db/error.h"
#include "ledger/db/transaction.h"
#include "ledger/sql/journal_statements.h"

namespace tarvenish {

RegenerationResult Regenerate(Connection& connection, Dialect dialect, PairMode mode, Date keepDate,
                              std::string_view code, std::string_view invCode, CommitBatch* batch, long runId,
                              RunTimings* timings) noexcept {
    RegenerationResult result;
    // Where the time goes when nobody asked: a sum nobody reads.
    RunTimings unread;
    RunTimings& time = timings != nullptr ? *timings : unread;
    // The statement in hand when something fails; none while beginning or committing the transaction.
    Statement deletion;
    Statement insertion;
    Statement image;
    const Statement* current = nullptr;
    try {
        deletion = sql::regenerationDelete(dialect, mode, code, invCode);
        insertion = sql::regenerationInsert(dialect, mode, keepDate, code, invCode);
        // Without the transaction a failing insert would leave the pair with no opening rows at all.
        Transaction transaction(connection);
        // The journal's copies share the pair's transaction: a crash keeps both or neither.
        const auto journal = [&](JournalImage which) {
            if (runId == 0) return;
            const StepTimer timer(time.journal);
            image = sql::journalPairImage(mode, runId, code, invCode, JournalAction::Rebuilt, which);
            current = &image;
            connection.execute(image);
        };
        journal(JournalImage::Before);
        current = &deletion;
        long deleted = 0;
        {
            const StepTimer timer(time.deletes);
            connection.execute(deletion);
            deleted = connection.lastChanges();
        }
        current = &insertion;
        long inserted = 0;
        {
            const StepTimer timer(time.inserts);
            connection.execute(insertion);
            inserted = connection.lastChanges();
        }
        journal(JournalImage::After);
        current = nullptr;
        const StepTimer timer(time.commits);
        transaction.commit();
        if (batch != nullptr) batch->commitWhenDue();
        result.committed = true;
        result.rowsDeleted = deleted;
        result.rowsInserted = inserted;
    } catch (const DbError& error) {
        if (current != nullptr) result.statement = current->text();
        result.message = failureMessage(error);
        // Every statement here writes: a lock that could not be had will not be had by the next pair either.
        result.blocksLaterPairs = error.blocksEveryStatement() || error.isLockTimeout();
    } catch (const std::exception& error) {
        if (current != nullptr) result.statement = current->text();
        result.message = failureMessage(error);
    } catch (...) {
        if (current != nullptr) result.statement = current->text();
        result.message = "unknown error";
    }
    return result;
}

}  // namespace tarvenish
