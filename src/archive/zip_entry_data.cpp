#include "archive/zip_entry_data.h"

#include <algorithm>
#include <new>

#include "archive/zip_errors.h"
#include "archive/zip_format.h"

namespace ql::zip {

namespace {

// Deflate turns two bits at best into 258 bytes.
constexpr std::uint64_t DeflateMaxRatio = 1032;

}  // namespace

std::uint64_t DataStart(platform::ReadOnlyFile& file, const ZipEntry& entry)
{
    unsigned char h[LocalHeaderSize];
    if (file.ReadAt(entry.LocalHeaderOffset, h, sizeof h) != sizeof h) ThrowCheckFailed();
    if (Get32(h) != LocalHeaderSignature) ThrowCheckFailed();
    return entry.LocalHeaderOffset + LocalHeaderSize + Get16(h + 26) + Get16(h + 28);
}

std::uint64_t AvailableData(const platform::ReadOnlyFile& file, const ZipEntry& entry, std::uint64_t at)
{
    return at < file.Size() ? std::min(entry.CompressedSize, file.Size() - at) : 0;
}

std::size_t OutputCapacity(const ZipEntry& entry, std::uint64_t available)
{
    const std::uint64_t ratio = entry.Method == MethodStored ? 1 : DeflateMaxRatio;
    const std::uint64_t bound = available > UINT64_MAX / ratio ? UINT64_MAX : available * ratio;
    const std::uint64_t want = std::min(entry.UncompressedSize, bound) + 1;
    if (want > SIZE_MAX) throw std::bad_alloc();
    return static_cast<std::size_t>(want);
}

}  // namespace ql::zip
