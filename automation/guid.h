#pragma once
// A 128-bit class or interface identity, written "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TvGuid;

namespace tarvenish {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    // Reads the registry form, with or without the braces, hex digits in either case; nullopt otherwise.
    [[nodiscard]] static std::optional<Guid> parse(std::string_view text);
    // The registry form with braces and upper-case hex digits.
    [[nodiscard]] std::string format() const;

    [[nodiscard]] static Guid fromAbi(const TvGuid& guid) noexcept;
    [[nodiscard]] TvGuid toAbi() const noexcept;

    friend bool operator==(const Guid&, const Guid&) = default;
};

}  // namespace tarvenish
