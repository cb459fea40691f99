#pragma once
// The registry keys by which hosts find the component: the class, its programmatic identifier, the type
// library and the interface. Registration writes each of them; unregistration removes exactly those.

#include <filesystem>
#include <string>
#include <vector>

namespace tarvenish {

// One value the registration writes: a key below HKEY_CLASSES_ROOT, the value's name (empty for the key's
// default value) and its text.
struct RegistryEntry {
    std::wstring key;
    std::wstring name;
    std::wstring value;
};

// Every value that registering the DLL at `dll` writes, parent keys before their subkeys. `win64` says which
// width's type-library path it is (win32 or win64).
[[nodiscard]] std::vector<RegistryEntry> registryEntries(const std::filesystem::path& dll, bool win64);

// Writes the entries. Throws std::runtime_error naming the key that could not be written.
void writeRegistryEntries(const std::vector<RegistryEntry>& entries);

// Removes the entries' values, then each of their keys that is left empty, the deepest first; a key that
// holds anything else (another width's type-library path) stays. Throws std::runtime_error naming the key
// that could not be removed; a key already gone is no failure.
void removeRegistryEntries(const std::vector<RegistryEntry>& entries);

}  // namespace tarvenish
