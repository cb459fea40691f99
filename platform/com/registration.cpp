#include "platform/com/registration.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "platform/com/wide_text.h"

namespace tarvenish {
namespace {

constexpr const wchar_t* kClsid = L"{717201C8-1C85-4324-ACDD-25C0975F6A5E}";
constexpr const wchar_t* kLibId = L"{07690D9E-D002-4645-8904-E32B8DE7C95B}";
constexpr const wchar_t* kIid = L"{94C3B60E-3CF8-49F1-88A0-4DD85EF076C0}";
constexpr const wchar_t* kProgId = L"TARVENISH.JustAccount";
// The standard marshaller of dual interfaces, which reads the type library.
constexpr const wchar_t* kAutomationMarshaller = L"{00020424-0000-0000-C000-000000000046}";

[[noreturn]] void fail(const char* what, const std::wstring& key, LSTATUS status) {
    throw std::runtime_error(std::string("cannot ") + what + " HKEY_CLASSES_ROOT\\" + utf8(key) + " (error " +
                             std::to_string(status) + ")");
}

// True when `key` holds no subkey and no value.
bool isEmpty(const std::wstring& key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0;
    DWORD values = 0;
    const LSTATUS status = ::RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                              &values, nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(handle);
    return status == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

// `key` and each of its parents up to (not including) the root below HKEY_CLASSES_ROOT it starts from.
std::vector<std::wstring> keyAndParents(const std::wstring& key) {
    std::vector<std::wstring> keys{key};
    std::wstring::size_type cut = key.rfind(L'\\');
    while (cut != std::wstring::npos && cut > 0) {
        keys.push_back(key.substr(0, cut));
        cut = key.rfind(L'\\', cut - 1);
    }
    // "CLSID", "TypeLib" and "Interface" themselves belong to the system.
    if (keys.back() == L"CLSID" || keys.back() == L"TypeLib" || keys.back() == L"Interface") keys.pop_back();
    return keys;
}

}  // namespace

std::vector<RegistryEntry> registryEntries(const std::filesystem::path& dll, bool win64) {
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsid;
    const std::wstring libKey = std::wstring(L"TypeLib\\") + kLibId + L"\\1.1";
    const std::wstring interfaceKey = std::wstring(L"Interface\\") + kIid;
    const std::wstring path = dll.wstring();
    return {
        {clsidKey, L"", L"TARVENISH.JustAccount"},
        {clsidKey + L"\\InprocServer32", L"", path},
        {clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsidKey + L"\\ProgID", L"", kProgId},
        {clsidKey + L"\\TypeLib", L"", kLibId},
        {clsidKey + L"\\Version", L"", L"1.1"},
        {kProgId, L"", L"TARVENISH.JustAccount"},
        {std::wstring(kProgId) + L"\\CLSID", L"", kClsid},
        {libKey, L"", L"TARVENISH"},
        {libKey + L"\\0\\" + (win64 ? L"win64" : L"win32"), L"", path},
        {libKey + L"\\FLAGS", L"", L"0"},
        {libKey + L"\\HELPDIR", L"", dll.parent_path().wstring()},
        {interfaceKey, L"", L"_JustAccount"},
        {interfaceKey + L"\\ProxyStubClsid", L"", kAutomationMarshaller},
        {interfaceKey + L"\\ProxyStubClsid32", L"", kAutomationMarshaller},
        {interfaceKey + L"\\TypeLib", L"", kLibId},
        {interfaceKey + L"\\TypeLib", L"Version", L"1.1"},
    };
}

void writeRegistryEntries(const std::vector<RegistryEntry>& entries) {
    for (const RegistryEntry& entry : entries) {
        HKEY handle = nullptr;
        LSTATUS status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr,
                                           REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &handle, nullptr);
        if (status != ERROR_SUCCESS) fail("create", entry.key, status);
        status = ::RegSetValueExW(handle, entry.name.empty() ? nullptr : entry.name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(entry.value.c_str()),
                                  static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(handle);
        if (status != ERROR_SUCCESS) fail("write", entry.key, status);
    }
}

void removeRegistryEntries(const std::vector<RegistryEntry>& entries) {
    std::set<std::wstring> keys;
    for (const RegistryEntry& entry : entries) {
        HKEY handle = nullptr;
        LSTATUS status = ::RegOpenKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, KEY_SET_VALUE, &handle);
        if (status == ERROR_FILE_NOT_FOUND) continue;
        if (status != ERROR_SUCCESS) fail("open", entry.key, status);
        status = ::RegDeleteValueW(handle, entry.name.empty() ? nullptr : entry.name.c_str());
        ::RegCloseKey(handle);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            fail("remove a value of", entry.key, status);
        for (const std::wstring& key : keyAndParents(entry.key)) keys.insert(key);
    }
    // The deepest first, so that a parent is looked at once its subkeys are gone.
    std::vector<std::wstring> ordered(keys.begin(), keys.end());
    std::sort(ordered.begin(), ordered.end(), [](const std::wstring& a, const std::wstring& b) {
        return std::count(a.begin(), a.end(), L'\\') > std::count(b.begin(), b.end(), L'\\');
    });
    for (const std::wstring& key : ordered) {
        if (!isEmpty(key)) continue;
        const LSTATUS status = ::RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) fail("remove", key, status);
    }
}

}  // namespace tarvenish
