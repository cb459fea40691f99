#pragma once
// The scenarios of the rebuild's plan: the same account set with the indexes a host might add (none at all,
// each column the per-pair statements filter or join on, a few composites), and sets whose every item is
// stocked in 1, 10, 100 or 500 warehouses. Wall times are medians of interleaved runs of the command;
// SQLite's virtual-machine steps of an in-process run show the plan's work without the machine's noise.

#include <filesystem>
#include <string>
#include <vector>

namespace tarvenish::bench {

struct PlanOptions {
    std::string command;  // the tarvenish command to time
    long size = 200'000;  // stock lines per account set
    std::vector<int> warehousesPerItem{1, 10, 100, 500};
    std::vector<std::string> indexVariants;  // names to run; empty for every variant
    bool indexes = true;                     // run the index variants
    int runs = 3;
    double runTimeoutSeconds = 600.0;  // a run still going is stopped and reported as a lower bound
    bool keep = false;                 // keep the generated account sets
    bool pairImage = true;             // false: every per-pair statement reads all its item's lines
};

// The names of the index variants, in the order they are run.
[[nodiscard]] std::vector<std::string> indexVariantNames();

// Runs the scenarios in `dir` and prints their tables and the targets they meet or miss. Exits the process
// with a message when a run fails or leaves other rows than the plain set.
void benchPlans(const PlanOptions& options, const std::filesystem::path& dir);

}  // namespace tarvenish::bench
