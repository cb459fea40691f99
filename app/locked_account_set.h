#pragma once
// The account set a journal command reads or changes, opened and held under the run lock.

#include <cstdio>

#include "app/account_set.h"
#include "app/commands.h"
#include "ledger/db/connection.h"
#include "ledger/db/run_lock.h"

namespace tarvenish::app {

// The journal commands hold the run lock: a run changing the pairs meanwhile would be undone half, or
// reported half done.
class LockedAccountSet final {
public:
    LockedAccountSet(const AccountSetOptions& accountSet, RunLockUse use)
        : m_connection(openAccountSet(accountSet.path, accountSet.connectionString)),
          m_lock(m_connection->connectionString(), use) {
        if (m_lock.allowsRun()) return;
        std::fprintf(stderr, "tarvenish: %s\n", m_lock.problem().c_str());
        m_refusal = m_lock.status() == RunLockStatus::Busy ? 5 : 2;
    }

    [[nodiscard]] Connection& connection() const { return *m_connection; }
    // The exit code when the lock could not be had, else 0.
    [[nodiscard]] int refusal() const { return m_refusal; }

private:
    ConnectionPtr m_connection;
    RunLock m_lock;
    int m_refusal = 0;
};

}  // namespace tarvenish::app
