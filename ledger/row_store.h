#pragma once
// The rows of a client-side recordset, kept compact: every row read at Open is encoded into one shared buffer
// and decoded only when it becomes the current row, so a query over a wide table costs its data, not a
// variant per field.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/value.h"

namespace tarvenish {

class RowStore {
public:
    // Appends one row (any number of fields).
    void append(const std::vector<Value>& row);
    // Starts a row of `fields` fields, each then given by one of the put functions below in column order:
    // a cursor's fields go in without a Value each.
    void beginRow(std::size_t fields);
    void putNull();
    void putLong(std::int64_t value);
    void putDouble(double value);
    void putText(std::string_view value);
    void putDate(Date value);
    [[nodiscard]] std::size_t size() const noexcept { return m_offsets.size(); }
    [[nodiscard]] bool empty() const noexcept { return m_offsets.empty(); }
    // Decodes row `index` into `out`, replacing its contents. `index` must be below size().
    void decode(std::size_t index, std::vector<Value>& out) const;

private:
    std::string m_data;
    std::vector<std::size_t> m_offsets;
};

}  // namespace tarvenish
