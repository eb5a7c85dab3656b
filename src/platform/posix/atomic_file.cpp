// Files written for the user on POSIX systems: a temporary file beside the
// target, checked at every step, renamed over it.

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/user_error.h"
#include "platform/platform.h"
#include "platform/temporary_name.h"

namespace ql::platform {

struct AtomicFileWriter::State {
    std::string userPath;  // as given: the messages name it
    std::string target;  // the file replaced: the end of any links
    std::string temp;
    int fd = -1;
    bool hadOld = false;
    mode_t oldMode = 0;
    uid_t oldOwner = 0;
    gid_t oldGroup = 0;

    // Removes the temporary file and throws the message for the user's file.
    [[noreturn]] void Fail(int err)
    {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temp.empty()) ::unlink(temp.c_str());
        temp.clear();
        ThrowCannotCreate(userPath, ErrorText(err));
    }
};

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a path names once its links are followed, the last one included:
// a link is kept and what it points to replaced, even where that does not
// exist yet. Folders on the way are left as they are.
std::string FollowLinks(const std::string& path, const std::string& userPath)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n < 0) ThrowCannotCreate(userPath, ErrorText(errno));
        if (static_cast<std::size_t>(n) >= buffer.size()) ThrowCannotCreate(userPath, ErrorText(ENAMETOOLONG));
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        current = next.starts_with('/') ? next : FolderOf(current) + next;
    }
    ThrowCannotCreate(userPath, ErrorText(ELOOP));
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path) : state_(std::make_unique<State>())
{
    State& s = *state_;
    s.userPath = path;
    s.target = FollowLinks(path, path);
    struct stat st {};
    if (::stat(s.target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) ThrowCannotCreateNotARegularFile(path);
        // A file the user may not write stays as it is, as an open for
        // writing would leave it; the rename alone would not ask.
        if (::access(s.target.c_str(), W_OK) != 0) ThrowCannotCreate(path, ErrorText(errno));
        s.hadOld = true;
        s.oldMode = st.st_mode & 07777;
        s.oldOwner = st.st_uid;
        s.oldGroup = st.st_gid;
    } else if (errno != ENOENT) {
        ThrowCannotCreate(path, ErrorText(errno));
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = TemporaryPathBeside(s.target);
        // A new file only, never through a link; private until it is complete.
        // A new target gets what the user's mask gives a new file.
        s.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, s.hadOld ? 0600 : 0666);
        if (s.fd >= 0) {
            s.temp = temp;
            return;
        }
        if (errno != EEXIST) break;
    }
    s.Fail(errno);
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (!state_) return;
    if (state_->fd >= 0) ::close(state_->fd);
    if (!state_->temp.empty()) ::unlink(state_->temp.c_str());
}

void AtomicFileWriter::Write(std::string_view bytes)
{
    State& s = *state_;
    if (s.fd < 0) ThrowCannotCreate(s.userPath, ErrorText(EBADF));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(s.fd, bytes.data() + done, bytes.size() - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            s.Fail(errno);
        }
        if (w == 0) s.Fail(ENOSPC);
        done += static_cast<std::size_t>(w);
    }
}

void AtomicFileWriter::Commit()
{
    State& s = *state_;
    if (s.fd < 0) ThrowCannotCreate(s.userPath, ErrorText(EBADF));
    if (s.hadOld) {
        // The owner where the system allows it (a file of another user in a
        // shared folder); the permissions in any case.
        struct stat st {};
        if (::fstat(s.fd, &st) == 0 && (st.st_uid != s.oldOwner || st.st_gid != s.oldGroup))
            (void)!::fchown(s.fd, s.oldOwner, s.oldGroup);
        if (::fchmod(s.fd, s.oldMode) != 0) s.Fail(errno);
    }
    // On disk before the rename: a crash then leaves the old file or the new,
    // never a new name over bytes not yet written. Some file systems cannot
    // flush (EINVAL): their writes are already where they go.
    if (::fsync(s.fd) != 0 && errno != EINVAL) s.Fail(errno);
    const int fd = s.fd;
    s.fd = -1;
    if (::close(fd) != 0) s.Fail(errno);
    if (::rename(s.temp.c_str(), s.target.c_str()) != 0) s.Fail(errno);
    s.temp.clear();
    // The rename itself on disk; where the folder cannot be flushed the
    // file is complete all the same.
    const std::string folder = FolderOf(s.target);
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

}  // namespace ql::platform
