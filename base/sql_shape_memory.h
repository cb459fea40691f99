#pragma once
// Remembers the shapes of recent statements, so that a statement that differs from one of them only in its
// literals is split by comparing it with that shape, not by reading it token by token: a run sends the same
// few statements once per pair with other codes and figures.

#include <cstddef>
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

    // Statements come in cycles: the shape that followed the last one's shape last time is tried first.
    struct Remembered {
        ParameterizedSql shaped;  // its literals are those of the statement it came from
        std::size_t followedBy = 0;
    };
    // Makes remembered shape `index` the last one used, and the one that follows the one used before.
    void noteUsed(std::size_t index) noexcept;

    std::vector<Remembered> m_shapes;
    std::size_t m_last = 0;
    std::size_t m_nextReplaced = 0;
};

}  // namespace tarvenish
