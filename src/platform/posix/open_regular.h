#pragma once
// Opening a file for reading only when it is a regular file (POSIX).

#include <string>

namespace ql::platform {

// A descriptor for reading the regular file at the path (links followed), or -1
// with errno set when it cannot be opened. A folder, device, FIFO or socket
// throws "Datei %s kann nicht geöffnet werden. Das ist keine gewöhnliche
// Datei, ..." at once: nothing waits on a FIFO without a writer.
int OpenRegularFile(const std::string& path);

}  // namespace ql::platform
