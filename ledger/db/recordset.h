#pragma once
// A client-side recordset: Open reads every row (RecordCount is exact, no read lock stays behind), or opens a
// table for appending without reading it.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/db/engine.h"
#include "ledger/db/value.h"

namespace tarvenish {

class Connection;

// The recordset's options, valued as the host's object model numbers them.
enum class CursorLocation { Server = 2, Client = 3 };
enum class CursorType { Unspecified = -1, ForwardOnly = 0, Static = 3 };
enum class LockType { ReadOnly = 1, Optimistic = 3 };
enum class CommandType { Text = 1, Table = 2 };

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    // Every row is read at Open whatever the location; it is kept as the caller set it.
    void setCursorLocation(CursorLocation location) noexcept { m_cursorLocation = location; }
    [[nodiscard]] CursorLocation cursorLocation() const noexcept { return m_cursorLocation; }

    // Opens `source` with a connection of its own made from `connectionString` (pooled per string); a query
    // reads inside the batch instead while a CommitBatch on that string reads through its connection.
    // CommandType::Text: `source` is a query, every row is read now. CommandType::Table: `source` is a table
    // opened for appending; its rows are not read. Throws DbError carrying the statement.
    void open(std::string_view source, std::string_view connectionString, CursorType cursorType,
              LockType lockType, CommandType options);
    // The same on a given open connection (its transaction included).
    void open(std::string_view source, Connection& connection, CursorType cursorType, LockType lockType,
              CommandType options);
    // The same for a statement the component built (CommandType::Text only), run through its shape.
    void open(const Statement& query, std::string_view connectionString, CursorType cursorType,
              LockType lockType, CommandType options);
    void open(const Statement& query, Connection& connection, CursorType cursorType, LockType lockType,
              CommandType options);
    void close() noexcept;
    // Closes and hands over the appender of a table opened for appending with no new row pending, else null:
    // for Connection::keepSpareAppender.
    [[nodiscard]] std::unique_ptr<TableAppender> closeTakingAppender() noexcept;
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
    // How a query reads: as a statement of its own (a batch open on the connection is made durable first),
    // or inside the connection's batch, seeing its work.
    enum class Read { SettlingFirst, InBatch };
    void openQueryOn(const Statement& query, Connection& connection, Read read);
    void openTableOn(std::string_view table, Connection& connection);
    // Marks the recordset open at its first row.
    void opened();
    // Decodes the row at m_position into m_current (nothing at the end).
    void loadCurrent();

    CursorLocation m_cursorLocation = CursorLocation::Server;
    bool m_open = false;
    QueryResult m_result;
    std::size_t m_position = 0;
    std::vector<Value> m_current;
    std::unique_ptr<TableAppender> m_appender;
    std::string m_table;
    std::optional<std::vector<std::optional<Value>>> m_newRow;
};

// Opens `statement` read-only with a client-side cursor on the pooled connection of `connectionString`: every
// row is read now. Throws DbError carrying the statement.
void openReadOnlyQuery(Recordset& rs, const Statement& statement, std::string_view connectionString,
                       CursorType cursorType);
void openReadOnlyQuery(Recordset& rs, std::string_view text, std::string_view connectionString,
                       CursorType cursorType);

}  // namespace tarvenish
