#pragma once
// The machine a benchmark ran on, as printed beside its figures: processors, memory and the disk's commit
// time.

#include <string>

namespace tarvenish::bench {

struct Machine {
    int cpus = 0;          // processors this process may run on
    std::string cpuModel;  // "model name" of /proc/cpuinfo, "unknown" when absent
    double memoryGiB = 0;  // MemTotal of /proc/meminfo
};

[[nodiscard]] Machine describeMachine();

// The median time of one single-row SQLite transaction in a scratch file under `dir`: what every commit of
// the rebuild pays at least, since the file is synchronised at each commit. Throws std::runtime_error on
// failure.
[[nodiscard]] double diskCommitMilliseconds(const std::string& dir);

}  // namespace tarvenish::bench
