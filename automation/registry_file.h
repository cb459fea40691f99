#pragma once
// The per-user registry file in which the server records its class, so that hosts can find the library.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "automation/guid.h"

namespace tarvenish {

// Raised when the registry file cannot be found, read, parsed or written; the message names the file.
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One class's record.
struct ClassRegistration {
    Guid clsid;
    std::string progId;
    std::string serverPath;
    Guid typeLibrary;
    std::string typeLibraryVersion;
    std::string threadingModel;

    friend bool operator==(const ClassRegistration&, const ClassRegistration&) = default;
};

// $TARVENISH_REGISTRY when set, else $XDG_CONFIG_HOME/tarvenish/registry.json, else
// $HOME/.config/tarvenish/registry.json. Throws RegistryError when none of them is set.
[[nodiscard]] std::filesystem::path registryFilePath();

// Adds the class's record or replaces it, keeping every other entry; the file and its folder are created when
// missing and replaced at once (temporary file and rename). Throws RegistryError, leaving the file as it was.
void registerClass(const std::filesystem::path& file, const ClassRegistration& registration);

// Removes exactly the class's record; true when there was one. A missing file holds no record.
// Throws RegistryError, leaving the file as it was.
bool unregisterClass(const std::filesystem::path& file, const Guid& clsid);

// The class's record, nullopt when the file or the record is missing. Throws RegistryError on a damaged file.
[[nodiscard]] std::optional<ClassRegistration> findClass(const std::filesystem::path& file,
                                                         const Guid& clsid);

}  // namespace tarvenish
