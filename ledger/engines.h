#pragma once
// The engines this build carries, made known to openEngine by every program's entry.

namespace tarvenish {

// Registers the embedded SQLite engine and the ODBC engine (on Windows the ODBC engine alone) with
// openEngine, once however often it is called and from whichever threads.
void registerEngines();

}  // namespace tarvenish
