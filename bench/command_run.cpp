#include "bench/command_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tarvenish::bench {
namespace {

// Kills the process if it is still running when its time is up; a timeout of 0 never kills.
class Deadline final {
public:
    Deadline(pid_t pid, double timeoutSeconds) : m_pid(pid) {
        if (timeoutSeconds <= 0.0) return;
        m_watcher = std::thread([this, timeoutSeconds] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                                 [this] { return m_exited; })) {
                m_killed = true;
                ::kill(m_pid, SIGKILL);
            }
        });
    }
    ~Deadline() { exited(); }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    // Called once the process has been waited for; the watcher ends.
    void exited() {
        {
            const std::lock_guard lock(m_mutex);
            m_exited = true;
        }
        m_done.notify_all();
        if (m_watcher.joinable()) m_watcher.join();
    }
    [[nodiscard]] bool killed() {
        const std::lock_guard lock(m_mutex);
        return m_killed;
    }

private:
    pid_t m_pid;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_exited = false;
    bool m_killed = false;
    std::thread m_watcher;
};

}  // namespace

CommandOutcome runCommand(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& outputPath, double timeoutSeconds) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + program + ": " + std::strerror(spawned));

    Deadline deadline(pid, timeoutSeconds);
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error(std::string("wait4: ") + std::strerror(errno));
    }
    const auto end = std::chrono::steady_clock::now();
    deadline.exited();

    CommandOutcome outcome;
    outcome.seconds = std::chrono::duration<double>(end - start).count();
    outcome.peakKb = usage.ru_maxrss;
    outcome.timedOut = deadline.killed();
    if (outcome.timedOut) outcome.seconds = timeoutSeconds;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(outputPath, std::ios::binary);
    outcome.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return outcome;
}

void useRollbackJournal(const std::string& path) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    std::string failure;
    if (opened != SQLITE_OK) failure = sqlite3_errstr(opened);
    char* message = nullptr;
    if (failure.empty() &&
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, &message) != SQLITE_OK) {
        failure = message != nullptr ? message : "unknown error";
        sqlite3_free(message);
    }
    sqlite3_close_v2(db);
    if (!failure.empty()) throw std::runtime_error("journal_mode=DELETE on " + path + ": " + failure);
}

}  // namespace tarvenish::bench
