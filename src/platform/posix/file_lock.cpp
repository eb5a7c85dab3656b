// Locks on files on POSIX systems: flock, which the holder keeps for as long
// as its descriptor is open, whichever process id namespace it runs in.

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/user_error.h"
#include "platform/platform.h"

namespace ql::platform {

namespace {

class PosixFileLock : public FileLock {
public:
    explicit PosixFileLock(int fd) : fd_(fd) {}
    ~PosixFileLock() override { ::close(fd_); }  // the lock goes with the descriptor
    PosixFileLock(const PosixFileLock&) = delete;
    PosixFileLock& operator=(const PosixFileLock&) = delete;

private:
    int fd_;
};

// flock, again after an interruption by a signal.
int Flock(int fd, int operation)
{
    int rc = 0;
    do rc = ::flock(fd, operation);
    while (rc != 0 && errno == EINTR);
    return rc;
}

}  // namespace

std::unique_ptr<FileLock> CreateLockedFile(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) return nullptr;
        ThrowCannotCreate(path, ErrorText(errno));
    }
    auto lock = std::make_unique<PosixFileLock>(fd);
    // Waits only while someone who found the empty file looks at it.
    if (Flock(fd, LOCK_EX) != 0) {
        const int err = errno;
        ::unlink(path.c_str());
        ThrowCannotCreate(path, ErrorText(err));
    }
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            ::unlink(path.c_str());
            ThrowCannotCreate(path, ErrorText(err));
        }
        done += static_cast<std::size_t>(n);
    }
    return lock;
}

std::optional<TakenLock> TryLockFile(const std::string& path, std::size_t maxBytes)
{
    // O_NONBLOCK: a FIFO under that name does not hold the caller up.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    auto lock = std::make_unique<PosixFileLock>(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    if (Flock(fd, LOCK_EX | LOCK_NB) != 0) return std::nullopt;
    std::string bytes(maxBytes, '\0');
    std::size_t got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::pread(fd, bytes.data() + got, maxBytes - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return TakenLock{std::move(lock), std::move(bytes)};
}

}  // namespace ql::platform
