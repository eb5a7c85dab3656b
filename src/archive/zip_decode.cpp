#include "archive/zip_decode.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include <zlib.h>

#include "archive/zip_errors.h"
#include "archive/zip_format.h"

namespace ql::zip {

namespace {

constexpr std::size_t ReadChunk = 1 << 20;      // compressed bytes per read
constexpr std::size_t InflateChunk = 1 << 20;   // output per call into the inflater
constexpr std::size_t StoredPiece = 65535;      // output per progress step of a stored entry
// The output's pages are made present this far ahead of what is written, many
// in one call rather than a fault each, and never far beyond what the entry
// really holds (its declared size is outside input).
constexpr std::size_t PopulateAhead = std::size_t{16} << 20;
constexpr std::uint64_t DeflateMaxRatio = 1032;

class Progress {
public:
    Progress(ExtractProgress& sink, std::uint64_t total) : sink_(sink), total_(total) {}
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

// Where the entry's data starts, from its local header.
std::uint64_t DataStart(platform::ReadOnlyFile& file, const ZipEntry& entry)
{
    unsigned char h[LocalHeaderSize];
    if (file.ReadAt(entry.LocalHeaderOffset, h, sizeof h) != sizeof h) ThrowCheckFailed();
    if (Get32(h) != LocalHeaderSignature) ThrowCheckFailed();
    return entry.LocalHeaderOffset + LocalHeaderSize + Get16(h + 26) + Get16(h + 28);
}

// The output buffer: the declared size and one byte more, so that an entry
// longer than it claims shows at once. The declared size is outside input:
// no more is set aside than the compressed bytes present in the file could
// produce. The system hands out its pages only as the inflater fills them.
platform::LargeBuffer OutputBuffer(const ZipEntry& entry, std::uint64_t available)
{
    const std::uint64_t ratio = entry.Method == MethodStored ? 1 : DeflateMaxRatio;
    const std::uint64_t bound = available > UINT64_MAX / ratio ? UINT64_MAX : available * ratio;
    const std::uint64_t want = std::min(entry.UncompressedSize, bound) + 1;
    if (want > SIZE_MAX) throw std::bad_alloc();
    return platform::LargeBuffer(static_cast<std::size_t>(want));
}

std::uint32_t Crc(std::uint32_t crc, const char* data, std::size_t n)
{
    return static_cast<std::uint32_t>(crc32_z(crc, reinterpret_cast<const Bytef*>(data), n));
}

// Room for the next piece of output: never more than `chunk`, nor past the
// buffer's end (one byte past the declared size).
std::size_t Room(const platform::LargeBuffer& out, std::uint64_t produced, std::size_t chunk)
{
    const std::uint64_t left = out.Capacity() - produced;
    return left >= chunk ? chunk : static_cast<std::size_t>(left);
}

// Makes the output's pages present up to `upTo` and PopulateAhead beyond,
// when the pages already present end before `upTo`.
void PopulateUpTo(platform::LargeBuffer& out, std::uint64_t upTo, std::uint64_t& populated)
{
    if (upTo <= populated) return;
    populated = std::min<std::uint64_t>(upTo + PopulateAhead, out.Capacity());
    out.Populate(static_cast<std::size_t>(populated));
}

std::uint64_t CopyStored(platform::ReadOnlyFile& file, const ZipEntry& entry, std::uint64_t at,
                         Progress& progress, platform::LargeBuffer& out, std::uint32_t& crc)
{
    std::uint64_t produced = 0, populated = 0;
    std::uint64_t remaining = entry.CompressedSize;
    while (remaining > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(remaining, Room(out, produced, ReadChunk)));
        if (want == 0) ThrowCheckFailed();  // more than the entry claims
        PopulateUpTo(out, produced + want, populated);
        const std::size_t got = file.ReadAt(at, out.Data() + produced, want);
        for (std::size_t done = 0; done < got;) {
            const std::size_t piece = std::min(StoredPiece, got - done);
            crc = Crc(crc, out.Data() + produced, piece);
            produced += piece;
            done += piece;
            out.SetSize(static_cast<std::size_t>(produced));
            if (produced > entry.UncompressedSize) ThrowCheckFailed();
            progress.Report(produced);
        }
        if (got < want) ThrowCheckFailed();  // the data ends early
        at += got;
        remaining -= got;
    }
    return produced;
}

class Inflater {
public:
    Inflater()
    {
        const int rc = inflateInit2(&zs_, -MAX_WBITS);
        if (rc == Z_MEM_ERROR) throw std::bad_alloc();
        if (rc != Z_OK) ThrowCheckFailed();
    }
    ~Inflater() { inflateEnd(&zs_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream& stream() { return zs_; }

private:
    z_stream zs_{};
};

std::uint64_t Inflate(platform::ReadOnlyFile& file, const ZipEntry& entry, std::uint64_t at,
                      Progress& progress, platform::LargeBuffer& out, std::uint32_t& crc)
{
    Inflater inflater;
    z_stream& zs = inflater.stream();
    std::vector<unsigned char> in(static_cast<std::size_t>(std::min<std::uint64_t>(entry.CompressedSize, ReadChunk)));
    std::uint64_t produced = 0, populated = 0;
    std::uint64_t remaining = entry.CompressedSize;
    for (;;) {
        if (zs.avail_in == 0 && remaining > 0) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, in.size()));
            const std::size_t got = file.ReadAt(at, in.data(), want);
            at += got;
            remaining = got < want ? 0 : remaining - got;  // a short read: the file ends here
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(got);
        }
        progress.Report(produced);
        const std::size_t room = Room(out, produced, InflateChunk);
        if (room == 0) ThrowCheckFailed();  // more than the entry claims
        PopulateUpTo(out, produced + room, populated);
        zs.next_out = reinterpret_cast<Bytef*>(out.Data() + produced);
        zs.avail_out = static_cast<uInt>(room);
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const std::size_t made = room - zs.avail_out;
        crc = Crc(crc, out.Data() + produced, made);
        produced += made;
        out.SetSize(static_cast<std::size_t>(produced));
        if (produced > entry.UncompressedSize) ThrowCheckFailed();  // more than the entry claims
        if (rc == Z_STREAM_END) return produced;
        if (rc == Z_MEM_ERROR) throw std::bad_alloc();
        if (rc == Z_OK) continue;
        if (rc == Z_BUF_ERROR && (zs.avail_in > 0 || remaining > 0)) continue;
        ThrowCheckFailed();  // a broken stream, or compressed data that ends early
    }
}

}  // namespace

void DecodeEntry(platform::ReadOnlyFile& file, const ZipEntry& entry, ExtractProgress& progress,
                 platform::LargeBuffer& out)
{
    if (entry.Method == MethodDeflate64) ThrowDeflate64();
    if (entry.Method != MethodStored && entry.Method != MethodDeflated) ThrowCheckFailed();
    if (entry.Flags & 0x0001) ThrowCheckFailed();  // encrypted: not decrypted here

    const std::uint64_t at = DataStart(file, entry);
    const std::uint64_t available = at < file.Size() ? std::min(entry.CompressedSize, file.Size() - at) : 0;
    out = OutputBuffer(entry, available);

    Progress report(progress, entry.UncompressedSize);
    std::uint32_t crc = Crc(0, nullptr, 0);
    const std::uint64_t produced = entry.Method == MethodStored
                                       ? CopyStored(file, entry, at, report, out, crc)
                                       : Inflate(file, entry, at, report, out, crc);
    if (produced != entry.UncompressedSize || crc != entry.Crc32) ThrowCheckFailed();
    report.Done();
}

}  // namespace ql::zip
