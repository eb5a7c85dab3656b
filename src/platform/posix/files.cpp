// Files, folders and the temporary folder on POSIX systems.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/posix/open_regular.h"

namespace ql::platform {

std::string ErrorText(int code)
{
    return std::strerror(code);
}

int LastError()
{
    return errno;
}

std::string GetTempDir()
{
    // The TMPDIR convention, as the system's temporary folder lookup does it.
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && *env) ? env : "/tmp";
    if (dir.back() != PathSeparator) dir += PathSeparator;
    if (!DirectoryExists(dir)) ThrowTempDirMissing(dir);
    if (::access(dir.c_str(), W_OK | X_OK) != 0) ThrowTempDirNotWritable(dir, ErrorText(errno));
    return dir;
}

std::string ExecutablePath()
{
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string ExecutableDir()
{
    std::string path = ExecutablePath();
    auto slash = path.rfind(PathSeparator);
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string ProgramDataDir(const std::string& executableDir)
{
    if (DirectoryExists(executableDir + "rlp_polygons")) return executableDir;
    const std::filesystem::path bin = std::filesystem::path(executableDir).parent_path();
    if (bin.filename() != "bin") return executableDir;
    const std::string shared = (bin.parent_path() / "share" / "quenlorn").string() + PathSeparator;
    return DirectoryExists(shared) ? shared : executableDir;
}

namespace {

// Faults the pages of a large new buffer in with one call where the system
// offers it: cheaper than one fault per page while the buffer is filled.
void Prefault(char* data, std::size_t size)
{
    if (size < (std::size_t{8} << 20)) return;
    const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(page - 1);
    if (end <= begin) return;
#ifdef MADV_POPULATE_WRITE
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#endif
}

}  // namespace

void RequireRegularFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) ThrowCannotOpen(path, ErrorText(errno));
    if (!S_ISREG(st.st_mode)) ThrowNotARegularFile(path);
}

int OpenRegularFile(const std::string& path)
{
    // Without waiting: opening a FIFO for reading blocks until a writer comes.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;  // a socket cannot be opened at all: say what it is
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) ThrowNotARegularFile(path);
        errno = err;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        ThrowCannotOpen(path, ErrorText(err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        ThrowNotARegularFile(path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

OpenedRegularFile::OpenedRegularFile(const std::string& path) : fd_(OpenRegularFile(path))
{
    if (fd_ < 0) ThrowCannotOpen(path, ErrorText(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int err = errno;
        ::close(fd_);
        ThrowCannotOpen(path, ErrorText(err));
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
}

OpenedRegularFile::~OpenedRegularFile()
{
    ::close(fd_);
}

std::string ReadWholeFile(const std::string& path)
{
    int fd = OpenRegularFile(path);
    if (fd < 0) ThrowCannotOpen(path, ErrorText(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        ThrowCannotOpen(path, ErrorText(err));
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    Prefault(bytes.data(), bytes.capacity());
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            // Probe for more before growing: growing the full buffer would copy
            // the whole file and double the peak memory of every load.
            char probe[4096];
            ssize_t r = ::read(fd, probe, sizeof probe);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) {
                if (r == 0) break;
                int err = errno;
                ::close(fd);
                ThrowCannotOpen(path, ErrorText(err));
            }
            bytes.append(probe, static_cast<std::size_t>(r));  // the file grew or has no size
            got = bytes.size();
            continue;
        }
        ssize_t r = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ThrowCannotOpen(path, ErrorText(err));
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

void WriteWholeFile(const std::string& path, std::string_view bytes)
{
    // Never through a link: the placemark files go to a folder other users
    // can write to, and a planted link must not redirect the write.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) ThrowCannotCreate(path, ErrorText(errno));
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            // No empty or partial file stays behind (a full disk, for example).
            ::unlink(path.c_str());
            ThrowCannotCreate(path, ErrorText(err));
        }
        done += static_cast<std::size_t>(w);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(path.c_str());
        ThrowCannotCreate(path, ErrorText(err));
    }
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void DeleteFileQuietly(const std::string& path)
{
    ::unlink(path.c_str());
}

bool CreatePrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    if (errno == EEXIST) return false;
    ThrowCannotCreate(path, ErrorText(errno));
}

std::vector<std::string> OwnFolders(const std::string& parent)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(parent.c_str());
    if (!dir) return names;
    const uid_t user = ::getuid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        // lstat: a link is the link itself, never where it points.
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
            st.st_uid == user)
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

void RemoveFolderTree(const std::string& path)
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);  // removes links, never follows them
}

std::uint64_t CurrentProcessId()
{
    return static_cast<std::uint64_t>(::getpid());
}

bool SameFileName(const std::string& a, const std::string& b)
{
    return a == b;
}

std::optional<std::string> FindStoredName(const std::string& path)
{
    if (path.empty() || path.back() == PathSeparator) return std::nullopt;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    // POSIX file systems keep names as given: the stored name is the last component.
    auto slash = path.rfind(PathSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace ql::platform
