#include "archive/count_entry.h"

#include <algorithm>

#include "archive/piece_inflater.h"
#include "archive/piece_queue.h"
#include "archive/zip_entry_data.h"
#include "archive/zip_format.h"
#include "base/task_beside.h"

namespace ql::zip {

namespace {

// Pieces decoded ahead of the counting, waiting for it.
constexpr std::size_t QueuedPieces = 3;

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

// Hands each piece to the watcher and reports the progress.
class PieceCounter {
public:
    PieceCounter(const ZipEntry& entry, ExtractProgress& progress, DecodeWatcher& watcher)
            : declared_(entry.UncompressedSize), progress_(progress), watcher_(watcher)
    {
    }
    // False once the pieces go past the declared size: zlib's path fails its
    // size check before it hands such a piece on.
    bool Count(const char* data, std::size_t n)
    {
        produced_ += n;
        if (produced_ > declared_) return false;
        (void)watcher_.OnPiece(data, n);
        const double percent =
            declared_ == 0 ? 0.0 : static_cast<double>(produced_) / static_cast<double>(declared_) * 100.0;
        progress_.OnFileProgress(percent);
        progress_.OnOverallProgress(percent);
        return true;
    }

private:
    std::uint64_t declared_;
    ExtractProgress& progress_;
    DecodeWatcher& watcher_;
    std::uint64_t produced_ = 0;
};

// The last piece is never counted: zlib's path checks the size and the CRC-32 first.
class CountingSink : public PieceSink {
public:
    explicit CountingSink(PieceCounter& counter) : counter_(counter) {}
    bool TakePiece(const char* data, std::size_t n, bool last) override { return !last && counter_.Count(data, n); }

private:
    PieceCounter& counter_;
};

class QueueSink : public PieceSink {
public:
    explicit QueueSink(PieceQueue& queue) : queue_(queue) {}
    bool TakePiece(const char* data, std::size_t n, bool last) override { return !last && queue_.Push(data, n); }

private:
    PieceQueue& queue_;
};

}  // namespace

void CountDeflatedEntry(platform::ReadOnlyFile& file, const ZipEntry& entry, ExtractProgress& progress,
                        DecodeWatcher& watcher)
{
    if (entry.Method != MethodDeflated || (entry.Flags & 0x0001) != 0) return;
    const std::uint64_t at = DataStart(file, entry);
    const std::uint64_t available = AvailableData(file, entry, at);
    EntryInput input(file, at, entry.CompressedSize);
    const PieceSizes sizes{static_cast<std::size_t>(std::min<std::uint64_t>(entry.CompressedSize, ReadChunk)),
                           InflateChunk, OutputCapacity(entry, available)};
    PieceCounter counter(entry, progress, watcher);

    // Decoded on a second thread while this one counts (and reports, and
    // throws the refusal).
    PieceQueue queue(QueuedPieces, sizes.Room);
    TaskBeside decoding([&] {
        struct FinishOnExit {
            PieceQueue& queue;
            ~FinishOnExit() { queue.Finish(); }
        } finish{queue};
        QueueSink sink(queue);
        (void)InflateInPieces(input, sizes, sink);
    });
    if (!decoding.Beside()) {
        // No second thread to be had: both here, one after the other.
        CountingSink sink(counter);
        (void)InflateInPieces(input, sizes, sink);
        return;
    }
    struct CloseOnExit {
        PieceQueue& queue;
        ~CloseOnExit() { queue.Close(); }  // a refusal thrown here stops the decoding
    } close{queue};
    while (const std::optional<std::string_view> piece = queue.Front()) {
        if (!counter.Count(piece->data(), piece->size())) break;
        queue.Pop();
    }
    queue.Close();
    decoding.Wait();
}

}  // namespace ql::zip
