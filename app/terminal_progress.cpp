#include "app/terminal_progress.h"

#include <unistd.h>

#include <cstdio>

#include <fmt/format.h>

namespace tarvenish::app {

std::string progressLine(std::string_view phase, int done, int total,
                         std::chrono::steady_clock::duration elapsed) {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    if (total <= 0) return fmt::format("{}  {:.1f} s", phase, seconds);
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(static_cast<long long>(done) * kWidth / total);
    return fmt::format("{}  [{}{}] {}/{} pairs  {:.1f} s", phase, std::string(filled, '#'),
                       std::string(kWidth - filled, ' '), done, total, seconds);
}

TerminalProgress::TerminalProgress() : m_enabled(isatty(STDERR_FILENO) == 1) {
    if (!m_enabled) return;
    // The time goes on while a single statement runs for seconds: the line is redrawn without a call.
    m_ticker = std::thread([this] {
        std::unique_lock lock(m_mutex);
        while (!m_stopping) {
            if (!m_phase.empty()) draw();
            m_wake.wait_for(lock, std::chrono::milliseconds(250));
        }
    });
}

TerminalProgress::~TerminalProgress() {
    if (!m_enabled) return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (!m_phase.empty()) draw();
    }
    m_wake.notify_all();
    m_ticker.join();
    if (m_drawn) std::fputs("\n", stderr);
}

void TerminalProgress::phase(std::string_view phase) {
    if (!m_enabled) return;
    const std::lock_guard lock(m_mutex);
    m_phase = phase;
    m_done = 0;
    m_total = 0;
    draw();
}

void TerminalProgress::count(int done, int total) {
    if (!m_enabled) return;
    const std::lock_guard lock(m_mutex);
    m_done = done;
    m_total = total;
    draw();
}

void TerminalProgress::draw() {
    // "\33[K" clears what a longer line before left on the right.
    std::fprintf(stderr, "\r%s\33[K",
                 progressLine(m_phase, m_done, m_total, std::chrono::steady_clock::now() - m_start).c_str());
    std::fflush(stderr);
    m_drawn = true;
}

}  // namespace tarvenish::app
