#include "archive/zip_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "archive/count_entry.h"
#include "archive/zip_decode.h"
#include "archive/zip_directory.h"
#include "archive/zip_errors.h"
#include "archive/zip_mask.h"
#include "base/query_limits.h"

namespace ql::zip {

void ZipReader::Open(std::unique_ptr<platform::ReadOnlyFile> file)
{
    Close();
    if (!file) return;  // nothing at the path: no entries
    entries_ = ReadEntryList(*file);
    file_ = std::move(file);
}

const ZipEntry* ZipReader::Find(std::string_view mask) const
{
    auto chosen =
        std::find_if(entries_.begin(), entries_.end(), [&](const ZipEntry& e) { return MatchesMask(e.Name, mask); });
    return chosen == entries_.end() ? nullptr : &*chosen;
}

void ZipReader::ExtractToStream(std::string_view mask, platform::LargeBuffer& out, ExtractProgress& progress)
{
    KeepEverything keep;
    ExtractToStream(mask, out, progress, keep);
}

bool ZipReader::ExtractToStream(std::string_view mask, platform::LargeBuffer& out, ExtractProgress& progress,
                                DecodeWatcher& watcher, Unwanted unwanted)
{
    progress.OnOverallProgress(0.0);
    const ZipEntry* chosen = Find(mask);
    if (!chosen || !file_) ThrowNotFound(std::string(mask));
    return ExtractEntry(static_cast<std::size_t>(chosen - entries_.data()), out, progress, watcher, unwanted);
}

void ZipReader::CountEntry(std::string_view mask, ExtractProgress& progress, DecodeWatcher& watcher)
{
    const ZipEntry* chosen = Find(mask);
    if (!chosen || !file_) ThrowNotFound(std::string(mask));
    CountDeflatedEntry(*file_, *chosen, progress, watcher);
}

bool ZipReader::ExtractEntry(std::size_t index, platform::LargeBuffer& out, ExtractProgress& progress,
                             DecodeWatcher& watcher, Unwanted unwanted)
{
    if (index >= entries_.size() || !file_) ThrowNotFound("#" + std::to_string(index));
    const ZipEntry& entry = entries_[index];
    // Refused before a byte is inflated; an entry that grows past what it
    // declares stops while inflating.
    if (entry.UncompressedSize > MaxQueryBytes) ThrowQueryTooLarge(entry.UncompressedSize);
    return DecodeEntry(*file_, entry, progress, out, watcher, unwanted);
}

void ZipReader::Close()
{
    file_.reset();
    entries_.clear();
    entries_.shrink_to_fit();
}

std::size_t MemoryFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count)
{
    if (count == 0 || offset >= bytes_.size()) return 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes_.size() - offset));
    std::memcpy(buffer, bytes_.data() + offset, n);
    return n;
}

}  // namespace ql::zip
