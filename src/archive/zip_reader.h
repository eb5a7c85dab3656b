#pragma once
// The ZIP reader: open an archive for reading, extract the first entry that
// passes a name mask into memory, close.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/extract.h"
#include "archive/zip_decode.h"
#include "archive/zip_entry.h"
#include "platform/platform.h"

namespace ql::zip {

class ZipReader {
public:
    // Opens the file for reading and reads its entry list. A path that names no
    // file gives an archive without entries; a file that exists but cannot be
    // opened throws the file layer's error; no entry header: the invalid-archive error.
    void Open(const std::string& path);
    // The same over an already opened file (bytes in memory, for instance).
    void Open(std::unique_ptr<platform::ReadOnlyFile> file);

    const std::vector<ZipEntry>& Entries() const { return entries_; }

    // The first entry passing the mask, the one ExtractToStream decodes; nullptr for none.
    const ZipEntry* Find(std::string_view mask) const;

    // Decodes the entry at `index` of Entries() into `out` (a new buffer), as
    // ExtractToStream does with the entry it chose; an entry is read as itself
    // whatever its name. Returns what DecodeEntry returns.
    bool ExtractEntry(std::size_t index, platform::LargeBuffer& out, ExtractProgress& progress, DecodeWatcher& watcher,
                      Unwanted unwanted = Unwanted::CountOn);

    // Decodes the first entry passing the mask into `out` (a new buffer).
    // Reports overall progress 0 before the lookup; throws the not-found error
    // when no entry passes.
    void ExtractToStream(std::string_view mask, platform::LargeBuffer& out, ExtractProgress& progress);
    // The same with a watcher over the decoded bytes (DecodeEntry): false
    // when it stopped wanting them and `out` is empty.
    bool ExtractToStream(std::string_view mask, platform::LargeBuffer& out, ExtractProgress& progress,
                         DecodeWatcher& watcher, Unwanted unwanted = Unwanted::CountOn);

    // Hands the first entry passing the mask to `watcher` without keeping
    // it, with the decoder that only counts (CountDeflatedEntry): returns
    // unless the watcher throws. Throws the not-found error when no entry passes.
    void CountEntry(std::string_view mask, ExtractProgress& progress, DecodeWatcher& watcher);

    // Releases the file and the entry list; harmless when nothing is open.
    void Close();

private:
    std::unique_ptr<platform::ReadOnlyFile> file_;
    std::vector<ZipEntry> entries_;
};

// A read-only file over bytes held in memory.
class MemoryFile : public platform::ReadOnlyFile {
public:
    explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override;

private:
    std::string bytes_;
};

}  // namespace ql::zip
