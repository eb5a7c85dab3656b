#include "archive/extract.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "archive/zip_reader.h"
#include "base/line_count.h"
#include "base/query_limits.h"

namespace ql {

namespace {

// Passes the reader's progress on and counts the line breaks of the text made
// so far: an entry with more lines than a query of its size may have stops
// while it inflates, not after a gigabyte of line breaks.
class LineCountingProgress : public ExtractProgress {
public:
    LineCountingProgress(ExtractProgress& sink, const platform::LargeBuffer& text, std::uint64_t declared)
        : sink_(sink), text_(text), declared_(declared)
    {
    }

    void OnFileProgress(double percent) override
    {
        CountNewBreaks();
        sink_.OnFileProgress(percent);
    }
    void OnOverallProgress(double percent) override { sink_.OnOverallProgress(percent); }

private:
    void CountNewBreaks()
    {
        const std::size_t end = text_.Size();
        if (end <= counted_) return;
        // A CR LF pair counts once: its LF is counted, a CR only when no LF follows
        // (a pair split between two pieces counts twice, which changes nothing here).
        breaks_ += CountLineBreaks(text_.Data() + counted_, text_.Data() + end);
        counted_ = end;
        if (breaks_ > MaxQueryLines(declared_) + 1) ThrowTooManyLines(declared_);
    }

    ExtractProgress& sink_;
    const platform::LargeBuffer& text_;
    std::uint64_t declared_;
    std::size_t counted_ = 0;
    std::uint64_t breaks_ = 0;
};

}  // namespace

platform::LargeBuffer ExtractFirstGpx(const std::string& archivePath, ExtractProgress& progress)
{
    zip::ZipReader archiver;  // closed on every path when it goes out of scope
    archiver.Open(archivePath);
    platform::LargeBuffer buffer;
    const zip::ZipEntry* entry = archiver.Find("*.gpx");
    LineCountingProgress counting(progress, buffer, entry ? entry->UncompressedSize : 0);
    archiver.ExtractToStream("*.gpx", buffer, counting);
    archiver.Close();
    return buffer;
}

}  // namespace ql
