#include "component/messages.h"

#include <cstdio>
#include <stdexcept>

#include "base/thread_exit.h"

namespace tarvenish {

std::string messageKey(int number) {
    if (number < 0 || number > 99999) {
        throw std::out_of_range("message number " + std::to_string(number) + " has more than five digits");
    }
    char digits[6];
    std::snprintf(digits, sizeof digits, "%05d", number);
    return std::string("Q9.IA.TARVENISH.") + digits;
}

MessageResource& messageResource() {
    // Apartment threading: each host thread keeps its own resource object and presenter.
    return threadRecord<MessageResource>();
}

std::string messageText(int number) {
    return messageResource().GetText(messageKey(number));
}

std::string fillMessage(std::string_view text, std::initializer_list<std::string_view> figures) {
    std::string filled;
    filled.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const auto number = static_cast<std::size_t>(next - '0');
        if (text[i] == '%' && next >= '1' && next <= '9' && number <= figures.size()) {
            filled += *(figures.begin() + (number - 1));
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

int showMessage(std::string_view prompt, int style, std::string_view title) {
    return messageResource().ShowMessage(prompt, style, title, 0, 0);
}

void unloadMessages() noexcept {
    messageResource().Unload();
}

void setMessagePresenter(std::shared_ptr<MessagePresenter> presenter) noexcept {
    messageResource().setPresenter(std::move(presenter));
}

}  // namespace tarvenish
