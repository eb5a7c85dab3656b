#include "archive/extract.h"

#include <algorithm>

#include "archive/query_entry_watch.h"
#include "archive/zip_reader.h"
#include "base/query_limits.h"

namespace ql {

namespace {

// The gauge never moves back while the entry is decoded a second time.
class ForwardProgress : public ExtractProgress {
public:
    explicit ForwardProgress(ExtractProgress& sink) : sink_(sink) {}
    void OnFileProgress(double percent) override
    {
        file_ = std::max(file_, percent);
        sink_.OnFileProgress(file_);
    }
    void OnOverallProgress(double percent) override
    {
        overall_ = std::max(overall_, percent);
        sink_.OnOverallProgress(overall_);
    }

private:
    ExtractProgress& sink_;
    double file_ = 0;
    double overall_ = 0;
};

}  // namespace

platform::LargeBuffer ExtractFirstGpx(const std::string& archivePath, ExtractProgress& progress)
{
    zip::ZipReader archiver;  // closed on every path when it goes out of scope
    archiver.Open(archivePath);
    platform::LargeBuffer buffer;
    const zip::ZipEntry* entry = archiver.Find("*.gpx");
    const std::uint64_t declared = entry ? entry->UncompressedSize : 0;
    QueryEntryWatch watch(declared, QueryEntryWatch::Bytes::MayGiveUp);
    if (!archiver.ExtractToStream("*.gpx", buffer, progress, watch, zip::Unwanted::Stop)) {
        ForwardProgress forward(progress);
        // The text looks too large to repair. Counted from its start by the
        // decoder that keeps nothing, it is refused where its repaired size
        // passes the limit (or its lines do), in a fraction of zlib's time.
        QueryEntryWatch counted(declared, QueryEntryWatch::Bytes::MayGiveUp);
        archiver.CountEntry("*.gpx", forward, counted);
        // Not refused there (the text ends first, or that decoder leaves the
        // stream to zlib): zlib counts it to its end (and checks it), a stray
        // byte reading as the three bytes of U+FFFD.
        QueryEntryWatch whole(declared, QueryEntryWatch::Bytes::MayGiveUp);
        if (!archiver.ExtractToStream("*.gpx", buffer, forward, whole)) {
            if (whole.RepairedSize() > MaxQueryBytes) ThrowQueryTooLarge(whole.RepairedSize());
            // The guess was wrong (the rest was valid): decoded again, kept.
            QueryEntryWatch again(declared, QueryEntryWatch::Bytes::KeepAll);
            archiver.ExtractToStream("*.gpx", buffer, forward, again);
        }
    }
    archiver.Close();
    return buffer;
}

}  // namespace ql
