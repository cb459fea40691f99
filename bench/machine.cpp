#include "bench/machine.h"

#include <sched.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace tarvenish::bench {

Machine describeMachine() {
    Machine machine;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) machine.cpus = CPU_COUNT(&set);

    machine.cpuModel = "unknown";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) != 0) continue;
        const auto colon = line.find(':');
        if (colon != std::string::npos)
            machine.cpuModel = line.substr(line.find_first_not_of(' ', colon + 1));
        break;
    }

    std::ifstream meminfo("/proc/meminfo");
    for (std::string line; std::getline(meminfo, line);) {
        if (line.rfind("MemTotal:", 0) != 0) continue;
        std::istringstream fields(line.substr(9));
        double kb = 0;
        fields >> kb;
        machine.memoryGiB = kb / (1024.0 * 1024.0);
        break;
    }
    return machine;
}

double diskCommitMilliseconds(const std::string& dir) {
    const std::string path = (std::filesystem::path(dir) / "commit_probe.db").string();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + path);
    }
    std::vector<double> times;
    bool ok = sqlite3_exec(db, "create table probe (x integer)", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (int round = 0; ok && round < 20; ++round) {
        const auto start = std::chrono::steady_clock::now();
        ok = sqlite3_exec(db, "begin; insert into probe values (1); commit", nullptr, nullptr, nullptr) ==
             SQLITE_OK;
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    sqlite3_close(db);
    std::filesystem::remove(path);
    if (!ok) throw std::runtime_error("the commit probe failed in " + dir);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace tarvenish::bench
