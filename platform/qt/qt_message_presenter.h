#pragma once
// Message boxes on screen: the box style's low digit picks the buttons, its sixteens the icon.

#include <memory>
#include <string_view>

#include "component/message_presenter.h"

class QWidget;

namespace tarvenish {

class QtMessagePresenter final : public MessagePresenter {
public:
    // Boxes open over `parent`, or over the active modal window when there is none.
    explicit QtMessagePresenter(QWidget* parent = nullptr);
    ~QtMessagePresenter() override;

    // Shows a modal box and returns the code of the button chosen (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5
    // Ignore, 6 Yes, 7 No); closing the box answers Cancel when it has one. An empty title shows the message
    // resource's box title. The buttons carry Qt's captions in the message language; the box stands clear
    // of its window's frames. Throws std::runtime_error when no Qt application is running.
    [[nodiscard]] int show(std::string_view prompt, int style, std::string_view title) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tarvenish
