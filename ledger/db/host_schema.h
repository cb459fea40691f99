#pragma once
// The tables of our demo and test account sets on SQLite, with the column types and indexes a host account
// set has. The component itself never relies on this: it works on whatever account set the host hands it.

#include <span>
#include <string>

namespace tarvenish {

class Connection;

// The create statements, tables first and then their indexes, in plain SQLite text.
[[nodiscard]] std::span<const std::string> hostSchemaStatements();

// Creates every table and index on an open, empty account set. Throws DbError on the first statement that
// fails.
void createHostSchema(Connection& connection);

}  // namespace tarvenish
