#include "ledger/db/lock_file.h"

#include "base/utf16_win32.h"

#include <windows.h>

#include <string>

namespace tarvenish {
namespace {

std::string systemMessage(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) {
        text = utf8(std::wstring_view(buffer, length));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
    }
    if (buffer != nullptr) ::LocalFree(buffer);
    return text.empty() ? "system error " + std::to_string(error) : text;
}

HANDLE handleOf(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

// Shared for everything, deletion included: the holder removes the file while it still has it open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

LockFile::~LockFile() {
    close();
}

LockFile::Opened LockFile::open(const std::string& path, bool create) {
    close();
    // A reparse point (a symbolic link) is opened itself, never followed, as O_NOFOLLOW does.
    const HANDLE handle = ::CreateFileW(utf16(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                        create ? OPEN_ALWAYS : OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        m_handle = reinterpret_cast<std::intptr_t>(handle);
        return Opened::Yes;
    }
    const DWORD error = ::GetLastError();
    m_error = systemMessage(error);
    if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && !create) return Opened::Missing;
    if (error == ERROR_WRITE_PROTECT || error == ERROR_ACCESS_DENIED) return Opened::NotWritable;
    return Opened::Failed;
}

LockFile::Locked LockFile::tryLock(bool exclusive) {
    OVERLAPPED at{};
    // One byte at the start stands for the whole file; Windows locks ranges, even past the end of a file.
    if (::LockFileEx(handleOf(m_handle),
                     LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0), 0, 1, 0, &at))
        return Locked::Yes;
    const DWORD error = ::GetLastError();
    m_error = systemMessage(error);
    return error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION || error == ERROR_IO_PENDING
               ? Locked::Busy
               : Locked::Failed;
}

bool LockFile::isFileAt(const std::string& path) const noexcept {
    if (!isOpen()) return false;
    try {
        const HANDLE named = ::CreateFileW(utf16(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (named == INVALID_HANDLE_VALUE) return false;
        BY_HANDLE_FILE_INFORMATION heldInfo{};
        BY_HANDLE_FILE_INFORMATION namedInfo{};
        const bool same = ::GetFileInformationByHandle(handleOf(m_handle), &heldInfo) &&
                          ::GetFileInformationByHandle(named, &namedInfo) &&
                          heldInfo.dwVolumeSerialNumber == namedInfo.dwVolumeSerialNumber &&
                          heldInfo.nFileIndexHigh == namedInfo.nFileIndexHigh &&
                          heldInfo.nFileIndexLow == namedInfo.nFileIndexLow;
        ::CloseHandle(named);
        return same;
    } catch (...) {
        return false;
    }
}

void LockFile::remove(const std::string& path) noexcept {
    try {
        ::DeleteFileW(utf16(path).c_str());
    } catch (...) {
    }
}

void LockFile::close() noexcept {
    if (!isOpen()) return;
    ::CloseHandle(handleOf(m_handle));
    m_handle = -1;
}

bool LockFile::isOpen() const noexcept {
    return m_handle != -1;
}

}  // namespace tarvenish
