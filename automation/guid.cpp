#include "automation/guid.h"

#include <cstring>

#include "automation/com_abi.h"

namespace tarvenish {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `pos`, advancing it; false on any other character.
bool readHex(std::string_view text, std::size_t& pos, int digits, std::uint64_t& out) {
    if (pos + digits > text.size()) return false;
    out = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = hexDigit(text[pos++]);
        if (d < 0) return false;
        out = (out << 4) | static_cast<std::uint64_t>(d);
    }
    return true;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

}  // namespace

std::optional<Guid> Guid::parse(std::string_view text) {
    const bool braced = !text.empty() && text.front() == '{';
    if (braced) {
        if (text.back() != '}') return std::nullopt;
        text = text.substr(1, text.size() - 2);
    }
    if (text.size() != 36) return std::nullopt;

    Guid g;
    std::size_t pos = 0;
    std::uint64_t v = 0;
    if (!readHex(text, pos, 8, v) || !expect(text, pos, '-')) return std::nullopt;
    g.data1 = static_cast<std::uint32_t>(v);
    if (!readHex(text, pos, 4, v) || !expect(text, pos, '-')) return std::nullopt;
    g.data2 = static_cast<std::uint16_t>(v);
    if (!readHex(text, pos, 4, v) || !expect(text, pos, '-')) return std::nullopt;
    g.data3 = static_cast<std::uint16_t>(v);
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !expect(text, pos, '-')) return std::nullopt;
        if (!readHex(text, pos, 2, v)) return std::nullopt;
        g.data4[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    }
    return g;
}

std::string Guid::format() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(38);
    auto put = [&](std::uint64_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
    };
    out += '{';
    put(data1, 8);
    out += '-';
    put(data2, 4);
    out += '-';
    put(data3, 4);
    out += '-';
    for (std::size_t i = 0; i < data4.size(); ++i) {
        if (i == 2) out += '-';
        put(data4[i], 2);
    }
    out += '}';
    return out;
}

Guid Guid::fromAbi(const TvGuid& guid) noexcept {
    Guid g;
    g.data1 = guid.data1;
    g.data2 = guid.data2;
    g.data3 = guid.data3;
    std::memcpy(g.data4.data(), guid.data4, g.data4.size());
    return g;
}

TvGuid Guid::toAbi() const noexcept {
    TvGuid guid{};
    guid.data1 = data1;
    guid.data2 = data2;
    guid.data3 = data3;
    std::memcpy(guid.data4, data4.data(), data4.size());
    return guid;
}

}  // namespace tarvenish
