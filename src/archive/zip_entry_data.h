#pragma once
// Where an entry's compressed data lies in the archive file, how it is read
// and inflated piece by piece, and the most output it may produce: shared by
// the decoder that keeps an entry and the one that only counts it, so that
// both see the same pieces.

#include <cstddef>
#include <cstdint>

#include "archive/extract.h"
#include "archive/zip_entry.h"
#include "platform/platform.h"

namespace ql::zip {

inline constexpr std::size_t ReadChunk = 1 << 20;  // compressed bytes per read
inline constexpr std::size_t InflateChunk = 1 << 20;  // output per call into the inflater

// The gauge of one entry: its output so far against its declared size.
class EntryProgress {
public:
    EntryProgress(ExtractProgress& sink, std::uint64_t total) : sink_(sink), total_(total) {}
    void Report(std::uint64_t produced)
    {
        const double percent = total_ == 0 ? 0.0 : static_cast<double>(produced) / static_cast<double>(total_) * 100.0;
        sink_.OnFileProgress(percent);
        sink_.OnOverallProgress(percent);
    }
    void Done()
    {
        sink_.OnFileProgress(100.0);
        sink_.OnOverallProgress(100.0);
    }

private:
    ExtractProgress& sink_;
    std::uint64_t total_;
};

// Where the entry's data starts, from its local header; throws the check
// error when the header is missing.
std::uint64_t DataStart(platform::ReadOnlyFile& file, const ZipEntry& entry);

// The compressed bytes the file holds for the entry from `at` on: its
// compressed size, or less where the file ends early.
std::uint64_t AvailableData(const platform::ReadOnlyFile& file, const ZipEntry& entry, std::uint64_t at);

// The output's capacity: the declared size and one byte more, so that an
// entry longer than it claims shows at once. The declared size is outside
// input: no more is set aside than the `available` compressed bytes could
// produce. Throws std::bad_alloc when that does not fit in memory's addresses.
std::size_t OutputCapacity(const ZipEntry& entry, std::uint64_t available);

}  // namespace ql::zip
