#include "archive/zip_decode.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <zlib.h>

#include "archive/decode_output.h"
#include "archive/zip_entry_data.h"
#include "archive/zip_errors.h"
#include "archive/zip_format.h"

namespace ql::zip {

namespace {

constexpr std::size_t StoredPiece = 65535;  // output per progress step of a stored entry

// Both return false when they stopped because the bytes were given up
// (Unwanted::Stop), true once the entry's data is decoded.
bool CopyStored(platform::ReadOnlyFile& file, const ZipEntry& entry, std::uint64_t at, EntryProgress& progress,
                DecodeOutput& out, Unwanted unwanted)
{
    std::uint64_t remaining = entry.CompressedSize;
    while (remaining > 0) {
        const DecodeOutput::Room room = out.Next(ReadChunk);
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, room.Size));
        if (want == 0) ThrowCheckFailed();  // more than the entry claims
        const std::size_t got = file.ReadAt(at, room.At, want);
        for (std::size_t done = 0; done < got;) {
            const std::size_t piece = std::min(StoredPiece, got - done);
            out.Took(piece);
            out.Hand();
            if (unwanted == Unwanted::Stop && !out.Wanted()) return false;
            done += piece;
            progress.Report(out.Produced());
        }
        if (got < want) ThrowCheckFailed();  // the data ends early
        at += got;
        remaining -= got;
    }
    return true;
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

// Inflates the entry; its last piece is not yet handed on when it returns.
bool Inflate(platform::ReadOnlyFile& file, const ZipEntry& entry, std::uint64_t at, EntryProgress& progress,
             DecodeOutput& out, Unwanted unwanted)
{
    Inflater inflater;
    z_stream& zs = inflater.stream();
    std::vector<unsigned char> in(static_cast<std::size_t>(std::min<std::uint64_t>(entry.CompressedSize, ReadChunk)));
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
        out.Hand();
        if (unwanted == Unwanted::Stop && !out.Wanted()) return false;
        progress.Report(out.Produced());
        const DecodeOutput::Room room = out.Next(InflateChunk);
        if (room.Size == 0) ThrowCheckFailed();  // more than the entry claims
        zs.next_out = reinterpret_cast<Bytef*>(room.At);
        zs.avail_out = static_cast<uInt>(room.Size);
        const int rc = inflate(&zs, Z_NO_FLUSH);
        out.Took(room.Size - zs.avail_out);
        if (rc == Z_STREAM_END) return true;
        if (rc == Z_MEM_ERROR) throw std::bad_alloc();
        if (rc == Z_OK) continue;
        if (rc == Z_BUF_ERROR && (zs.avail_in > 0 || remaining > 0)) continue;
        ThrowCheckFailed();  // a broken stream, or compressed data that ends early
    }
}

}  // namespace

bool DecodeEntry(platform::ReadOnlyFile& file, const ZipEntry& entry, ExtractProgress& progress,
                 platform::LargeBuffer& out, DecodeWatcher& watcher, Unwanted unwanted)
{
    if (entry.Method == MethodDeflate64) ThrowDeflate64();
    if (entry.Method != MethodStored && entry.Method != MethodDeflated) ThrowCheckFailed();
    if (entry.Flags & 0x0001) ThrowCheckFailed();  // encrypted: not decrypted here

    const std::uint64_t at = DataStart(file, entry);
    const std::uint64_t available = AvailableData(file, entry, at);
    DecodeOutput output(out, OutputCapacity(entry, available), entry.UncompressedSize, watcher);

    EntryProgress report(progress, entry.UncompressedSize);
    const bool decoded = entry.Method == MethodStored ? CopyStored(file, entry, at, report, output, unwanted)
                                                      : Inflate(file, entry, at, report, output, unwanted);
    if (!decoded) {
        out = platform::LargeBuffer();
        return false;
    }
    if (output.Produced() != entry.UncompressedSize || output.Crc() != entry.Crc32) ThrowCheckFailed();
    output.Hand();
    report.Done();
    return output.Kept();
}

}  // namespace ql::zip
