#pragma once
// The presenters that show windows to a person on the calling thread, where this platform's front can: Qt on
// Linux (when the build has it), Win32 on Windows. One file per platform.

#include <memory>

#include "component/adjustment_presenter.h"
#include "component/message_presenter.h"

namespace tarvenish {

// True when a window can be shown to a person on the calling thread now. Never throws.
[[nodiscard]] bool windowsOnCallingThread() noexcept;
// The adjustment dialog on screen; only where windowsOnCallingThread answered true.
[[nodiscard]] std::unique_ptr<AdjustmentPresenter> screenAdjustmentPresenter();
// Message boxes on screen; only where windowsOnCallingThread answered true.
[[nodiscard]] std::unique_ptr<MessagePresenter> screenMessagePresenter();

}  // namespace tarvenish
