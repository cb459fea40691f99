#include "ledger/db/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tarvenish {
namespace {

std::string errnoText(int error) {
    return std::generic_category().message(error);
}

}  // namespace

LockFile::~LockFile() {
    close();
}

LockFile::Opened LockFile::open(const std::string& path, bool create) {
    close();
    const int fd = create ? ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666)
                          : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0) {
        m_handle = fd;
        return Opened::Yes;
    }
    const int error = errno;
    m_error = errnoText(error);
    if (error == ENOENT && !create) return Opened::Missing;
    if (error == EROFS || error == EACCES || error == EPERM) return Opened::NotWritable;
    return Opened::Failed;
}

LockFile::Locked LockFile::tryLock(bool exclusive) {
    const int fd = static_cast<int>(m_handle);
    int rc = 0;
    while ((rc = ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc == 0) return Locked::Yes;
    const int error = errno;
    m_error = errnoText(error);
    return error == EWOULDBLOCK ? Locked::Busy : Locked::Failed;
}

bool LockFile::isFileAt(const std::string& path) const noexcept {
    struct stat held {};
    struct stat named {};
    return m_handle >= 0 && ::fstat(static_cast<int>(m_handle), &held) == 0 &&
           ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

void LockFile::remove(const std::string& path) noexcept {
    ::unlink(path.c_str());
}

void LockFile::close() noexcept {
    if (m_handle < 0) return;
    ::close(static_cast<int>(m_handle));
    m_handle = -1;
}

bool LockFile::isOpen() const noexcept {
    return m_handle >= 0;
}

}  // namespace tarvenish
