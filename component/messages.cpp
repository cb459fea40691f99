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
