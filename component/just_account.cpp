#include "component/just_account.h"

#include "checks/documents_check.h"
#include "checks/start_check.h"
#include "component/pair_init.h"
#include "reconcile/run.h"

namespace tarvenish {

bool JustAccount::justAccount(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    return JustAccountRun(AccSql, gdbsKavrin);
}

Value JustAccount::init(Date Dkeep, bool Iswh, const std::string& Whcode, const std::string& Whname,
                        const std::string& Invcode, const std::string& invname, const std::string& style,
                        double quan, double money, const ConnectionPtr& gdbsKavrin) const {
    return initPair(Dkeep, Iswh, Whcode, Whname, Invcode, invname, style, quan, money, gdbsKavrin);
}

bool JustAccount::IFIAstart(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    // Without a connection the check's first query fails, and a failing step answers false.
    return gdbsKavrin && tarvenish::IFIAstart(AccSql, *gdbsKavrin);
}

bool JustAccount::IFEnd(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
    return gdbsKavrin && tarvenish::IFEnd(AccSql, *gdbsKavrin);
}

}  // namespace tarvenish
