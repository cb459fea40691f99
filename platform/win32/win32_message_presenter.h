#pragma once
// Message boxes on screen over Win32: MessageBoxW with the message resource's texts.

#include <string_view>

#include "component/message_presenter.h"

namespace tarvenish {

class Win32MessagePresenter final : public MessagePresenter {
public:
    // Shows a modal box over the calling thread's active window (task-modal when there is none) and returns
    // the code of the button chosen (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No): the box
    // style's low digit picks the buttons, its sixteens the icon, as MessageBoxW reads them. An empty title
    // shows the message resource's box title; the buttons are captioned in the message language where the
    // system has it. Throws std::runtime_error when the box cannot be shown.
    [[nodiscard]] int show(std::string_view prompt, int style, std::string_view title) override;
};

}  // namespace tarvenish
