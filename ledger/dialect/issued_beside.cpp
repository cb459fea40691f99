#include "ledger/dialect/issued_beside.h"

#include <sqlite3.h>

#include <stdexcept>
#include <vector>

#include "base/ascii_text.h"
#include "base/significant_tokens.h"
#include "ledger/db/error.h"
#include "ledger/db/sqlite_names.h"
#include "ledger/dialect/issued_column.h"
#include "ledger/dialect/pair_plan.h"

namespace tarvenish {
namespace {

constexpr std::string_view kBeside = "tarvenish_issued";
constexpr std::string_view kTriggers[] = {"tarvenish_issued_insert", "tarvenish_issued_delete",
                                          "tarvenish_issued_rowid"};

// "ALTER TABLE T ADD [COLUMN] C definition" and "ALTER TABLE T DROP [COLUMN] C".
struct ColumnChange {
    std::string table;
    std::string column;
    std::string definition;
};

// "UPDATE T SET C = value [FROM source] [WHERE filter]".
struct ColumnUpdate {
    std::string table;
    std::string column;
    std::string value;
    std::string source;
    std::string filter;
    bool uniform = false;  // the value is a number and every line gets it
};

class PassReader final : private SignificantTokens {
public:
    explicit PassReader(std::string_view text) : SignificantTokens(text) {}

    std::optional<ColumnChange> change(std::string_view verb) const {
        if (!isWord(0, "alter") || !isWord(1, "table") || !isName(2) || !isWord(3, verb)) return std::nullopt;
        std::size_t n = isWord(4, "column") ? 5 : 4;
        if (!isName(n)) return std::nullopt;
        ColumnChange change{std::string(sig(2)), std::string(sig(n)), {}};
        const std::size_t definition = n + 1;
        for (n = definition; n < m_sig.size(); ++n) {
            // A type and NULL or NOT NULL: anything else (a collation, a default, a generated column)
            // would make the table beside read otherwise than the column.
            const bool plain = (kind(n) == TokenKind::Word && !isClause(sig(n))) ||
                               kind(n) == TokenKind::Number || isPunct(n, '(') || isPunct(n, ')') ||
                               isPunct(n, ',');
            if (!plain) return std::nullopt;
        }
        if (definition < m_sig.size())
            change.definition =
                std::string(m_text.substr(begin(definition), end(m_sig.size() - 1) - begin(definition)));
        if (verb == "drop" && !change.definition.empty()) return std::nullopt;
        return change;
    }

    std::optional<ColumnUpdate> update() const {
        if (!isWord(0, "update") || !isName(1) || !isWord(2, "set") || !isName(3) || !isPunct(4, '='))
            return std::nullopt;
        ColumnUpdate form{std::string(sig(1)), std::string(sig(3)), {}, {}, {}, false};
        std::size_t from = m_sig.size();
        std::size_t where = m_sig.size();
        int depth = 0;
        for (std::size_t n = 5; n < m_sig.size(); ++n) {
            if (isPunct(n, '(')) ++depth;
            if (isPunct(n, ')')) --depth;
            if (depth != 0) continue;
            if (isPunct(n, ';') || (isPunct(n, ',') && from == m_sig.size())) return std::nullopt;
            for (const std::string_view word : {"order", "limit", "returning"})
                if (isWord(n, word)) return std::nullopt;
            if (isWord(n, "from") && from == m_sig.size() && where == m_sig.size()) from = n;
            if (isWord(n, "where") && where == m_sig.size()) where = n;
        }
        const std::size_t valueEnd = std::min(from, where);
        if (valueEnd == 5) return std::nullopt;
        form.value = range(5, valueEnd);
        if (from < m_sig.size()) {
            if (from + 1 >= where) return std::nullopt;
            form.source = range(from + 1, where);
        }
        if (where < m_sig.size()) {
            if (where + 1 >= m_sig.size()) return std::nullopt;
            form.filter = range(where + 1, m_sig.size());
        }
        const bool number =
            (valueEnd == 6 && kind(5) == TokenKind::Number) ||
            (valueEnd == 7 && (isPunct(5, '-') || isPunct(5, '+')) && kind(6) == TokenKind::Number);
        form.uniform = number && from == m_sig.size() && where == m_sig.size();
        return form;
    }

