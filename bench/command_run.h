#pragma once
// The command as a user runs it: a process of its own, timed from start to exit, its peak memory its own.

#include <string>
#include <vector>

namespace tarvenish::bench {

struct CommandOutcome {
    int exitCode = -1;      // the exit status, -1 when the process was killed
    double seconds = 0.0;   // from the start of the process to its exit, as a user waits
    long peakKb = 0;        // its peak resident set (ru_maxrss), in KiB
    bool timedOut = false;  // it was killed when its time was up; seconds is then the limit
    std::string output;     // its standard output and error, for a failure's message
};

// Runs `program` with `arguments`, its output into `outputPath`, and waits for it; kills it after
// `timeoutSeconds` (0: no limit). Throws std::runtime_error when it cannot be started.
[[nodiscard]] CommandOutcome runCommand(const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& outputPath, double timeoutSeconds = 0.0);

// Turns the SQLite file at `path` to a rollback journal (journal_mode=DELETE), the default of a host's own
// file. Throws std::runtime_error naming the file on failure.
void useRollbackJournal(const std::string& path);

}  // namespace tarvenish::bench
