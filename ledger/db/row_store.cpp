#include "ledger/db/row_store.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace tarvenish {
namespace {

enum class Tag : unsigned char { Empty, Null, Integer, Long, Double, Text, Date, True, False };

template <typename T>
void put(std::string& data, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    data.append(bytes, sizeof(T));
}

template <typename T>
T take(const char*& at) {
    T value;
    std::memcpy(&value, at, sizeof(T));
    at += sizeof(T);
    return value;
}

// Blocks start small, so that a one-row result costs no more than its row, and double up to the largest
// size; a longer row gets a block of its own.
constexpr std::size_t kFirstBlockBytes = std::size_t{1} << 10;
constexpr std::size_t kLargestBlockBytes = std::size_t{1} << 20;

}  // namespace

void RowStore::beginRow(std::size_t fields) {
    m_row.clear();
    put<std::uint32_t>(m_row, static_cast<std::uint32_t>(fields));
}

void RowStore::endRow() {
    if (m_row.size() > UINT32_MAX) throw std::length_error("a row too long to keep");
    if (m_blocks.empty() || m_blocks.back().capacity - m_blocks.back().used < m_row.size()) {
        if (m_blocks.size() >= UINT32_MAX) throw std::length_error("too many rows to keep");
        const std::size_t next =
            m_blocks.empty() ? kFirstBlockBytes : std::min(2 * m_blocks.back().capacity, kLargestBlockBytes);
        const std::size_t capacity = std::max(next, m_row.size());
        m_blocks.push_back({std::make_unique_for_overwrite<char[]>(capacity), capacity, 0});
    }
    Block& block = m_blocks.back();
    m_offsets.push_back((static_cast<std::uint64_t>(m_blocks.size() - 1) << 32) | block.used);
    std::memcpy(block.bytes.get() + block.used, m_row.data(), m_row.size());
    block.used += m_row.size();
}

const char* RowStore::rowStart(std::size_t index) const {
    const std::uint64_t at = m_offsets.at(index);
    return m_blocks[static_cast<std::size_t>(at >> 32)].bytes.get() + (at & 0xFFFFFFFFu);
}

void RowStore::putNull() {
    m_row += static_cast<char>(Tag::Null);
}

void RowStore::putLong(std::int64_t value) {
    m_row += static_cast<char>(Tag::Long);
    put<std::int64_t>(m_row, value);
}

void RowStore::putDouble(double value) {
    m_row += static_cast<char>(Tag::Double);
    put<double>(m_row, value);
}

void RowStore::putText(std::string_view value) {
    m_row += static_cast<char>(Tag::Text);
    put<std::uint32_t>(m_row, static_cast<std::uint32_t>(value.size()));
    m_row += value;
}

void RowStore::putDate(Date value) {
    m_row += static_cast<char>(Tag::Date);
    put<double>(m_row, value.days);
}

void RowStore::append(const std::vector<Value>& row) {
    beginRow(row.size());
    for (const Value& value : row) {
        switch (value.kind()) {
            case ValueKind::Empty:
                m_row += static_cast<char>(Tag::Empty);
                break;
            case ValueKind::Null:
                putNull();
                break;
            case ValueKind::Integer:
                m_row += static_cast<char>(Tag::Integer);
                put<std::int16_t>(m_row, static_cast<std::int16_t>(value.rawInteger()));
                break;
            case ValueKind::Long:
                putLong(value.rawInteger());
                break;
            case ValueKind::Double:
                putDouble(value.rawDouble());
                break;
            case ValueKind::Text:
                putText(value.rawText());
                break;
            case ValueKind::Date:
                putDate(value.rawDate());
                break;
            case ValueKind::Boolean:
                m_row += static_cast<char>(value.rawInteger() != 0 ? Tag::True : Tag::False);
                break;
        }
    }
    endRow();
}

void RowStore::decode(std::size_t index, std::vector<Value>& out) const {
    const char* at = rowStart(index);
    const auto count = take<std::uint32_t>(at);
    out.clear();
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        switch (static_cast<Tag>(*at++)) {
            case Tag::Empty:
                out.emplace_back();
                break;
            case Tag::Null:
                out.push_back(Value::null());
                break;
            case Tag::Integer:
                out.push_back(Value::integer(take<std::int16_t>(at)));
                break;
            case Tag::Long:
                out.push_back(Value::longInt(take<std::int64_t>(at)));
                break;
            case Tag::Double:
                out.push_back(Value::real(take<double>(at)));
                break;
            case Tag::Text: {
                const auto length = take<std::uint32_t>(at);
                out.push_back(Value::text(std::string(at, length)));
                at += length;
                break;
            }
            case Tag::Date:
                out.push_back(Value::date(Date{take<double>(at)}));
                break;
            case Tag::True:
                out.push_back(Value::boolean(true));
                break;
            case Tag::False:
                out.push_back(Value::boolean(false));
                break;
        }
    }
}

}  // namespace tarvenish
