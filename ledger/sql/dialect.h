#pragma once
// The host's two SQL dialects, and which of them each stage of a call takes, chosen once from the host's
// flag where it enters.

#include <cstdint>

namespace tarvenish {

enum class Dialect { Desktop, Server };

// The dialect of every stage of one call. The host's flag defines 1 (server) and 0 (desktop); any other
// value, which the host leaves undefined, gives the preparation the desktop dialect and the pairs the server
// one.
class DialectChoice final {
public:
    // The choice the host's 16-bit dialect flag makes.
    [[nodiscard]] static constexpr DialectChoice fromHostFlag(std::int16_t flag) noexcept {
        return DialectChoice(flag);
    }

    // The department fill, the issued-quantity pass and the statements of the start and documents checks:
    // the server dialect for flag 1 only.
    [[nodiscard]] constexpr Dialect forPreparation() const noexcept {
        return m_flag == 1 ? Dialect::Server : Dialect::Desktop;
    }
    // Everything else: the pair summary, stock totals, regeneration, the journal, the dialog's load and
    // commit, the run's check, verify and undo: the server dialect for any non-zero flag.
    [[nodiscard]] constexpr Dialect forPairs() const noexcept {
        return m_flag != 0 ? Dialect::Server : Dialect::Desktop;
    }
    // True when some stage sends the desktop dialect's texts.
    [[nodiscard]] constexpr bool sendsDesktopForms() const noexcept {
        return forPreparation() == Dialect::Desktop || forPairs() == Dialect::Desktop;
    }
    // The flag the choice was made from, as the run's journal records it.
    [[nodiscard]] constexpr std::int16_t hostFlag() const noexcept { return m_flag; }

private:
    explicit constexpr DialectChoice(std::int16_t flag) noexcept : m_flag(flag) {}
    std::int16_t m_flag;
};

}  // namespace tarvenish
