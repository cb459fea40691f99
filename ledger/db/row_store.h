#pragma once
// The rows of a client-side recordset, kept compact: every row read at Open is encoded into blocks of a
// fixed size and decoded only when it becomes the current row, so a query over a wide table costs its data,
// not a variant per field. Blocks are never moved: a result of N bytes needs N bytes while it is read, not
// the 3N of a buffer that doubles and copies itself.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/db/value.h"

namespace tarvenish {

class RowStore {
public:
    // Appends one row (any number of fields).
    void append(const std::vector<Value>& row);
    // Starts a row of `fields` fields, each then given by one of the put functions below in column order,
    // and endRow() after the last: a cursor's fields go in without a Value each.
    void beginRow(std::size_t fields);
    void putNull();
    void putLong(std::int64_t value);
    void putDouble(double value);
    void putText(std::string_view value);
    void putDate(Date value);
    // Keeps the row begun; until then it is not one of the rows.
    void endRow();
    [[nodiscard]] std::size_t size() const noexcept { return m_offsets.size(); }
    [[nodiscard]] bool empty() const noexcept { return m_offsets.empty(); }
    // Decodes row `index` into `out`, replacing its contents. `index` must be below size().
    void decode(std::size_t index, std::vector<Value>& out) const;

private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };
    // Where row `index` starts.
    [[nodiscard]] const char* rowStart(std::size_t index) const;

    std::vector<Block> m_blocks;
    // Per row: its block in the upper 32 bits, its offset in that block in the lower ones.
    std::vector<std::uint64_t> m_offsets;
    std::string m_row;  // the row being encoded, reused from row to row
};

}  // namespace tarvenish
