#include "archive/extract.h"

#include "archive/query_entry_watch.h"
#include "archive/zip_reader.h"
#include "base/query_limits.h"

namespace ql {

platform::LargeBuffer ExtractFirstGpx(const std::string& archivePath, ExtractProgress& progress)
{
    zip::ZipReader archiver;  // closed on every path when it goes out of scope
    archiver.Open(archivePath);
    platform::LargeBuffer buffer;
    const zip::ZipEntry* entry = archiver.Find("*.gpx");
    const std::uint64_t declared = entry ? entry->UncompressedSize : 0;
    QueryEntryWatch watch(declared, QueryEntryWatch::Bytes::MayGiveUp);
    if (!archiver.ExtractToStream("*.gpx", buffer, progress, watch)) {
        // The text looked too large to repair, and was only counted to its end
        // (and checked): a stray byte reads as the three bytes of U+FFFD.
        if (watch.RepairedSize() > MaxQueryBytes) ThrowQueryTooLarge(watch.RepairedSize());
        // The guess was wrong (the rest was valid): decoded again, kept.
        QueryEntryWatch again(declared, QueryEntryWatch::Bytes::KeepAll);
        archiver.ExtractToStream("*.gpx", buffer, progress, again);
    }
    archiver.Close();
    return buffer;
}

}  // namespace ql
