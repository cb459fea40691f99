#include "ledger/sqlite/statement_cache.h"

namespace tarvenish {

SqliteStatementCache::Entry* SqliteStatementCache::find(const std::string& shape) {
    const auto found = m_entries.find(shape);
    if (found == m_entries.end()) return nullptr;
    m_order.splice(m_order.begin(), m_order, found->second);
    return &found->second->second;
}

SqliteStatementCache::Entry& SqliteStatementCache::insert(const std::string& shape, Entry entry) {
    erase(shape);
    while (m_capacity > 0 && m_entries.size() >= m_capacity) {
        m_entries.erase(m_order.back().first);
        m_order.pop_back();
    }
    m_order.emplace_front(shape, std::move(entry));
    m_entries.emplace(shape, m_order.begin());
    return m_order.front().second;
}

void SqliteStatementCache::erase(const std::string& shape) noexcept {
    const auto found = m_entries.find(shape);
    if (found == m_entries.end()) return;
    m_order.erase(found->second);
    m_entries.erase(found);
}

void SqliteStatementCache::clear() noexcept {
    m_entries.clear();
    m_order.clear();
}

}  // namespace tarvenish
