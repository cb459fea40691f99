#include "ledger/engines.h"

#include <mutex>

#include "ledger/db/engine_factory.h"
#include "ledger/odbc/engine.h"

namespace tarvenish {

void registerEngines() {
    // The Windows build reaches every account set through ODBC: no SQLite library is linked in.
    static std::once_flag once;
    std::call_once(once, [] { registerEngineKind(odbcEngineKind()); });
}

}  // namespace tarvenish
