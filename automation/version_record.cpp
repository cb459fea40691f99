#include "automation/version_record.h"

namespace tarvenish {

VersionRecord parseVersionRecord(std::string_view bytes) {
    VersionRecord record;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\0');
        const std::string_view entry = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        const std::size_t equals = entry.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = entry.substr(0, equals);
        const std::string value(entry.substr(equals + 1));
        if (key == "FileVersion")
            record.fileVersion = value;
        else if (key == "ProductVersion")
            record.productVersion = value;
        else if (key == "Language")
            record.language = value;
        else if (key == "InternalName")
            record.internalName = value;
        else if (key == "OriginalFilename")
            record.originalFilename = value;
        else if (key == "SelfRegistering")
            record.selfRegistering = value == "1";
    }
    return record;
}

}  // namespace tarvenish
