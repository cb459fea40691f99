#include "component/message_resource.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "base/ascii_text.h"
#include "base/module_path.h"
#include "base/system_text.h"

namespace tarvenish {
namespace {

std::string environment(const char* name) {
    return environmentVariable(name).value_or(std::string());
}

bool startsWithEnglish(std::string_view text) {
    return text.size() >= 2 && text.substr(0, 2) == "en";
}

std::string unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'n' || next == 't' || next == '\\') {
                out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string readWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw MessageResourceError("cannot read the message file " + file.string());
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw MessageResourceError("cannot read the message file " + file.string());
    return content.str();
}

// The directory of the library or program this code was linked into, as the loader found it.
std::filesystem::path ownDirectory() {
    return modulePathOf(reinterpret_cast<const void*>(&ownDirectory)).parent_path();
}

}  // namespace

MessageLanguage messageLanguage() {
    const std::string chosen = environment("TARVENISH_LANG");
    const std::string& deciding = chosen.empty() ? environment("LANG") : chosen;
    return startsWithEnglish(deciding) ? MessageLanguage::English : MessageLanguage::Chinese;
}

std::filesystem::path messageDirectory() {
    const std::string fromEnvironment = environment("TARVENISH_RESOURCES");
    if (!fromEnvironment.empty()) return fromEnvironment;
    std::error_code ec;
    // Installed, bin/ and lib/ sit beside share/tarvenish; a program may have been started by a bare name,
    // which the loader keeps as it was typed, so the running program's own path is asked too.
    const std::filesystem::path executable = executablePath();
    for (const std::filesystem::path& own : {ownDirectory(), executable.parent_path()}) {
        // A Windows DLL keeps them in share\tarvenish beside itself, as it has no lib/ folder.
        for (const std::filesystem::path& installed : {own / "../share/tarvenish", own / "share/tarvenish"})
            if (!own.empty() && std::filesystem::is_directory(installed, ec))
                return installed.lexically_normal();
    }
#ifdef TARVENISH_RESOURCE_DIR
    const std::filesystem::path built(TARVENISH_RESOURCE_DIR);
    if (std::filesystem::is_directory(built, ec)) return built;
#endif
    if (executable.empty()) return "resources";
    return executable.parent_path() / "resources";
}

std::filesystem::path messageFile(const std::filesystem::path& directory, MessageLanguage language) {
    return directory / (language == MessageLanguage::English ? "messages.en.txt" : "messages.zh_CN.txt");
}

std::unordered_map<std::string, std::string> parseMessages(std::string_view text, std::string_view source) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.substr(0, bom.size()) == bom) text.remove_prefix(bom.size());

    std::unordered_map<std::string, std::string> texts;
    int lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        const std::string_view content = trimmed(line);
        if (content.empty() || content.front() == '#') continue;
        const auto equals = line.find('=');
        const std::string_view key =
            equals == std::string_view::npos ? std::string_view{} : trimmed(line.substr(0, equals));
        if (key.empty()) {
            throw MessageResourceError(std::string(source) + ", line " + std::to_string(lineNumber) +
                                       ": expected key=text, found \"" + std::string(content) + "\"");
        }
        // The text is taken as written after '=': its blanks belong to it.
        texts[std::string(key)] = unescaped(line.substr(equals + 1));
    }
    return texts;
}

MessageResource::MessageResource(std::filesystem::path file) : m_file(std::move(file)) {}

void MessageResource::ensureLoaded() {
    if (m_texts) return;
    std::filesystem::path file;
    if (m_file) {
        file = *m_file;
    } else {
        const auto directory = messageDirectory();
        file = messageFile(directory, messageLanguage());
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) file = messageFile(directory, MessageLanguage::Chinese);
    }
    m_texts = parseMessages(readWhole(file), file.string());
}

std::string MessageResource::GetText(std::string_view key) {
    ensureLoaded();
    const auto found = m_texts->find(std::string(key));
    return found == m_texts->end() ? std::string(key) : found->second;
}

int MessageResource::ShowMessage(std::string_view prompt, int style, std::string_view title, int, int) {
    if (!m_presenter) {
        throw MessageResourceError("no message presenter is installed on this thread to show \"" +
                                   std::string(prompt) + "\"");
    }
    return m_presenter->show(prompt, style, title);
}

void MessageResource::Unload() noexcept {
    m_texts.reset();
}

}  // namespace tarvenish
