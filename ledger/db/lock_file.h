#pragma once
// An open lock file and the advisory lock on it, as the platform keeps them: flock on POSIX systems,
// LockFileEx on Windows. Either lock dies with its process.

#include <cstdint>
#include <string>

namespace tarvenish {

class LockFile final {
public:
    enum class Opened {
        Yes,
        NotWritable,  // it cannot be made or opened for writing: a read-only file system, or no permission
        Missing,      // it does not exist and was not to be made
        Failed,
    };
    enum class Locked {
        Yes,
        Busy,  // another holder has it
        Failed,
    };

    LockFile() noexcept = default;
    // Closes the file, which lets its lock go.
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // Opens the file at `path` (never through a final symbolic link), making it first when `create`. Any
    // file this object held before is closed. Never throws but std::bad_alloc.
    [[nodiscard]] Opened open(const std::string& path, bool create);
    // Takes the lock, exclusive or shared, without waiting. Never throws but std::bad_alloc.
    [[nodiscard]] Locked tryLock(bool exclusive);
    // True when the open file is still the one at `path` (no other process removed and made it again).
    [[nodiscard]] bool isFileAt(const std::string& path) const noexcept;
    // Removes the file at `path` while still holding it open; a failure is ignored.
    static void remove(const std::string& path) noexcept;
    void close() noexcept;
    [[nodiscard]] bool isOpen() const noexcept;
    // What the last failing open or lock said, in the system's words.
    [[nodiscard]] const std::string& error() const noexcept { return m_error; }

private:
    // The descriptor or handle; -1 when none is open.
    std::intptr_t m_handle = -1;
    std::string m_error;
};

}  // namespace tarvenish
