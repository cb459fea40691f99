#pragma once
// The progress line a command draws on a terminal: the phase it is in, a bar while it counts pairs, and the
// time since it began, redrawn a few times a second so that a long statement never leaves it silent.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace tarvenish::app {

// "issued quantities  [#####     ] 120/240 pairs  12.3 s": the line for `phase`, `done` of `total` (no bar
// while `total` is 0) and `elapsed`.
[[nodiscard]] std::string progressLine(std::string_view phase, int done, int total,
                                       std::chrono::steady_clock::duration elapsed);

// Draws on standard error only when it is a terminal; the line ends when the object does.
class TerminalProgress final {
public:
    TerminalProgress();
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // Enters `phase`; its count starts afresh.
    void phase(std::string_view phase);
    // `done` of `total` in the current phase.
    void count(int done, int total);

private:
    void draw();

    bool m_enabled;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_drawn = false;
    std::string m_phase;
    int m_done = 0;
    int m_total = 0;
    std::thread m_ticker;
};

}  // namespace tarvenish::app
