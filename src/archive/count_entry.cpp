#include "archive/count_entry.h"

#include <algorithm>

#include "archive/piece_inflater.h"
#include "archive/zip_entry_data.h"
#include "archive/zip_format.h"

namespace ql::zip {

namespace {

// The entry's compressed bytes, read as DecodeEntry reads them: the same
// offsets and sizes, ending at the first short read.
class EntryInput : public DeflateInput {
public:
    EntryInput(platform::ReadOnlyFile& file, std::uint64_t at, std::uint64_t size)
            : file_(file), at_(at), remaining_(size)
    {
    }
    std::size_t Read(unsigned char* to, std::size_t n) override
    {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, n));
        if (want == 0) return 0;
        const std::size_t got = file_.ReadAt(at_, to, want);
        at_ += got;
        remaining_ = got < want ? 0 : remaining_ - got;
        return got;
    }

private:
    platform::ReadOnlyFile& file_;
    std::uint64_t at_;
    std::uint64_t remaining_;
};

class WatchedPieces : public PieceSink {
public:
    WatchedPieces(const ZipEntry& entry, ExtractProgress& progress, DecodeWatcher& watcher)
            : declared_(entry.UncompressedSize), progress_(progress, entry.UncompressedSize), watcher_(watcher)
    {
    }
    bool TakePiece(const char* data, std::size_t n, bool last) override
    {
        if (last) return false;
        produced_ += n;
        if (produced_ > declared_) return false;  // zlib's path fails the size check before handing it on
        (void)watcher_.OnPiece(data, n);
        progress_.Report(produced_);
        return true;
    }

private:
    std::uint64_t declared_;
    EntryProgress progress_;
    DecodeWatcher& watcher_;
    std::uint64_t produced_ = 0;
};

}  // namespace

void CountDeflatedEntry(platform::ReadOnlyFile& file, const ZipEntry& entry, ExtractProgress& progress,
                        DecodeWatcher& watcher)
{
    if (entry.Method != MethodDeflated || (entry.Flags & 0x0001) != 0) return;
    const std::uint64_t at = DataStart(file, entry);
    const std::uint64_t available = AvailableData(file, entry, at);
    EntryInput input(file, at, entry.CompressedSize);
    WatchedPieces sink(entry, progress, watcher);
    const PieceSizes sizes{static_cast<std::size_t>(std::min<std::uint64_t>(entry.CompressedSize, ReadChunk)),
                           InflateChunk, OutputCapacity(entry, available)};
    (void)InflateInPieces(input, sizes, sink);
}

}  // namespace ql::zip
