#pragma once
// The engines a program can open, each named as a connection string's engine names it, and the one way to
// open them (openEngine). Each engine room offers its kind; ledger/engines.h registers those the build
// carries.

#include <memory>
#include <string_view>

#include "ledger/db/engine.h"

namespace tarvenish {

// One engine: its name ("sqlite", "odbc": the ConnectionSettings engine, case-insensitive) and how it opens.
struct EngineKind {
    std::string_view name;
    // Opens the engine on `connectionString`, already read into `settings`. Throws DbError.
    std::unique_ptr<Engine> (*open)(std::string_view connectionString, const ConnectionSettings& settings);
};

// Adds `kind` to the engines openEngine picks from; a kind whose name is taken already is ignored.
void registerEngineKind(const EngineKind& kind);

// Opens the engine that the connection string names; never creates a database. Throws DbError, also when
// no registered engine has the name.
[[nodiscard]] std::unique_ptr<Engine> openEngine(std::string_view connectionString);

}  // namespace tarvenish
