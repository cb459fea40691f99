#pragma once
// Where message boxes appear: a window, or a headless stand-in that records each box and answers from a
// script.

#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tarvenish {

// Box styles and button codes as the message resource's callers pass and read them.
namespace msgbox {
inline constexpr int kOkOnly = 0;
inline constexpr int kOkCancel = 1;
inline constexpr int kStop = 16;      // stop sign with an OK button
inline constexpr int kQuestion = 32;  // question mark; 33 adds OK and Cancel
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
}  // namespace msgbox

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Shows one modal box (an empty title means the box has none of its own) and returns the button code the
    // user chose: 1 OK, 2 Cancel. May throw when the box cannot be shown.
    [[nodiscard]] virtual int show(std::string_view prompt, int style, std::string_view title) = 0;
};

// One box as it was asked for.
struct ShownMessage {
    std::string prompt;
    int style = 0;
    std::string title;
    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

// Shows nothing: records every box and answers from a queue of scripted answers, 1 (OK) once it is empty.
class HeadlessMessagePresenter final : public MessagePresenter {
public:
    HeadlessMessagePresenter() = default;
    // Starts with these answers queued, first answer first.
    HeadlessMessagePresenter(std::initializer_list<int> answers);

    // Records the box and returns the next scripted answer, or 1 when none is left.
    [[nodiscard]] int show(std::string_view prompt, int style, std::string_view title) override;

    // Queues one more answer behind those already scripted.
    void queueAnswer(int answer);
    // Every box shown so far, oldest first.
    [[nodiscard]] const std::vector<ShownMessage>& shown() const noexcept { return m_shown; }
    // Forgets the boxes shown so far (the script stays).
    void clearShown() noexcept { m_shown.clear(); }

private:
    std::deque<int> m_answers;
    std::vector<ShownMessage> m_shown;
};

}  // namespace tarvenish