    // The text with every "table.column" turned into `with(table)`; nullopt when there is none.
    template <typename With>
    std::optional<std::string> withReads(std::string_view table, std::string_view column, With with) const {
        std::string out;
        std::size_t at = 0;
        bool any = false;
        for (std::size_t n = 0; n + 2 < m_sig.size(); ++n) {
            if (kind(n) != TokenKind::Word || !equalsNoCase(sig(n), table) || !isPunct(n + 1, '.') ||
                kind(n + 2) != TokenKind::Word || !equalsNoCase(sig(n + 2), column))
                continue;
            // A schema's table ("main.T.C") is left as it is: it fails as a column that is not there.
            if (n > 0 && isPunct(n - 1, '.')) continue;
            out += m_text.substr(at, begin(n) - at);
            out += with(sig(n));
            at = end(n + 2);
            any = true;
            n += 2;
        }
        if (!any) return std::nullopt;
        out += m_text.substr(at);
        return out;
    }

private:
    static bool isClause(std::string_view word) {
        for (const std::string_view clause : {"collate", "default", "generated", "as", "references", "check",
                                              "constraint", "primary", "unique", "stored", "virtual"})
            if (equalsNoCase(word, clause)) return true;
        return false;
    }
    bool isName(std::size_t n) const { return kind(n) == TokenKind::Word; }
    std::string range(std::size_t first, std::size_t last) const {
        return std::string(m_text.substr(begin(first), end(last - 1) - begin(first)));
    }
};

std::string readOf(std::string_view table) {
    return "(SELECT value FROM temp." + std::string(kBeside) + " WHERE line=" + std::string(table) +
           ".rowid)";
}

bool isInterruption(const DbError& error) noexcept {
    return error.engineCode() == SQLITE_INTERRUPT;
}

}  // namespace

bool issuedBesideWanted(const ConnectionSettings& settings) noexcept {
    return !switchedOff(settings, "issued beside");
}

bool IssuedColumnBeside::takes(StatementKind kind) noexcept {
    return kind == StatementKind::IssuedColumnAdd || kind == StatementKind::IssuedColumnZero ||
           kind == StatementKind::IssuedColumnFill || kind == StatementKind::IssuedColumnDrop;
}

void IssuedColumnBeside::allow(bool on, PairImageSql& sql) noexcept {
    m_allowed = on;
    // The run that kept it is over: the column was the run's own, and goes with it.
    if (!on) drop(sql);
}

bool IssuedColumnBeside::run(StatementKind kind, std::string_view sqliteText, PairImageSql& sql) {
    if (!takes(kind)) return false;
    // Not allowed: the column is added to the table (a column kept beside meanwhile is already gone).
    if (!m_on || !m_allowed) return false;
    try {
        switch (kind) {
            case StatementKind::IssuedColumnAdd:
                // A second column of that name fails as it would on the table.
                if (active()) {
                    putRealColumnInPlace(sql);
                    return false;
                }
                return add(sqliteText, sql);
            case StatementKind::IssuedColumnZero:
            case StatementKind::IssuedColumnFill:
                return active() && update(sqliteText, sql);
            case StatementKind::IssuedColumnDrop: {
                if (!active()) return false;
                const std::optional<ColumnChange> drop = PassReader(sqliteText).change("drop");
                if (!drop || !equalsNoCase(drop->table, m_table) || !equalsNoCase(drop->column, m_column)) {
                    putRealColumnInPlace(sql);
                    return false;
                }
                dropBeside(sql);
                off();
                return true;
            }
            default:
                return false;
        }
    } catch (const std::invalid_argument&) {
        // A text the tokenizer cannot read runs as it is, and fails as such.
        if (active()) putRealColumnInPlace(sql);
        return false;
    }
}

bool IssuedColumnBeside::add(std::string_view sqliteText, PairImageSql& sql) {
    const std::optional<ColumnChange> form = PassReader(sqliteText).change("add");
    if (!form) return false;
    try {
        // One plain table of that name, in the file, with row ids and without the column (or a column
        // that row ids would be read as).
        const std::vector<std::string> tables =
            sql.firstColumn("SELECT schema || '.' || type || '.' || wr FROM pragma_table_list WHERE name=" +
                            quotedText(form->table) + " COLLATE NOCASE");
        if (tables.size() != 1 || tables.front() != "main.table.0") return false;
        const std::vector<std::string> clashes =
            sql.firstColumn("SELECT count(*) FROM pragma_table_info(" + quotedText(form->table) +
                            ", 'main') WHERE name IN (" + quotedText(form->column) +
                            ", 'rowid', '_rowid_', 'oid') COLLATE NOCASE");
        if (clashes.size() != 1 || clashes.front() != "0") return false;
        m_table = form->table;
        m_column = form->column;
        m_definition = form->definition;
        m_addText = std::string(sqliteText);
        dropBeside(sql);
        const std::string beside(kBeside);
        sql.run("CREATE TEMP TABLE " + beside + " (line INTEGER PRIMARY KEY, value " + m_definition + ")");
        // A line the connection adds reads the column's default, 0; one it removes takes its row along.
        const std::string on = " ON main." + m_table + " BEGIN ";
        sql.run("CREATE TEMP TRIGGER " + std::string(kTriggers[0]) + " AFTER INSERT" + on +
                "INSERT OR REPLACE INTO " + beside + " (line, value) VALUES (new.rowid, 0); END");
        sql.run("CREATE TEMP TRIGGER " + std::string(kTriggers[1]) + " AFTER DELETE" + on + "DELETE FROM " +
                beside + " WHERE line=old.rowid; END");
        sql.run("CREATE TEMP TRIGGER " + std::string(kTriggers[2]) + " AFTER UPDATE ON main." + m_table +
                " WHEN new.rowid IS NOT old.rowid BEGIN INSERT OR REPLACE INTO " + beside +
                " (line, value) SELECT new.rowid, value FROM " + beside +
                " WHERE line=old.rowid; DELETE FROM " + beside + " WHERE line=old.rowid; END");
        m_version = sql.dataVersion();
    } catch (const DbError& error) {
        dropBeside(sql);
        if (isInterruption(error)) throw;
        return false;
    }
    // As the engine adds the column: 0 is its default.
    m_state = State::Uniform;
    m_uniform = "0";
    m_read = false;
    changed();
    return true;
}

bool IssuedColumnBeside::update(std::string_view sqliteText, PairImageSql& sql) {
    const std::optional<ColumnUpdate> form = PassReader(sqliteText).update();
    if (!form || !equalsNoCase(form->table, m_table) || !equalsNoCase(form->column, m_column)) {
        putRealColumnInPlace(sql);
        return false;
    }
    try {
        const std::string beside(kBeside);
        if (form->uniform) {
            if (m_state == State::Rows) sql.run("DELETE FROM temp." + beside);
            m_state = State::Uniform;
            m_uniform = form->value;
            if (m_read) fillUniform(sql);
            return true;
        }
        const std::optional<std::string> selfRead =
            PassReader(form->value).withReads(m_table, m_column, readOf);
        // Lines the update leaves keep what they read, so each needs its row first.
        if (m_state == State::Uniform && (!form->source.empty() || !form->filter.empty() || selfRead))
            fillUniform(sql);
        std::string text = "INSERT OR REPLACE INTO temp." + beside + " (line, value) SELECT " + m_table +
                           ".rowid, " + selfRead.value_or(form->value) + " FROM " + m_table;
        if (!form->source.empty()) text += ", " + form->source;
        if (!form->filter.empty()) text += " WHERE " + form->filter;
        sql.run(text);
        m_state = State::Rows;
        return true;
    } catch (const DbError& error) {
        if (isInterruption(error)) throw;
        // The statement fails, or not, on the real column as it would have.
        putRealColumnInPlace(sql);
        return false;
    }
}

std::string IssuedColumnBeside::reading(std::string sqliteText, PairImageSql& sql) {
    if (!active()) return sqliteText;
    std::optional<std::string> read;
    try {
        read = PassReader(sqliteText).withReads(m_table, m_column, readOf);
    } catch (const std::invalid_argument&) {
        return sqliteText;
    }
    if (!read) return sqliteText;
    m_read = true;
    if (m_state == State::Uniform) fillUniform(sql);
    return std::move(*read);
}

std::optional<IssuedColumnBeside::JoinedRead> IssuedColumnBeside::readingJoined(std::string_view head,
                                                                                PairImageSql& sql) {
    if (!active()) return std::nullopt;
    constexpr std::string_view kAlias = "tarvenish_issued_line";
    std::string reader;
    std::optional<std::string> read;
    try {
        read = PassReader(head).withReads(m_table, m_column, [&](std::string_view table) {
            reader = std::string(table);
            return std::string(kAlias) + ".value";
        });
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
    if (!read) return std::nullopt;
    m_read = true;
    if (m_state == State::Uniform) fillUniform(sql);
    // A left join keeps every line, and a line without its row reads null, as the subquery would.
    return JoinedRead{std::move(*read), " LEFT JOIN temp." + std::string(kBeside) + " AS " +
                                            std::string(kAlias) + " ON " + std::string(kAlias) +
                                            ".line=" + reader + ".rowid"};
}

std::optional<std::uint64_t> IssuedColumnBeside::beforeReading(StatementKind kind, bool asText,
                                                               PairImageSql& sql) {
    // The statements that read the column: the per-pair ones and the check after the pass (and any text).
    if (!active() || !(asText || hasFixedPairPlan(kind) || kind == StatementKind::IssuedColumnCheck))
        return std::nullopt;
    const std::optional<std::uint64_t> now = sql.dataVersion();
    if (now && m_version && *now != *m_version) putRealColumnInPlace(sql);
    return now;
}

void IssuedColumnBeside::rolledBack(PairImageSql& sql) noexcept {
    if (!active()) return;
    try {
        const std::vector<std::string> kept = sql.firstColumn(
            "SELECT count(*) FROM temp.sqlite_master WHERE type='table' AND name=" + quotedText(kBeside));
        if (kept.size() != 1 || kept.front() == "0") {
            // Added within the transaction: the table beside went with it, as the column would have.
            off();
            return;
        }
        if (m_state != State::Rows) return;
        const std::vector<std::string> rows =
            sql.firstColumn("SELECT EXISTS (SELECT 1 FROM temp." + std::string(kBeside) + ")");
        if (rows.size() == 1 && rows.front() == "0") {
            m_state = State::Uniform;
            if (m_read) fillUniform(sql);
        }
    } catch (const std::exception&) {
        try {
            putRealColumnInPlace(sql);
        } catch (const std::exception&) {
            // The column is not there: a statement reading it fails as such.
            off();
        }
    }
}

void IssuedColumnBeside::drop(PairImageSql& sql) noexcept {
    if (!active()) return;
    dropBeside(sql);
    off();
}

void IssuedColumnBeside::fillUniform(PairImageSql& sql) {
    sql.run("INSERT OR IGNORE INTO temp." + std::string(kBeside) + " (line, value) SELECT rowid, " +
            m_uniform + " FROM main." + m_table);
    m_state = State::Rows;
}

void IssuedColumnBeside::putRealColumnInPlace(PairImageSql& sql) {
    if (!active()) return;
    const std::string beside(kBeside);
    for (const std::string_view trigger : kTriggers)
        sql.run("DROP TRIGGER IF EXISTS temp." + std::string(trigger));
    sql.run(withIssuedColumnDefault(StatementKind::IssuedColumnAdd, m_addText));
    if (m_state == State::Rows) {
        sql.run("UPDATE " + m_table + " SET " + m_column + "=(SELECT value FROM temp." + beside +
                " WHERE line=" + m_table + ".rowid) WHERE rowid IN (SELECT line FROM temp." + beside + ")");
    } else if (m_uniform != "0") {
        sql.run("UPDATE " + m_table + " SET " + m_column + "=" + m_uniform);
    }
    sql.run("DROP TABLE IF EXISTS temp." + beside);
    off();
}

void IssuedColumnBeside::dropBeside(PairImageSql& sql) noexcept {
    try {
        for (const std::string_view trigger : kTriggers)
            sql.run("DROP TRIGGER IF EXISTS temp." + std::string(trigger));
        sql.run("DROP TABLE IF EXISTS temp." + std::string(kBeside));
    } catch (const std::exception&) {
        // Left to the connection's end, which takes every temporary object with it.
    }
}

void IssuedColumnBeside::changed() noexcept {
    if (!m_changed) return;
    try {
        m_changed();
    } catch (...) {
    }
}

void IssuedColumnBeside::off() noexcept {
    if (m_state == State::Off) return;
    m_state = State::Off;
    m_read = false;
    changed();
}

}  // namespace tarvenish
