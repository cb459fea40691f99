#pragma once
// A file a run writes its output to, opened before the run changes anything so that a path that
// cannot be written is found while nothing has been changed. Every write, flush and close is checked; the
// first failure is kept and later writes are dropped, so the run itself never fails on its output.

#include <cstdio>
#include <string>
#include <string_view>

namespace tarvenish {

enum class OpenMode { Truncate, Append };

class OutputFile final {
public:
    // Opens `path` ("-" is standard output). Throws std::runtime_error naming `what` and the path when it
    // cannot be opened, or when it is a folder.
    OutputFile(std::string what, const std::string& path, OpenMode mode);
    // Writes to a stream the process already has open (standard output or error); never closes it.
    OutputFile(std::string what, std::FILE* stream);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view text) noexcept;
    // Hands what was written to the system now.
    void flush() noexcept;
    // Flushes and closes (a borrowed stream is only flushed). True when everything written arrived.
    [[nodiscard]] bool finish() noexcept;
    // True while no write, flush or close has failed.
    [[nodiscard]] bool ok() const noexcept { return m_error.empty(); }
    // What failed, naming the output and its path; empty while nothing did.
    [[nodiscard]] const std::string& error() const noexcept { return m_error; }
    // True when this writes to standard output.
    [[nodiscard]] bool isStandardOutput() const noexcept { return m_stream == stdout; }

private:
    void fail(std::string_view action, int error) noexcept;

    std::string m_what;
    std::string m_name;
    OpenMode m_mode = OpenMode::Append;
    std::FILE* m_stream = nullptr;
    bool m_owned = false;
    std::string m_error;
};

}  // namespace tarvenish
