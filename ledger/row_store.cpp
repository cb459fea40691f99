#include "ledger/row_store.h"

#include <cstdint>
#include <cstring>

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

}  // namespace

void RowStore::beginRow(std::size_t fields) {
    m_offsets.push_back(m_data.size());
    put<std::uint32_t>(m_data, static_cast<std::uint32_t>(fields));
}

void RowStore::putNull() {
    m_data += static_cast<char>(Tag::Null);
}

void RowStore::putLong(std::int64_t value) {
    m_data += static_cast<char>(Tag::Long);
    put<std::int64_t>(m_data, value);
}

void RowStore::putDouble(double value) {
    m_data += static_cast<char>(Tag::Double);
    put<double>(m_data, value);
}

void RowStore::putText(std::string_view value) {
    m_data += static_cast<char>(Tag::Text);
    put<std::uint32_t>(m_data, static_cast<std::uint32_t>(value.size()));
    m_data += value;
}

void RowStore::putDate(Date value) {
    m_data += static_cast<char>(Tag::Date);
    put<double>(m_data, value.days);
}

void RowStore::append(const std::vector<Value>& row) {
    beginRow(row.size());
    for (const Value& value : row) {
        switch (value.kind()) {
            case ValueKind::Empty:
                m_data += static_cast<char>(Tag::Empty);
                break;
            case ValueKind::Null:
                putNull();
                break;
            case ValueKind::Integer:
                m_data += static_cast<char>(Tag::Integer);
                put<std::int16_t>(m_data, static_cast<std::int16_t>(value.rawInteger()));
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
                m_data += static_cast<char>(value.rawInteger() != 0 ? Tag::True : Tag::False);
                break;
        }
    }
}

void RowStore::decode(std::size_t index, std::vector<Value>& out) const {
    const char* at = m_data.data() + m_offsets.at(index);
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
