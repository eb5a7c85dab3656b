// Renaming a file over another on POSIX systems.

#include <cerrno>
#include <cstdio>

#include "base/user_error.h"
#include "platform/platform.h"

namespace ql::platform {

void RenameReplacing(const std::string& from, const std::string& to)
{
    // rename() replaces the target in one step within one file system.
    if (std::rename(from.c_str(), to.c_str()) != 0) ThrowCannotCreate(to, ErrorText(errno));
}

}  // namespace ql::platform
