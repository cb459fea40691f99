#include "platform/dll/library_just_account.h"

#include <cstdio>

#include "ledger/busy_timeout.h"
#include "platform/dll/library_presenters.h"
#include "platform/dll/library_settings.h"

namespace tarvenish {

Variant LibraryJustAccount::call(DispId id, std::span<const Variant> args) {
    const LibrarySettings settings = readLibrarySettings();
    for (const std::string& problem : settings.problems)
        std::fprintf(stderr, "TARVENISH: %s\n", problem.c_str());
    // A setting removed between two calls takes the default again.
    setBusyTimeout(settings.busyTimeout.value_or(kDefaultBusyTimeout));
    const LibraryPresenters presenters(settings.onMismatch);
    return JustAccountDispatch::call(id, args);
}

}  // namespace tarvenish
