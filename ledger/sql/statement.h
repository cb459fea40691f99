#pragma once
// A statement as its builder made it. The text is what goes to the statement log and to a server that takes
// text; the shape is the same statement with each value the builder spliced in written as the parameter
// "?n", and the values come with it. An engine prepares a shape once and binds the values of each statement,
// so nothing reads our own text again to find what was spliced into it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvenish {

// A value spliced into a statement: a code or a name (in the text between N' and ', its apostrophes
// doubled) or a whole number.
struct StatementValue {
    enum class Kind { Integer, Text };
    Kind kind = Kind::Text;
    std::int64_t integer = 0;
    std::string text;  // as given, apostrophes single
};

// Which statement a builder made, for an engine that treats some of them in a way of its own (their join
// order, say): known from the builder, never read from the text. A run sends the per-pair ones once per pair.
enum class StatementKind : std::uint8_t {
    Other,
    StockTotals,         // a pair's remaining quantity and money in the stock ledger
    RegenerationDelete,  // the delete of a pair's opening rows before they are rebuilt
    RegenerationInsert,  // the insert-select of a pair's opening rows from its receipt lines
    ReceiptLines,        // the dialog's receipt lines of a pair
    CommitDelete,        // the dialog's delete of a pair's opening rows before its lines are written
    JournalPairImage,    // the journal's copy of a pair's opening rows
    IssuedColumnAdd,     // the issued-quantity pass's temporary column added to the stock-ledger lines
    IssuedColumnZero,    // the pass's update that sets that column to 0 on every line
    IssuedColumnFill,    // the pass's update that sets that column from the sums of the issues
    IssuedColumnDrop,    // the pass's column dropped at the end of the run
    IssuedColumnCheck,   // the pairs with a line whose issued quantity is null, read after the pass
};

class Statement {
public:
    Statement() = default;
    // A statement that runs as text, read and prepared afresh each time: a text the component did not
    // build (a host's or a script's), and our schema changes, whose prepared form would outlive the tables
    // they change.
    [[nodiscard]] static Statement asText(std::string text, StatementKind kind = StatementKind::Other);
    // A statement of ours without spliced values: its shape is its text.
    [[nodiscard]] static Statement fixed(std::string text, StatementKind kind = StatementKind::Other);

    [[nodiscard]] const std::string& text() const noexcept { return m_text; }
    // The text with its n-th value as "?n"; empty for a statement that runs as text.
    [[nodiscard]] const std::string& shape() const noexcept { return m_shape; }
    [[nodiscard]] const std::vector<StatementValue>& values() const noexcept { return m_values; }
    [[nodiscard]] bool runsAsText() const noexcept { return m_shape.empty(); }
    [[nodiscard]] StatementKind kind() const noexcept { return m_kind; }

private:
    friend class StatementBuilder;
    StatementKind m_kind = StatementKind::Other;
    std::string m_text;
    std::string m_shape;
    std::vector<StatementValue> m_values;
};

// Joins a statement from fixed pieces, which go into its text and its shape alike, and values, which go
// into the text as literals and into the shape as parameters.
class StatementBuilder {
public:
    explicit StatementBuilder(StatementKind kind = StatementKind::Other) noexcept {
        m_statement.m_kind = kind;
    }
    // Room for a statement of `size` characters in the text and the shape.
    void reserve(std::size_t size);
    StatementBuilder& operator+=(std::string_view fixed);
    StatementBuilder& operator+=(char fixed);
    // N'<value>' in the text, every apostrophe doubled so that it stays one literal.
    StatementBuilder& text(std::string_view value);
    // The number in decimal in the text.
    StatementBuilder& integer(std::int64_t value);
    // The statement; the builder is left empty, for a statement of the same kind.
    [[nodiscard]] Statement build();

private:
    void addParameter();
    Statement m_statement;
};

}  // namespace tarvenish
