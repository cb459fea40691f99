#include "component/just_account.h"

#include "checks/documents_check.h"
#include "checks/start_check.h"
#include "component/call_connection.h"
#include "component/pair_init.h"
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

// A run whose account set cannot even be opened changed nothing and did not do its job.
bool refuseRun(const std::string& why) noexcept {
    try {
        RunReport& report = runReport();
        report.reset();
        report.recordFailure({"open the account set", "", why});
        report.stop = RunStop::Fatal;
        report.result = false;
    } catch (...) {
    }
    return false;
}
}  // namespace

bool JustAccount::justAccount(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    return leavingNoConnection([&] {
        const CallConnection call(gdbsKavrin);
        if (!call.failure().empty()) return refuseRun(call.failure());
        return JustAccountRun(AccSql, gdbsKavrin);
    });
}

Value JustAccount::init(Date Dkeep, bool Iswh, const std::string& Whcode, const std::string& Whname,
                        const std::string& Invcode, const std::string& invname, const std::string& style,
                        double quan, double money, const ConnectionPtr& gdbsKavrin) const {
    return initPair(Dkeep, Iswh, Whcode, Whname, Invcode, invname, style, quan, money, gdbsKavrin);
}

bool JustAccount::IFIAstart(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    // Without a connection the check's first query fails, and a failing step answers false.
    return leavingNoConnection([&] {
        const CallConnection call(gdbsKavrin);
        return gdbsKavrin && call.failure().empty() && tarvenish::IFIAstart(AccSql, *gdbsKavrin);
    });
}

bool JustAccount::IFEnd(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    return leavingNoConnection([&] {
        const CallConnection call(gdbsKavrin);
        return gdbsKavrin && call.failure().empty() && tarvenish::IFEnd(AccSql, *gdbsKavrin);
    });
}

}  // namespace tarvenish
