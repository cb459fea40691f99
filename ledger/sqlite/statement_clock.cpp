#include "ledger/sqlite/statement_clock.h"

#include <sqlite3.h>

#include <atomic>
#include <cstdint>

namespace tarvenish {
namespace {

// Connections of several threads add to it.
std::atomic<std::uint64_t> g_nanoseconds{0};

int addStatementTime(unsigned /*event*/, void* /*context*/, void* /*statement*/, void* elapsed) {
    g_nanoseconds.fetch_add(static_cast<std::uint64_t>(*static_cast<const sqlite3_int64*>(elapsed)),
                            std::memory_order_relaxed);
    return 0;
}

}  // namespace

void watchStatementTime(sqlite3* db) noexcept {
    (void)sqlite3_trace_v2(db, SQLITE_TRACE_PROFILE, addStatementTime, nullptr);
}

double sqliteStatementSeconds() noexcept {
    return static_cast<double>(g_nanoseconds.load(std::memory_order_relaxed)) / 1e9;
}

}  // namespace tarvenish
