#pragma once
// Prepared statements of one SQLite handle, kept by the shape of the statement they were made from, so that
// statements differing only in their literals are prepared once. Least recently used ones go first.

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ledger/sqlite/handle.h"

namespace tarvenish {

class SqliteStatementCache final {
public:
    struct Entry {
        std::string sqliteText;  // what was prepared
        StatementPtr statement;
    };

    explicit SqliteStatementCache(std::size_t capacity) noexcept : m_capacity(capacity) {}

    // The entry for `shape`, now the most recently used; nullptr when there is none.
    [[nodiscard]] Entry* find(const std::string& shape);
    // Keeps `entry` for `shape` (replacing one already there), finalizing the least recently used entry when
    // the cache is full. Returns the kept entry.
    Entry& insert(const std::string& shape, Entry entry);
    // Finalizes the entry for `shape`, if any.
    void erase(const std::string& shape) noexcept;
    // Finalizes every entry.
    void clear() noexcept;
    [[nodiscard]] std::size_t size() const noexcept { return m_entries.size(); }

private:
    using Order = std::list<std::pair<std::string, Entry>>;
    std::size_t m_capacity;
    Order m_order;  // most recently used first
    std::unordered_map<std::string, Order::iterator> m_entries;
};

}  // namespace tarvenish
