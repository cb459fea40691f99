#pragma once
// Who answers the adjustment dialog and the message boxes while a host's call runs inside the library: a
// window on the calling thread when one can be shown there, otherwise the TARVENISH_ON_MISMATCH policy, and
// without either a Cancel, so that a differing pair is never passed over while the host hears "done".

#include <optional>

#include "platform/headless/adjustment_presenters.h"

namespace tarvenish {

// Installs this thread's adjustment and message presenters for one call and removes them after. The window
// toolkit is started only when a dialog or box is actually shown.
class LibraryPresenters final {
public:
    explicit LibraryPresenters(std::optional<AdjustmentPolicy> onMismatch);
    ~LibraryPresenters();
    LibraryPresenters(const LibraryPresenters&) = delete;
    LibraryPresenters& operator=(const LibraryPresenters&) = delete;
};

}  // namespace tarvenish
