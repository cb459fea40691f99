#pragma once
// The version record that the library carries in a section of its own: versions, language, names and the
// self-registering mark.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarvenish {

struct VersionRecord {
    std::string fileVersion;
    std::string productVersion;
    std::string language;
    std::string internalName;
    std::string originalFilename;
    bool selfRegistering = false;

    friend bool operator==(const VersionRecord&, const VersionRecord&) = default;
};

// The section of the library file that holds the record.
inline constexpr std::string_view kVersionSectionName = ".tarvenish_version";

// The record's bytes as the library stores them: "key=value" texts, each ended by a NUL.
inline constexpr char kVersionRecordText[] =
    "FileVersion=8.61\0ProductVersion=8.61\0Language=0804\0InternalName=TARVENISH\0"
    "OriginalFilename=TARVENISH.dll\0SelfRegistering=1";
inline constexpr std::array<char, sizeof kVersionRecordText> kVersionRecordBytes =
    std::to_array(kVersionRecordText);

// Reads the record from its stored bytes; keys it does not know are skipped.
[[nodiscard]] VersionRecord parseVersionRecord(std::string_view bytes);

// The record of the library file at `library`: a 64-bit ELF section on Linux, the PE version resource on
// Windows; nullopt when the file has no such record or cannot be read.
[[nodiscard]] std::optional<VersionRecord> readVersionRecord(const std::filesystem::path& library);

}  // namespace tarvenish
