// Opening an archive by its path: the reader's one contact with the file system.

#include "archive/zip_reader.h"

namespace ql::zip {

void ZipReader::Open(const std::string& path)
{
    Open(platform::OpenReadOnly(path));
}

}  // namespace ql::zip
