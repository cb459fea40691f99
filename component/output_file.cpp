#include "component/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "base/system_text.h"

namespace tarvenish {

OutputFile::OutputFile(std::string what, const std::string& path, OpenMode mode)
    : m_what(std::move(what)), m_name(path), m_mode(mode) {
    if (path == "-") {
        m_stream = stdout;
        m_name = "standard output";
        return;
    }
    std::error_code ignored;
    if (std::filesystem::is_directory(pathOfText(path), ignored))
        throw std::runtime_error("cannot open the " + m_what + " " + path + ": it is a folder");
    m_stream = openForWriting(path, mode == OpenMode::Append);
    if (m_stream == nullptr) {
        throw std::runtime_error("cannot open the " + m_what + " " + path + ": " +
                                 std::generic_category().message(errno));
    }
    m_owned = true;
}

OutputFile::OutputFile(std::string what, std::FILE* stream)
    : m_what(std::move(what)),
      m_name(stream == stderr ? "standard error" : "standard output"),
      m_stream(stream) {}

OutputFile::~OutputFile() {
    if (m_owned && m_stream != nullptr) std::fclose(m_stream);
}

void OutputFile::fail(std::string_view action, int error) noexcept {
    if (!m_error.empty()) return;
    try {
        m_error = "cannot " + std::string(action) + " the " + m_what + " " + m_name + ": " +
                  std::generic_category().message(error);
    } catch (...) {
        m_error = "?";
    }
}

void OutputFile::write(std::string_view text) noexcept {
    if (!ok() || m_stream == nullptr || text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), m_stream) != text.size()) fail("write", errno);
}

void OutputFile::flush() noexcept {
    if (!ok() || m_stream == nullptr) return;
    if (std::fflush(m_stream) != 0) fail("write", errno);
}

bool OutputFile::finish() noexcept {
    if (m_stream == nullptr) return ok();
    flush();
    if (m_owned && ok()) {
        // Another writer of the same path (a second run refused by the run lock, say) may have written more
        // in between: what follows our own text is not ours.
        struct stat status {};
        const long end = std::ftell(m_stream);
        if (::fstat(::fileno(m_stream), &status) == 0 && S_ISREG(status.st_mode) && end >= 0 &&
            m_mode == OpenMode::Truncate && ::ftruncate(::fileno(m_stream), end) != 0)
            fail("write", errno);
    }
    if (m_owned) {
        // A file system may report a lost write only when the file is closed.
        if (std::fclose(m_stream) != 0) fail("close", errno);
        m_stream = nullptr;
        m_owned = false;
    }
    return ok();
}

}  // namespace tarvenish
