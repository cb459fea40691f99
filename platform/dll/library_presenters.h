#pragma once
// Who answers the adjustment dialog and the message boxes while a host's call runs inside the library: a
// window on the calling thread when one can be shown there, otherwise the TARVENISH_ON_MISMATCH policy, and
// without either a Cancel, so that a differing pair is never passed over while the host hears "done".

#include <memory>
#include <optional>

#include "platform/headless/adjustment_presenters.h"

namespace tarvenish {

// Installs this thread's message presenter for one call and removes it after, and makes the adjustment
// presenter for the call's run. The window toolkit is started only when a dialog or box is actually shown.
class LibraryPresenters final {
public:
    explicit LibraryPresenters(std::optional<AdjustmentPolicy> onMismatch);
    ~LibraryPresenters();
    LibraryPresenters(const LibraryPresenters&) = delete;
    LibraryPresenters& operator=(const LibraryPresenters&) = delete;

    // The presenter of the adjustment dialog for the call's run.
    [[nodiscard]] const std::shared_ptr<AdjustmentPresenter>& adjustment() const noexcept {
        return m_adjustment;
    }

private:
    std::shared_ptr<AdjustmentPresenter> m_adjustment;
};

}  // namespace tarvenish
