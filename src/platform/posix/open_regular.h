#pragma once
// Opening a file for reading only when it is a regular file (POSIX).

#include <cstdint>
#include <string>

namespace ql::platform {

// A descriptor for reading the regular file at the path (links followed), or -1
// with errno set when it cannot be opened. A folder, device, FIFO or socket
// throws "Datei %s kann nicht geöffnet werden. Das ist keine gewöhnliche
// Datei, ..." at once: nothing waits on a FIFO without a writer.
int OpenRegularFile(const std::string& path);

// The regular file at the path opened for reading, closed when this goes, with
// its size as it was when opened. Throws as OpenRegularFile does, and "Datei
// %s kann nicht geöffnet werden. %s" when it cannot be opened or measured.
class OpenedRegularFile {
public:
    explicit OpenedRegularFile(const std::string& path);
    ~OpenedRegularFile();
    OpenedRegularFile(const OpenedRegularFile&) = delete;
    OpenedRegularFile& operator=(const OpenedRegularFile&) = delete;

    int Fd() const { return fd_; }
    std::uint64_t Size() const { return size_; }

private:
    int fd_;
    std::uint64_t size_ = 0;
};

}  // namespace ql::platform
