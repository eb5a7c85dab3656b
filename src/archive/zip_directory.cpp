#include "archive/zip_directory.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "archive/zip_errors.h"
#include "archive/zip_format.h"

namespace ql::zip {

namespace {

constexpr std::size_t ScanChunk = 1 << 20;

struct DirectoryPlace {
    std::uint64_t Entries = 0;
    std::uint64_t Size = 0;
    std::uint64_t Offset = 0;
};

bool ReadExactly(platform::ReadOnlyFile& file, std::uint64_t offset, void* buffer, std::size_t count)
{
    return file.ReadAt(offset, buffer, count) == count;
}

// The Zip64 end record named by the locator just before the end record, if any.
void ApplyZip64(platform::ReadOnlyFile& file, std::uint64_t endPos, DirectoryPlace& place)
{
    if (endPos < Zip64LocatorSize) return;
    unsigned char loc[Zip64LocatorSize];
    if (!ReadExactly(file, endPos - Zip64LocatorSize, loc, sizeof loc)) return;
    if (Get32(loc) != Zip64LocatorSignature) return;
    unsigned char rec[Zip64EndRecordSize];
    if (!ReadExactly(file, Get64(loc + 8), rec, sizeof rec)) return;
    if (Get32(rec) != Zip64EndRecordSignature) return;
    place.Entries = Get64(rec + 32);
    place.Size = Get64(rec + 40);
    place.Offset = Get64(rec + 48);
}

// The last end record within the search span at the end of the file.
std::optional<DirectoryPlace> FindDirectory(platform::ReadOnlyFile& file)
{
    const std::uint64_t size = file.Size();
    if (size < EndRecordSize) return std::nullopt;
    const std::size_t span = static_cast<std::size_t>(std::min<std::uint64_t>(size, EndRecordSearchSpan));
    const std::uint64_t start = size - span;
    std::vector<unsigned char> tail(span);
    if (!ReadExactly(file, start, tail.data(), span)) return std::nullopt;
    for (std::size_t i = span - EndRecordSize + 1; i-- > 0;) {
        if (Get32(&tail[i]) != EndRecordSignature) continue;
        const unsigned char* rec = &tail[i];
        DirectoryPlace place;
        place.Entries = Get16(rec + 10);
        place.Size = Get32(rec + 12);
        place.Offset = Get32(rec + 16);
        ApplyZip64(file, start + i, place);
        return place;
    }
    return std::nullopt;
}

// The Zip64 extra field replaces those sizes and offsets whose 32-bit field is all ones.
void ApplyZip64Extra(const unsigned char* extra, std::size_t length, ZipEntry& e, bool withOffset)
{
    std::size_t pos = 0;
    while (pos + 4 <= length) {
        const std::uint16_t id = Get16(extra + pos);
        const std::size_t size = Get16(extra + pos + 2);
        pos += 4;
        if (size > length - pos) return;
        if (id == Zip64ExtraId) {
            const unsigned char* p = extra + pos;
            const unsigned char* end = p + size;
            auto take = [&](std::uint64_t& field) {
                if (field != Zip64Marker32) return;
                if (end - p < 8) return;
                field = Get64(p);
                p += 8;
            };
            take(e.UncompressedSize);
            take(e.CompressedSize);
            if (withOffset) take(e.LocalHeaderOffset);
            return;
        }
        pos += size;
    }
}

std::optional<std::vector<ZipEntry>> ReadCentralDirectory(platform::ReadOnlyFile& file, const DirectoryPlace& place)
{
    const std::uint64_t size = file.Size();
    if (place.Offset > size || place.Size > size - place.Offset) return std::nullopt;
    if (place.Entries > place.Size / CentralHeaderSize) return std::nullopt;
    std::vector<unsigned char> dir(static_cast<std::size_t>(place.Size));
    if (!ReadExactly(file, place.Offset, dir.data(), dir.size())) return std::nullopt;

    std::vector<ZipEntry> entries;
    entries.reserve(static_cast<std::size_t>(place.Entries));
    std::size_t pos = 0;
    for (std::uint64_t k = 0; k < place.Entries; ++k) {
        if (dir.size() - pos < CentralHeaderSize) return std::nullopt;
        const unsigned char* h = dir.data() + pos;
        if (Get32(h) != CentralHeaderSignature) return std::nullopt;
        const std::size_t nameLen = Get16(h + 28), extraLen = Get16(h + 30), commentLen = Get16(h + 32);
        if (dir.size() - pos - CentralHeaderSize < nameLen + extraLen + commentLen) return std::nullopt;
        ZipEntry e;
        e.Flags = Get16(h + 8);
        e.Method = Get16(h + 10);
        e.Crc32 = Get32(h + 16);
        e.CompressedSize = Get32(h + 20);
        e.UncompressedSize = Get32(h + 24);
        e.LocalHeaderOffset = Get32(h + 42);
        e.Name.assign(reinterpret_cast<const char*>(h + CentralHeaderSize), nameLen);
        ApplyZip64Extra(h + CentralHeaderSize + nameLen, extraLen, e, true);
        entries.push_back(std::move(e));
        pos += CentralHeaderSize + nameLen + extraLen + commentLen;
    }
    return entries;
}

// The file read forward in windows: every byte is read once however many
// signatures lie in it.
class ForwardScan {
public:
    explicit ForwardScan(platform::ReadOnlyFile& file)
        : file_(file), window_(static_cast<std::size_t>(std::min<std::uint64_t>(ScanChunk, file.Size())))
    {
    }

