#pragma once
// The guard over the files a run or a command writes besides the account set: none may be empty, the account
// set itself, one of its side files (-wal, -shm, -journal, the run lock file) or another output of the same
// run, however its path is spelled (relative, with "..", through a symbolic or a hard link).

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ledger/sqlite/backup.h"

namespace tarvenish {

// One output asked for, named as its front end takes it.
struct NamedOutput {
    std::string name;  // "--report", "TARVENISH_LOG": said in every refusal
    std::string path;  // "-" is standard output
};

// The outputs one run or command was asked for; those not asked for are empty.
struct OutputPaths {
    std::optional<NamedOutput> report = std::nullopt;
    std::optional<NamedOutput> log = std::nullopt;
    std::optional<NamedOutput> details = std::nullopt;
    std::optional<NamedOutput> backup = std::nullopt;  // never standard output
    ExistingBackup existingBackup = ExistingBackup::Refuse;
};

// An output that may not be written where it was asked for; what() names the output, its path and why.
class OutputRefused final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws OutputRefused, touching no file, when an output asked for has an empty path, goes to standard
// output where it may not or where another already goes, or names the account set `connectionString`
// reaches, one of its side files or another output's file: compared by file identity where both files
// exist, else by the canonical path of the folder and the name, links followed. A backup is also refused on
// anything that exists, unless `existingBackup` lets it replace a regular file.
void refuseUnsafeOutputs(std::string_view connectionString, const OutputPaths& outputs);

}  // namespace tarvenish
