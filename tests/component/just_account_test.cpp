#include "component/just_account.h"

#include <gtest/gtest.h>

#include "ledger/connection.h"
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
    EXPECT_TRUE(component.justAccount(1, host));
    EXPECT_EQ(ConnectionPool::size(), 0u);
    EXPECT_EQ(host->state(), 1) << "the host's own connection stays as the host left it";
}

}  // namespace
}  // namespace tarvenish::test
