#pragma once
// The message resource: every text the dialog shows, by key, from a plain "key=text" file read at run time,
// and the message boxes, shown through this thread's presenter.

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "component/message_presenter.h"

namespace tarvenish {

// Raised when the message file cannot be read or parsed, or a box cannot be shown.
class MessageResourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class MessageLanguage { Chinese, English };

// English when TARVENISH_LANG begins with "en", or, when TARVENISH_LANG is unset or empty, when LANG does;
// Chinese (the system's own language) otherwise.
[[nodiscard]] MessageLanguage messageLanguage();

// $TARVENISH_RESOURCES when set and not empty; else the build's resource folder when it exists; else the
// "resources" folder beside the executable.
[[nodiscard]] std::filesystem::path messageDirectory();

// The message file of `language` in `directory`: messages.zh_CN.txt or messages.en.txt.
[[nodiscard]] std::filesystem::path messageFile(const std::filesystem::path& directory,
                                                MessageLanguage language);

// Reads the lines of a message file: "key=text", blank lines and lines starting with '#' skipped, "\n", "\t"
// and
// "\\" in a text read as a line break, a tab and a backslash; a later line for the same key wins. `source`
// names the file in errors. Throws MessageResourceError naming the line when a line has no '=' or no key.
[[nodiscard]] std::unordered_map<std::string, std::string> parseMessages(std::string_view text,
                                                                         std::string_view source);

class MessageResource final {
public:
    // Reads the file that the environment selects (messageDirectory, messageLanguage) when a text is first
    // needed and again after each Unload; an English file that is missing falls back to the Chinese one.
    MessageResource() = default;
    // Reads `file` instead, with no fallback.
    explicit MessageResource(std::filesystem::path file);

    // The text for `key`. A key that the file does not hold gives the key itself, so a missing text shows
    // where it is missing instead of an empty caption. Throws MessageResourceError when the file cannot be
    // read.
    [[nodiscard]] std::string GetText(std::string_view key);

    // Shows a modal box (style 16: stop sign and OK; 33: question mark, OK and Cancel; an empty title: none)
    // through the installed presenter and returns its button code, 2 meaning Cancel. The two last arguments
    // are accepted as the callers pass them (always 0) and not used. Throws MessageResourceError when no
    // presenter is installed, and whatever the presenter throws.
    int ShowMessage(std::string_view prompt, int style, std::string_view title = {}, int helpContext = 0,
                    int reserved = 0);

    // Forgets the texts read so far, so that the next GetText reads the file afresh (an edited file takes
    // effect). The presenter stays. Never throws.
    void Unload() noexcept;

    // Installs the presenter through which boxes are shown; null removes it.
    void setPresenter(std::shared_ptr<MessagePresenter> presenter) noexcept {
        m_presenter = std::move(presenter);
    }
    // The installed presenter, or null.
    [[nodiscard]] MessagePresenter* presenter() const noexcept { return m_presenter.get(); }
    // True while texts read from the file are held (between the first GetText and the next Unload).
    [[nodiscard]] bool loaded() const noexcept { return m_texts.has_value(); }

private:
    void ensureLoaded();

    std::optional<std::filesystem::path> m_file;
    std::optional<std::unordered_map<std::string, std::string>> m_texts;
    std::shared_ptr<MessagePresenter> m_presenter;
};

}  // namespace tarvenish
