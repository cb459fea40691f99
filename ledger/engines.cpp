#include "ledger/engines.h"

#include <mutex>

#include "ledger/db/engine_factory.h"
#include "ledger/odbc/engine.h"
#include "ledger/sqlite/engine.h"

namespace tarvenish {

void registerEngines() {
    static std::once_flag once;
    std::call_once(once, [] {
        registerEngineKind(sqliteEngineKind());
        registerEngineKind(odbcEngineKind());
    });
}

}  // namespace tarvenish
