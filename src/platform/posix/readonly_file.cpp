// Read-only files on POSIX systems: positioned reads, no shared file offset.

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/posix/open_regular.h"

namespace ql::platform {

namespace {

class PosixReadOnlyFile : public ReadOnlyFile {
public:
    PosixReadOnlyFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~PosixReadOnlyFile() override { ::close(fd_); }
    PosixReadOnlyFile(const PosixReadOnlyFile&) = delete;
    PosixReadOnlyFile& operator=(const PosixReadOnlyFile&) = delete;

    std::uint64_t Size() const override { return size_; }

    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        auto* out = static_cast<char*>(buffer);
        std::size_t got = 0;
        while (got < count) {
            ssize_t r = ::pread(fd_, out + got, count - got, static_cast<off_t>(offset + got));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            got += static_cast<std::size_t>(r);
        }
        return got;
    }

private:
    int fd_;
    std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadOnlyFile> OpenReadOnly(const std::string& path)
{
    // O_RDONLY without O_CREAT: a missing path stays missing.
    int fd = OpenRegularFile(path);
    if (fd < 0) {
        int err = errno;
        if (err == ENOENT || err == ENOTDIR) return nullptr;
        ThrowCannotOpen(path, ErrorText(err));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        ThrowCannotOpen(path, ErrorText(err));
    }
    return std::make_unique<PosixReadOnlyFile>(fd, static_cast<std::uint64_t>(st.st_size));
}

}  // namespace ql::platform
