#include "component_class/just_account.h"

#include <gtest/gtest.h>

#include "component/run_context.h"
#include "component/run_report.h"
#include "ledger/db/connection.h"
#include "ledger/db/run_lock.h"
#include "support/account_set.h"

namespace tarvenish::test {
namespace {

// The host may close, copy or move its account set once a call has returned: no connection of the component's
// own stays open on it.
TEST(JustAccountCalls, LeaveNoConnectionOfTheirOwnOpenOnTheAccountSet) {
    AccountSet set;
    const ConnectionPtr host = set.connect();
    const JustAccount component;

    (void)component.IFIAstart(1, host);
    EXPECT_EQ(ConnectionPool::size(), 0u);
    (void)component.IFEnd(0, host);
    EXPECT_EQ(ConnectionPool::size(), 0u);
    RunContext context;
    EXPECT_TRUE(component.justAccount(context, 1, host));
    EXPECT_EQ(ConnectionPool::size(), 0u);
    EXPECT_EQ(host->state(), 1) << "the host's own connection stays as the host left it";
}

// The host's path: while another run holds the account set the library answers false and changes nothing.
TEST(JustAccountRun, IsRefusedWhileAnotherRunHoldsTheAccountSet) {
    AccountSet set;
    set.useWarehouseMode();
    set.addWarehouse("01", "Main", std::nullopt);
    set.addInventory("A001", "Bolt");
    set.addReceipt({.whCode = "01"}, {{.invCode = "A001", .quantity = 2.0, .unitCost = 1.0, .price = 2.0}});
    set.addOpeningRow({.whCode = "01", .invCode = "A001", .quantity = 2.0, .money = 2.0});
    const auto before = set.rows("select * from IA_Subsidiary");

    const RunLock other(set.connectionString());
    ASSERT_EQ(other.status(), RunLockStatus::Held) << other.problem();
    RunContext context;
    EXPECT_FALSE(JustAccount{}.justAccount(context, 1, set.connect()));
    const RunReport& report = context.report;
    EXPECT_EQ(report.stop, RunStop::Locked);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures.front().message.find(other.path()), std::string::npos);
    EXPECT_EQ(set.rows("select * from IA_Subsidiary"), before);
    EXPECT_FALSE(set.hasColumn("RdRecords", "isOutQuantity_s"));
}

// A host that loaded a pair with init on one account set and then runs on another: the run refuses before it
// changes either, and the next init takes its connection afresh.
TEST(JustAccountRun, IsRefusedOnAnotherAccountSetThanInitWasGiven) {
    AccountSet first;
    AccountSet second;
    for (AccountSet* set : {&first, &second}) {
        set->useDepartmentMode();
        set->addWarehouse("01", "Main", "D1");
        set->addInventory("A001", "Bolt");
        set->addReceipt({.whCode = "01"},
                        {{.invCode = "A001", .quantity = 2.0, .unitCost = 1.0, .price = 2.0}});
        set->addOpeningRow({.whCode = "01", .invCode = "A001", .quantity = 2.0, .money = 2.0});
    }
    const auto before = first.rows("select * from IA_Subsidiary");
    const JustAccount component;
    (void)component.init(makeDate(2024, 1, 1), true, "D1", "Dept", "A001", "Bolt", "", 2.0, 2.0,
                         first.connect());

    RunContext context;
    EXPECT_FALSE(component.justAccount(context, 1, second.connect()));
    EXPECT_EQ(context.report.stop, RunStop::Refused);
    for (const AccountSet* set : {&first, &second}) {
        EXPECT_EQ(set->rows("select * from IA_Subsidiary"), before);
        EXPECT_FALSE(set->hasColumn("RdRecords", "isOutQuantity_s"));
    }
    RunContext next;
    EXPECT_TRUE(component.justAccount(next, 1, second.connect()))
        << "the refused run let the kept connection go";
}

}  // namespace
}  // namespace tarvenish::test
