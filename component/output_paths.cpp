#include "component/output_paths.h"
#include "base/system_text.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "base/system_text.h"
#include "ledger/db/error.h"
#include "ledger/db/run_lock.h"

namespace tarvenish {
namespace {

namespace fs = std::filesystem;

// A file the run itself keeps: writing an output there would corrupt it or lose it.
struct KeptFile {
    std::string path;
    std::string what;
};

// The account set's file and the files SQLite and the run keep beside it, under the spelling given and the
// one with links resolved (SQLite puts its journals beside the file a link leads to).
std::vector<KeptFile> keptFiles(std::string_view connectionString) {
    std::string file;
    try {
        file = RunLock::databaseFilePath(connectionString);
    } catch (const DbError&) {
        // A connection string that cannot be read reaches no file; the run says so itself.
        return {};
    }
    if (file.empty()) return {};
    std::vector<std::string> spellings = {file};
    std::error_code error;
    const std::string resolved = textOfPath(fs::weakly_canonical(pathOfText(file), error));
    if (!error && resolved != file) spellings.push_back(resolved);
    std::vector<KeptFile> kept;
    for (const std::string& base : spellings) {
        kept.push_back({base, "the account set itself"});
        kept.push_back({base + "-wal", "the account set's write-ahead log"});
        kept.push_back({base + "-shm", "the account set's shared-memory file"});
        kept.push_back({base + "-journal", "the account set's rollback journal"});
    }
    kept.push_back({RunLock::lockFileOf(file), "the account set's run lock file"});
    return kept;
}

// `path` with every link in its last place followed, also one that leads to a file not yet made (writing
// through it would make that file).
fs::path followed(const std::string& path) {
    std::error_code error;
    fs::path at = fs::absolute(pathOfText(path), error);
    if (error) at = pathOfText(path);
    // As many links as the system itself follows before it gives up.
    for (int hop = 0; hop < 40; ++hop) {
        if (!fs::is_symlink(fs::symlink_status(at, error))) break;
        const fs::path target = fs::read_symlink(at, error);
        if (error) break;
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    return at;
}

// Whether two paths name one file: by identity when both exist, else by the canonical path of the folder
// and the name.
bool sameFile(const std::string& first, const std::string& second) {
    const fs::path a = followed(first);
    const fs::path b = followed(second);
    std::error_code error;
    const bool aExists = fs::exists(a, error);
    const bool bExists = fs::exists(b, error);
    if (aExists != bExists) return false;
    if (aExists) return fs::equivalent(a, b, error);
    const fs::path aFolder = fs::weakly_canonical(a.parent_path(), error);
    const fs::path bFolder = fs::weakly_canonical(b.parent_path(), error);
    return (aFolder / a.filename()).lexically_normal() == (bFolder / b.filename()).lexically_normal();
}

std::string label(const NamedOutput& output) {
    const std::string shown = output.path.empty() ? "\"\"" : output.path;
    // An option is followed by its value, a setting is assigned one.
    return output.name.starts_with("-") ? output.name + " " + shown : output.name + "=" + shown;
}

[[noreturn]] void refuse(const NamedOutput& output, std::string_view why) {
    throw OutputRefused(label(output) + " is refused: " + std::string(why));
}

// Whatever is at a backup's path before the copy: only a regular file may go, and only when allowed.
void refuseExistingBackup(const NamedOutput& backup, ExistingBackup existing) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(backup.path, error))) return;
    const fs::file_status status = fs::status(backup.path, error);
    if (fs::is_directory(status)) refuse(backup, "it is a folder, which a backup never replaces");
    if (!fs::exists(status)) refuse(backup, "it is a link to nothing, which a backup never follows");
    if (!fs::is_regular_file(status))
        refuse(backup, "it is not a regular file (a device, a pipe...), which a backup never replaces");
    if (existing == ExistingBackup::Refuse)
        refuse(backup, "a file exists there already and would be replaced (--force replaces it)");
}

}  // namespace

void refuseUnsafeOutputs(std::string_view connectionString, const OutputPaths& outputs) {
    std::vector<const NamedOutput*> asked;
    for (const auto* output : {&outputs.report, &outputs.log, &outputs.details, &outputs.backup})
        if (output->has_value()) asked.push_back(&**output);
    const std::vector<KeptFile> kept = keptFiles(connectionString);
    const NamedOutput* backup = outputs.backup ? &*outputs.backup : nullptr;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        const NamedOutput& output = *asked[i];
        if (output.path.empty()) refuse(output, "an empty path names no file");
        if (output.path == "-") {
            if (&output == backup) refuse(output, "a backup cannot go to standard output");
            for (std::size_t j = 0; j < i; ++j)
                if (asked[j]->path == "-")
                    refuse(output, asked[j]->name + " goes to standard output already");
            continue;
        }
        for (const KeptFile& file : kept)
            if (sameFile(output.path, file.path))
                refuse(output, "it is " + file.what + " (" + file.path + ")");
        for (std::size_t j = 0; j < i; ++j) {
            if (asked[j]->path == "-") continue;
            if (sameFile(output.path, asked[j]->path))
                refuse(output, "it is the same file as " + label(*asked[j]));
            // SQLite keeps a journal beside the copy it writes, and replays or deletes what it finds there.
            if (&output != backup) continue;
            for (const char* suffix : {"-journal", "-wal", "-shm"})
                if (sameFile(output.path + suffix, asked[j]->path))
                    refuse(output, "SQLite would keep the copy's journal in " + label(*asked[j]));
        }
    }
    if (backup != nullptr) refuseExistingBackup(*backup, outputs.existingBackup);
}

}  // namespace tarvenish
