#include "component/message_presenter.h"

namespace tarvenish {

HeadlessMessagePresenter::HeadlessMessagePresenter(std::initializer_list<int> answers) : m_answers(answers) {}

int HeadlessMessagePresenter::show(std::string_view prompt, int style, std::string_view title) {
    m_shown.push_back(ShownMessage{std::string(prompt), style, std::string(title)});
    if (m_answers.empty()) return msgbox::kOk;
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void HeadlessMessagePresenter::queueAnswer(int answer) {
    m_answers.push_back(answer);
}

}  // namespace tarvenish
