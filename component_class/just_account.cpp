#include "component_class/just_account.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "checks/documents_check.h"
#include "checks/start_check.h"
#include "component/account_set_check.h"
#include "component/call_connection.h"
#include "component/output_paths.h"
#include "component/pair_init.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "component/shared_state.h"
#include "ledger/db/engine.h"
#include "ledger/db/error.h"
#include "ledger/db/run_lock.h"
#include "ledger/sqlite/backup.h"
#include "reconcile/run.h"

namespace tarvenish {

namespace {
// The recordsets of a call open pooled connections of their own on the account set; none stays open once the
// call has returned to the host, which may then close, copy or move its file.
template <typename Call>
bool leavingNoConnection(Call&& call) noexcept {
    const bool result = call();
    ConnectionPool::clear();
    return result;
}

// Where the backup went, as a reader of the summary can find it from anywhere.
std::string absoluteBackupPath(const std::string& path) noexcept {
    try {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        return error ? path : absolute.lexically_normal().string();
    } catch (...) {
        return path;
    }
}

// A run that may not start leaves the account set untouched and says why in its report.
bool refuseRun(RunReport& report, RunStop stop, std::string step, std::string why) noexcept {
    report.reset();
    report.result = false;
    report.stop = stop;
    try {
        report.recordFailure({std::move(step), "", std::move(why)});
    } catch (...) {
        // The stop and the false result already say it; a listener that fails changes nothing.
    }
    return false;
}

// Runs on a snapshot of the account set, taken while the run lock on the real one is held, and throws the
// snapshot away: the figures are a real run's, the set is left as it was.
bool runOnSnapshot(RunContext& context, DialectChoice dialects, const std::string& file) noexcept {
    std::optional<SqliteSnapshot> snapshot;
    ConnectionPtr snapshotConnection;
    try {
        snapshot.emplace(file);
        snapshotConnection = Connection::open(snapshot->path());
    } catch (const std::exception& error) {
        return refuseRun(context.report, RunStop::Refused, "take the dry run's snapshot",
                         failureMessage(error));
    }
    // The run's own statements go to the snapshot only, whatever connection this thread held before.
    sharedState().Conn = snapshotConnection;
    const bool result = executeRun(context, dialects, snapshotConnection);
    context.report.dryRun = true;
    snapshotConnection->close();
    snapshotConnection.reset();
    ConnectionPool::clear();
    return result;
}

// A check asked on `hostConnection` once it is open, unless the dialects would send a server texts it does
// not take.
template <typename Check>
CheckAnswer checkAnswer(std::int16_t dialectFlag, const ConnectionPtr& hostConnection,
                        Check&& check) noexcept {
    CheckAnswer answer;
    answer.result = leavingNoConnection([&] {
        // Without a usable account set the check's first query would fail, and a failing step answers false:
        // the host hears why, as the command says it.
        if (!hostConnection) {
            answer.refusal = "no connection to the account set was passed";
            return false;
        }
        const CallConnection call(hostConnection);
        if (!call.failure().empty()) {
            answer.refusal = call.failure();
            return false;
        }
        const DialectChoice dialects = DialectChoice::fromHostFlag(dialectFlag);
        try {
            answer.refusal = missingHostTable(*hostConnection);
            if (answer.refusal.empty()) answer.refusal = dialectRefusal(dialects, *hostConnection);
        } catch (const std::exception& error) {
            answer.refusal = failureMessage(error);
        } catch (...) {
            answer.refusal = "the account set could not be read; nothing was asked";
        }
        return answer.refusal.empty() && check(dialects, *hostConnection);
    });
    return answer;
}
}  // namespace

bool JustAccount::justAccount(RunContext& context, std::int16_t AccSql,
                              const ConnectionPtr& gdbsKavrin) const noexcept {
    std::optional<RunHooksInForce> hooks;
    try {
        hooks.emplace(context);
    } catch (const std::exception& error) {
        return refuseRun(context.report, RunStop::Fatal, "watch the run's statements", error.what());
    }
    if (!gdbsKavrin)
        return refuseRun(context.report, RunStop::Refused, "open the account set",
                         "no connection to the account set was passed");
    // Held for the whole run, through the command and the library alike, and let go only after the call's
    // connection is closed again; taken once the account set is known to be one. A dry run only reads the
    // set: it copies it and runs on the copy.
    std::optional<RunLock> lock;
    const DialectChoice dialects = DialectChoice::fromHostFlag(AccSql);
    return leavingNoConnection([&] {
        const CallConnection call(gdbsKavrin);
        // An account set that cannot even be opened changed nothing.
        if (!call.failure().empty())
            return refuseRun(context.report, RunStop::Refused, "open the account set", call.failure());
        std::string notAccountSet;
        try {
            notAccountSet = missingHostTable(*gdbsKavrin);
        } catch (const std::exception& error) {
            notAccountSet = failureMessage(error);
        }
        if (!notAccountSet.empty())
            return refuseRun(context.report, RunStop::Refused, "open the account set", notAccountSet);
        // A server takes its own dialect's texts as built: desktop texts would fail on it part-way through.
        // Told before the run lock, which on a server is taken with statements of its own.
        std::string wrongDialect;
        try {
            wrongDialect = dialectRefusal(dialects, *gdbsKavrin);
        } catch (const std::exception& error) {
            wrongDialect = failureMessage(error);
        }
        if (!wrongDialect.empty())
            return refuseRun(context.report, RunStop::Refused, "choose the dialect", wrongDialect);
        lock.emplace(gdbsKavrin->connectionString(), context.dryRun ? RunLockUse::Read : RunLockUse::Change);
        if (!lock->allowsRun()) {
            return refuseRun(context.report,
                             lock->status() == RunLockStatus::Busy ? RunStop::Locked : RunStop::Refused,
                             "take the run lock", lock->problem());
        }
        if (context.backupPath.empty() && !context.dryRun) return executeRun(context, dialects, gdbsKavrin);
        std::string file;
        try {
            file = sqliteFileOf(gdbsKavrin->connectionString());
            if (!context.backupPath.empty()) {
                // Looked at again under the run lock, whoever made the context: the lock file exists now.
                refuseUnsafeOutputs(gdbsKavrin->connectionString(),
                                    {.backup = NamedOutput{"the backup", context.backupPath},
                                     .existingBackup = context.existingBackup});
                // Before the first change and under the run lock: the copy is the set as the run found it.
                backupSqliteFile(file, context.backupPath, context.existingBackup);
            }
        } catch (const std::exception& error) {
            return refuseRun(
                context.report, RunStop::Refused,
                context.backupPath.empty() ? "take the dry run's snapshot" : "back up the account set",
                failureMessage(error) + "; nothing was changed");
        }
        const bool result = context.dryRun ? runOnSnapshot(context, dialects, file)
                                           : executeRun(context, dialects, gdbsKavrin);
        // The run starts its report afresh; the copy was made before it.
        if (!context.backupPath.empty()) context.report.backupPath = absoluteBackupPath(context.backupPath);
        return result;
    });
}

Value JustAccount::init(Date Dkeep, bool Iswh, const std::string& Whcode, const std::string& Whname,
                        const std::string& Invcode, const std::string& invname, const std::string& style,
                        double quan, double money, const ConnectionPtr& gdbsKavrin) const {
    return initPair(Dkeep, Iswh, Whcode, Whname, Invcode, invname, style, quan, money, gdbsKavrin);
}

CheckAnswer JustAccount::startCheck(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    return checkAnswer(AccSql, gdbsKavrin, [](DialectChoice dialects, Connection& connection) {
        return accountingStarted(dialects, connection);
    });
}

CheckAnswer JustAccount::documentsCheck(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    return checkAnswer(AccSql, gdbsKavrin, [](DialectChoice dialects, Connection& connection) {
        return noDocumentsOutstanding(dialects, connection);
    });
}

}  // namespace tarvenish
