#pragma once
// The issued-quantity pass adds a column to every stock-ledger line, fills it, reads it pair by pair and
// drops it again. In SQLite filling the column rewrites the whole table, and so does dropping it: at
// 1,000,000 lines two full copies of the table through the journal, and a file grown by as much. On a SQLite
// connection the column can be kept beside the table instead: a temporary table of the connection with a
// row per line, keyed by the line's row id, which the pass's statements fill and every statement of the
// connection reads wherever it names the column (T.C, as the component's statements do). Nothing of it
// reaches the account set's file.
//
// Every value is the one the column would hold: the pass's statements store with the column's declared
// type, lines the connection adds read the column's default (temporary triggers keep the table beside in
// step with the connection's own writes to T), and a commit of another connection, which the triggers
// cannot see, puts the real column in place with the values kept so far, after which every statement runs
// as it is. A statement that names the column otherwise (unqualified, through an alias) fails, as it would
// without a column: nothing reads a wrong value.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ledger/db/engine.h"
#include "ledger/dialect/pair_image.h"
#include "ledger/sql/statement.h"

namespace tarvenish {

// False when the connection string says "Issued Beside=Off" (or No, 0, False): the pass's column is added to
// the table itself.
[[nodiscard]] bool issuedBesideWanted(const ConnectionSettings& settings) noexcept;

class IssuedColumnBeside final {
public:
    // `on` false: the pass's statements all run as they are. `changed` is called whenever what reading()
    // gives changes: statements prepared from an older text are stale then.
    IssuedColumnBeside(bool on, std::function<void()> changed) noexcept
        : m_on(on), m_changed(std::move(changed)) {}

    // Whether a column may be kept beside: only while every query on the connection's string reads through
    // this connection (a run's), since no other sees the table beside. Taken back, what is kept goes.
    void allow(bool on, PairImageSql& sql) noexcept;

    // True for the kinds of the pass's own statements, which run() may take.
    [[nodiscard]] static bool takes(StatementKind kind) noexcept;
    // Runs a statement of the pass (kind taken by takes(), `sqliteText` its SQLite form) on the table beside;
    // false when the statement is to run as it is (off, a form not known, a table without row ids or with a
    // column of that name already, no column kept beside, or the real column put in place). Throws DbError
    // when the statement was stopped, or when the real column could not be put in place.
    bool run(StatementKind kind, std::string_view sqliteText, PairImageSql& sql);

    // True while the column is kept beside: texts must go through reading().
    [[nodiscard]] bool active() const noexcept { return m_state != State::Off; }
    // `sqliteText` with every read of the column turned into a read of the table beside; as it is when no
    // column is kept beside. Throws DbError when the table beside could not be filled.
    [[nodiscard]] std::string reading(std::string sqliteText, PairImageSql& sql);
    // A select's head read through a join instead: `head` with every read of the column turned into a
    // column of the joined row, and the join (" LEFT JOIN ...") to add after the select's last table.
    struct JoinedRead {
        std::string head;
        std::string join;
    };
    // nullopt when no column is kept beside or `head` does not read it. Throws DbError as reading() does.
    [[nodiscard]] std::optional<JoinedRead> readingJoined(std::string_view head, PairImageSql& sql);
    // Before a statement of kind `kind` that may read the column runs: when another connection has
    // committed since the table beside was filled, the real column is put in place. Returns the data version
    // it read for that, nullopt when it read none. Throws DbError when the column cannot be put in place.
    std::optional<std::uint64_t> beforeReading(StatementKind kind, bool asText, PairImageSql& sql);
    // After a rollback (or a batch of commits lost as a whole): the table beside may have gone with it, or
    // lost the rows it was filled with.
    void rolledBack(PairImageSql& sql) noexcept;
    // Drops the table beside and its triggers (the connection's end).
    void drop(PairImageSql& sql) noexcept;

private:
    enum class State {
        Off,      // no column kept beside
        Uniform,  // every line reads m_uniform; the table beside holds no rows
        Rows,     // every line has its row
    };

    bool add(std::string_view sqliteText, PairImageSql& sql);
    bool update(std::string_view sqliteText, PairImageSql& sql);
    // Gives every line its row with the uniform value.
    void fillUniform(PairImageSql& sql);
    // Adds the real column to the table, with the values kept beside, and keeps nothing beside any more.
    void putRealColumnInPlace(PairImageSql& sql);
    // Drops the table beside and its triggers; what cannot be dropped goes with the connection.
    void dropBeside(PairImageSql& sql) noexcept;
    void off() noexcept;
    void changed() noexcept;

    bool m_on;
    bool m_allowed = false;
    State m_state = State::Off;
    std::string m_table;                     // as the pass's statement names it
    std::string m_column;                    // as the pass's statement names it
    std::string m_definition;                // the column's type and constraints, as added
    std::string m_addText;                   // the statement that added it, in SQLite's SQL
    std::string m_uniform;                   // the value every line reads in the Uniform state: a number
    bool m_read = false;                     // a statement reading the column was prepared since it was added
    std::optional<std::uint64_t> m_version;  // the data version the table beside was made at
    std::function<void()> m_changed;
};

}  // namespace tarvenish