    // Position of the next local header signature at or after `from`.
    std::optional<std::uint64_t> NextSignature(std::uint64_t from)
    {
        const std::uint64_t size = file_.Size();
        while (from + 4 <= size) {
            if (!Holds(from, 4) && !Load(from)) return std::nullopt;
            const std::size_t begin = static_cast<std::size_t>(from - start_);
            const unsigned char* data = window_.data();
            for (std::size_t i = begin; i + 4 <= held_;) {
                const void* hit = std::memchr(data + i, 'P', held_ - 3 - i);
                if (!hit) break;
                i = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - data);
                if (Get32(data + i) == LocalHeaderSignature) return start_ + i;
                ++i;
            }
            if (start_ + held_ >= size) return std::nullopt;
            from = start_ + held_ - 3;  // a signature may straddle two windows
        }
        return std::nullopt;
    }

    // `count` bytes at `at` copied to `out`; false when the file has fewer there.
    bool Read(std::uint64_t at, void* out, std::size_t count)
    {
        if (Holds(at, count)) {
            std::memcpy(out, window_.data() + (at - start_), count);
            return true;
        }
        return ReadExactly(file_, at, out, count);
    }

private:
    bool Holds(std::uint64_t at, std::size_t count) const
    {
        return at >= start_ && at - start_ <= held_ && held_ - (at - start_) >= count;
    }
    bool Load(std::uint64_t from)
    {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(window_.size(), file_.Size() - from));
        held_ = file_.ReadAt(from, window_.data(), want);
        start_ = from;
        return held_ >= 4;
    }

    platform::ReadOnlyFile& file_;
    std::vector<unsigned char> window_;
    std::uint64_t start_ = 0;
    std::size_t held_ = 0;
};

}  // namespace

std::vector<ZipEntry> ScanLocalHeaders(platform::ReadOnlyFile& file)
{
    // A header's name and extra field must lie within the file, and the next
    // header is looked for only after them: names never overlap, so the names
    // kept add up to no more than the file, and each byte is read once.
    std::vector<ZipEntry> entries;
    const std::uint64_t size = file.Size();
    ForwardScan scan(file);
    std::vector<unsigned char> extra(0xFFFF);
    std::uint64_t pos = 0;
    while (auto found = scan.NextSignature(pos)) {
        const std::uint64_t at = *found;
        if (size - at < LocalHeaderSize) break;  // no later header can have its 30 bytes either
        unsigned char h[LocalHeaderSize];
        if (!scan.Read(at, h, sizeof h)) break;
        const std::size_t nameLen = Get16(h + 26), extraLen = Get16(h + 28);
        const std::uint64_t dataStart = at + LocalHeaderSize + nameLen + extraLen;
        if (dataStart > size) {
            pos = at + 4;  // a header whose name runs past the end of the file is no header
            continue;
        }
        ZipEntry e;
        e.Flags = Get16(h + 6);
        e.Method = Get16(h + 8);
        e.Crc32 = Get32(h + 14);
        e.CompressedSize = Get32(h + 18);
        e.UncompressedSize = Get32(h + 22);
        e.LocalHeaderOffset = at;
        e.Name.resize(nameLen);
        if (!scan.Read(at + LocalHeaderSize, e.Name.data(), nameLen)) break;
        if (!scan.Read(at + LocalHeaderSize + nameLen, extra.data(), extraLen)) break;
        ApplyZip64Extra(extra.data(), extraLen, e, false);

        // Skip the entry's data when its size is known and lies within the file,
        // so that bytes inside stored data are not taken for headers.
        const bool sizeKnown = (e.Flags & 0x0008) == 0;
        const std::uint64_t compressed = e.CompressedSize;
        entries.push_back(std::move(e));
        if (sizeKnown && compressed <= size - dataStart)
            pos = dataStart + compressed;
        else
            pos = dataStart;
    }
    return entries;
}

std::vector<ZipEntry> ReadEntryList(platform::ReadOnlyFile& file)
{
    if (auto place = FindDirectory(file))
        if (auto entries = ReadCentralDirectory(file, *place)) return std::move(*entries);
    std::vector<ZipEntry> entries = ScanLocalHeaders(file);
    if (entries.empty()) ThrowInvalidArchive();
    return entries;
}

}  // namespace ql::zip
