#pragma once
// A client-side recordset: Open reads every row (RecordCount is exact, no read lock stays behind), or opens a
// table for appending without reading it.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/engine.h"
#include "ledger/value.h"

namespace tarvenish {

class Connection;

namespace ado {
inline constexpr int adUseClient = 3;
inline constexpr int adOpenUnspecified = -1;
inline constexpr int adOpenForwardOnly = 0;
inline constexpr int adOpenStatic = 3;
inline constexpr int adLockReadOnly = 1;
inline constexpr int adLockOptimistic = 3;
inline constexpr int adCmdText = 1;
inline constexpr int adCmdTable = 2;
inline constexpr int adExecuteNoRecords = -1;
inline constexpr int adClipString = 2;
}  // namespace ado

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    void setCursorLocation(int location) { m_cursorLocation = location; }
    [[nodiscard]] int cursorLocation() const noexcept { return m_cursorLocation; }

    // Opens `source` with a connection of its own made from `connectionString` (pooled per string).
    // options adCmdText: `source` is a query, every row is read now. options adCmdTable: `source` is a table
    // opened for appending; its rows are not read. Throws DbError carrying the statement.
    void open(std::string_view source, std::string_view connectionString, int cursorType, int lockType,
              int options);
    // The same on a given open connection (its transaction included).
    void open(std::string_view source, Connection& connection, int cursorType, int lockType, int options);
    void close() noexcept;
    [[nodiscard]] int state() const noexcept { return m_open ? 1 : 0; }

    [[nodiscard]] bool eof() const;
    [[nodiscard]] bool bof() const;
    [[nodiscard]] long recordCount() const;
    void moveFirst();
    void moveLast();
    void moveNext();

    [[nodiscard]] std::size_t fieldCount() const;
    [[nodiscard]] const std::string& fieldName(std::size_t index) const;
    // The current row's value by 0-based index or by case-insensitive name. Throws DbError when there is no
    // current row or no such field.
    [[nodiscard]] const Value& field(std::size_t index) const;
    [[nodiscard]] const Value& field(std::string_view name) const;

    // The rows from the current one to the end in the clip form: TAB between fields, carriage return after
    // each row, Null as empty text. Moves to the end.
    [[nodiscard]] std::string getString();

    // Appending (a recordset opened on a table): a new row, its fields by name, then Update stores it.
    void addNew();
    // Converts the value to the column's type; false (and the field stays unassigned) when it does not
    // convert. Throws DbError when there is no such field or no new row.
    bool setField(std::string_view name, const Value& value);
    // Stores the new row. Throws DbError.
    void update();

private:
    void requireRow() const;
    [[nodiscard]] std::size_t indexOf(std::string_view name) const;
    void openOn(std::string_view source, Connection& connection, int options);
    // Decodes the row at m_position into m_current (nothing at the end).
    void loadCurrent();

    int m_cursorLocation = 2;
    bool m_open = false;
    QueryResult m_result;
    std::size_t m_position = 0;
    std::vector<Value> m_current;
    std::unique_ptr<TableAppender> m_appender;
    std::string m_table;
    std::optional<std::vector<std::optional<Value>>> m_newRow;
};

}  // namespace tarvenish
