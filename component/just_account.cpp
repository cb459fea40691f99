#include "component/just_account.h"

#include "checks/documents_check.h"
#include "checks/start_check.h"
#include "component/pair_init.h"
#include "ledger/run_lock.h"
#include "reconcile/run.h"
#include "reconcile/run_report.h"

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

// A run that may not start leaves the account set untouched and says why in this thread's report.
bool refuseRun(const RunLock& lock) noexcept {
    RunReport& report = runReport();
    report.reset();
    report.result = false;
    report.stop = lock.status() == RunLockStatus::Busy ? RunStop::Locked : RunStop::Refused;
    try {
        report.recordFailure({"take the run lock", "", lock.problem()});
    } catch (...) {
        // The stop and the false result already say it; a listener that fails changes nothing.
    }
    return false;
}
}  // namespace

bool JustAccount::justAccount(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    // Held for the whole run, through the command and the library alike.
    const RunLock lock(gdbsKavrin ? gdbsKavrin->connectionString() : std::string());
    if (!lock.allowsRun()) return refuseRun(lock);
    return leavingNoConnection([&] { return JustAccountRun(AccSql, gdbsKavrin); });
}

Value JustAccount::init(Date Dkeep, bool Iswh, const std::string& Whcode, const std::string& Whname,
                        const std::string& Invcode, const std::string& invname, const std::string& style,
                        double quan, double money, const ConnectionPtr& gdbsKavrin) const {
    return initPair(Dkeep, Iswh, Whcode, Whname, Invcode, invname, style, quan, money, gdbsKavrin);
}

bool JustAccount::IFIAstart(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    // Without a connection the check's first query fails, and a failing step answers false.
    return leavingNoConnection([&] { return gdbsKavrin && tarvenish::IFIAstart(AccSql, *gdbsKavrin); });
}

bool JustAccount::IFEnd(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    return leavingNoConnection([&] { return gdbsKavrin && tarvenish::IFEnd(AccSql, *gdbsKavrin); });
}

}  // namespace tarvenish
