// A whole file written for the user in one call, through the writer.

#include "platform/platform.h"

namespace ql::platform {

void WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    AtomicFileWriter writer(path);
    writer.Write(bytes);
    writer.Commit();
}

}  // namespace ql::platform
