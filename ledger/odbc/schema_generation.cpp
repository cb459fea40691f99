#include "ledger/odbc/schema_generation.h"

#include <atomic>

namespace tarvenish {
namespace {

std::atomic<std::uint64_t>& generation() noexcept {
    static std::atomic<std::uint64_t> count{0};
    return count;
}

}  // namespace

std::uint64_t odbcSchemaGeneration() noexcept {
    return generation().load(std::memory_order_acquire);
}

void odbcSchemaMayHaveChanged() noexcept {
    generation().fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace tarvenish
