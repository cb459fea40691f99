#pragma once
// Per-thread observers of what the component sends to the database: the statement log of the command line and
// the fault injection of the tests hang here. A hook may throw DbError to make that one call fail.

#include <functional>
#include <string_view>

namespace tarvenish {

struct EngineHooks {
    // Before every statement text is run (Connection::execute) or opened as a query (Recordset::open), with
    // the text exactly as the component built it.
    std::function<void(std::string_view statement)> beforeStatement{};
    // Before a row appended through a recordset is stored (Recordset::update), with the table's name.
    std::function<void(std::string_view table)> beforeRowStore{};
    // Before a table is opened for appending (Recordset::open with a table), with the table's name.
    std::function<void(std::string_view table)> beforeTableOpen{};
};

// This thread's hooks.
[[nodiscard]] EngineHooks& engineHooks();

// Installs hooks for the life of the object and restores the previous ones after.
class ScopedEngineHooks {
public:
    explicit ScopedEngineHooks(EngineHooks hooks);
    ~ScopedEngineHooks();
    ScopedEngineHooks(const ScopedEngineHooks&) = delete;
    ScopedEngineHooks& operator=(const ScopedEngineHooks&) = delete;

private:
    EngineHooks m_previous;
};

}  // namespace tarvenish
