// The version record of a Windows DLL: its version resource, read through the system's version API.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "automation/version_record.h"

#include "base/utf16_win32.h"

namespace tarvenish {
namespace {

// The string `name` of the table `table` ("080404b0"), nullopt when the resource has none.
std::optional<std::string> versionString(std::vector<char>& block, const std::wstring& table,
                                         const wchar_t* name) {
    const std::wstring query = L"\\StringFileInfo\\" + table + L"\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || value == nullptr)
        return std::nullopt;
    // The length counts the closing NUL, when there is one.
    const auto* text = static_cast<const wchar_t*>(value);
    std::size_t characters = length;
    while (characters > 0 && text[characters - 1] == L'\0') --characters;
    return utf8(std::wstring_view(text, characters));
}

}  // namespace

std::optional<VersionRecord> readVersionRecord(const std::filesystem::path& library) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(library.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    if (!::GetFileVersionInfoW(library.c_str(), 0, size, block.data())) return std::nullopt;
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        length < sizeof(Translation))
        return std::nullopt;
    const Translation translation = *static_cast<const Translation*>(value);
    wchar_t table[9] = {};
    std::swprintf(table, 9, L"%04x%04x", translation.language, translation.codePage);
    char language[5] = {};
    std::snprintf(language, sizeof language, "%04X", translation.language);

    VersionRecord record;
    record.language = language;
    record.fileVersion = versionString(block, table, L"FileVersion").value_or("");
    record.productVersion = versionString(block, table, L"ProductVersion").value_or("");
    record.internalName = versionString(block, table, L"InternalName").value_or("");
    record.originalFilename = versionString(block, table, L"OriginalFilename").value_or("");
    record.selfRegistering = versionString(block, table, L"OLESelfRegister").has_value();
    return record;
}

}  // namespace tarvenish
