#include "ledger/db/engine_factory.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "base/ascii_text.h"
#include "ledger/db/error.h"

namespace tarvenish {
namespace {

struct Registry {
    std::mutex mutex;
    std::vector<EngineKind> kinds;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

void registerEngineKind(const EngineKind& kind) {
    Registry& known = registry();
    const std::lock_guard lock(known.mutex);
    const bool taken = std::any_of(known.kinds.begin(), known.kinds.end(), [&](const EngineKind& other) {
        return equalsNoCase(other.name, kind.name);
    });
    if (!taken) known.kinds.push_back(kind);
}

std::unique_ptr<Engine> openEngine(std::string_view connectionString) {
    const ConnectionSettings settings = parseConnectionString(connectionString);
    EngineKind chosen{};
    {
        Registry& known = registry();
        const std::lock_guard lock(known.mutex);
        for (const EngineKind& kind : known.kinds)
            if (equalsNoCase(kind.name, settings.engine)) chosen = kind;
    }
    if (!chosen.open) throw DbError("open connection", 0, "no engine for \"" + settings.engine + "\"", {});
    return chosen.open(connectionString, settings);
}

}  // namespace tarvenish
