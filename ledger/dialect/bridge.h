#pragma once
// SQLite speaks neither dialect of the host: this bridge rewrites the engine-specific constructs of a desktop
// or server statement into SQLite's own, leaving everything else as it is.

#include <string>
#include <string_view>

struct sqlite3;

namespace tarvenish {

// Rewrites one statement for SQLite: N'..' literals, isnull(a,b), "delete * from", #date# literals,
// "select ... into T from ...", the desktop "UPDATE A INNER JOIN B ON ... SET ...", bracketed names and
// parenthesised joins where SQLite needs it. Throws std::invalid_argument on a text it cannot read
// (an unterminated quote, say).
[[nodiscard]] std::string translateToSqlite(std::string_view statement);

struct SqliteTranslation {
    std::string text;          // the statement in SQLite's SQL
    std::string createdTable;  // the table a select-into creates, as the statement names it; else empty
};
// translateToSqlite, also naming the table that a select-into creates. Throws std::invalid_argument.
[[nodiscard]] SqliteTranslation translateStatement(std::string_view statement);

// Registers the functions the host's dialects use and SQLite lacks or spells otherwise: str(x),
// str(x,len,dec), format(x,mask), and the helpers the rewrite emits. Returns SQLITE_OK or the error code.
int registerDialectFunctions(sqlite3* db);

}  // namespace tarvenish
