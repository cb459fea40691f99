#pragma once
// Remembers the shapes of recent statements, so that a statement that differs from one of them only in its
// literals is split by comparing it with that shape, not by reading it token by token: a run sends the same
// few statements once per pair with other codes and figures.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/sql_parameters.h"

namespace tarvenish {

class SqlShapeMemory final {
public:
    // What parameterizeSql(statement) returns, the statement's shape remembered for the next ones.
    [[nodiscard]] std::optional<ParameterizedSql> parameterize(std::string_view statement);

private:
    // The statement split along `known`'s shape; nullopt when it has another shape or a literal there that
    // the tokens around it would read otherwise.
    [[nodiscard]] static std::optional<ParameterizedSql> splitLike(const ParameterizedSql& known,
                                                                   std::string_view statement);

    // Enough for every statement shape a run sends per pair, with room for the dialog's.
    static constexpr std::size_t kRemembered = 16;

    // Statements come in cycles in which one shape may be followed by different ones (a pair's journal
    // images before and after): the shape that followed the last two shapes last time is tried first.
    struct Remembered {
        ParameterizedSql shaped;  // its literals are those of the statement it came from
        std::array<std::uint8_t, kRemembered> followedBy{};  // by the shape used before this one
    };
    // Makes remembered shape `index` the last one used, and the one that follows the two used before.
    void noteUsed(std::size_t index) noexcept;

    std::vector<Remembered> m_shapes;
    std::size_t m_last = 0;
    std::size_t m_beforeLast = 0;
    std::size_t m_nextReplaced = 0;
};

}  // namespace tarvenish
