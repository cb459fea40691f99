#include "bench/child_process.h"

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>

namespace tarvenish::bench {
namespace {

void writeAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

// Reads until the child closes its end; false when the deadline passed first.
bool readAll(int fd, std::string& text, double timeoutSeconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(timeoutSeconds));
    char buffer[4096];
    for (;;) {
        if (timeoutSeconds > 0.0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return false;
            struct pollfd waiting {
                fd, POLLIN, 0
            };
            const int ready = ::poll(&waiting, 1, static_cast<int>(std::min<long long>(left, 1000)));
            if (ready < 0 && errno != EINTR) return true;
            if (ready <= 0) continue;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

}  // namespace

ChildOutcome runInChild(const std::function<std::string()>& body, double timeoutSeconds) {
    int channel[2];
    if (::pipe(channel) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    }
    if (pid == 0) {
        ::close(channel[0]);
        int status = 0;
        std::string output;
        try {
            output = body();
        } catch (const std::exception& error) {
            output = error.what();
            status = 1;
        } catch (...) {
            output = "unknown error";
            status = 1;
        }
        writeAll(channel[1], output);
        ::close(channel[1]);
        std::fflush(stdout);
        std::fflush(stderr);
        // _exit: the parent's atexit handlers and static destructors belong to the parent.
        ::_exit(status);
    }
    ::close(channel[1]);
    ChildOutcome outcome;
    if (!readAll(channel[0], outcome.output, timeoutSeconds)) {
        ::kill(pid, SIGKILL);
        outcome.timedOut = true;
    }
    ::close(channel[0]);
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error(std::string("wait4: ") + std::strerror(errno));
    }
    outcome.peakKb = usage.ru_maxrss;
    outcome.succeeded = !outcome.timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (outcome.timedOut)
        outcome.output = "no result within " + std::to_string(static_cast<long>(timeoutSeconds)) + " s";
    else if (WIFSIGNALED(status))
        outcome.output += std::string(outcome.output.empty() ? "" : "; ") + "killed by signal " +
                          std::to_string(WTERMSIG(status));
    return outcome;
}

}  // namespace tarvenish::bench
