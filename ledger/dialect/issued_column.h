#pragma once
// The issued-quantity pass adds a column to every stock-ledger line and then sets it to 0 on every line. In
// SQLite adding a column writes the schema only, while the update rewrites the whole table. Added with 0 as
// its default, the column already reads 0 on every line, and the update may be left out as long as nothing
// has written to the database since.

#include <cstdint>
#include <string>

#include "ledger/sql/statement.h"

namespace tarvenish {

// The SQLite text of a statement of kind `kind`: for the pass's added column, the column with 0 as its
// default; any other statement as it is.
[[nodiscard]] std::string withIssuedColumnDefault(StatementKind kind, std::string sqliteText);

// Remembers, for one connection, that the pass's column was added with its default and what the database's
// data version was then.
class IssuedColumnZero final {
public:
    // After `kind` ran on the connection: an added column reads 0 while the data version stays `version`.
    void ran(StatementKind kind, std::uint64_t version) noexcept {
        m_zeroAt = kind == StatementKind::IssuedColumnAdd ? version : kNone;
    }
    // True when a statement of kind `kind` sets to 0 a column that reads 0 already: it was added with its
    // default by the statement before this one and the data version `version` is the same as then.
    [[nodiscard]] bool alreadyZero(StatementKind kind, std::uint64_t version) const noexcept {
        return kind == StatementKind::IssuedColumnZero && m_zeroAt != kNone && m_zeroAt == version;
    }
    // Anything else ran on the connection.
    void forget() noexcept { m_zeroAt = kNone; }

private:
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};
    std::uint64_t m_zeroAt = kNone;
};

}  // namespace tarvenish
