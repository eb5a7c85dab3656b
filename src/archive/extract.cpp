#include "archive/extract.h"

#include "archive/zip_reader.h"

namespace ql {

platform::LargeBuffer ExtractFirstGpx(const std::string& archivePath, ExtractProgress& progress)
{
    zip::ZipReader archiver;  // closed on every path when it goes out of scope
    archiver.Open(archivePath);
    platform::LargeBuffer buffer;
    archiver.ExtractToStream("*.gpx", buffer, progress);
    archiver.Close();
    return buffer;
}

}  // namespace ql
