#pragma once
// Counting a deflated entry without keeping it, with the decoder beside zlib
// that keeps nothing: fast where zlib is slow (long runs of one byte), used
// only to refuse an entry early.

#include "archive/extract.h"
#include "archive/zip_decode.h"
#include "archive/zip_entry.h"
#include "platform/platform.h"

namespace ql::zip {

// Hands the entry's decoded bytes to `watcher` in the very pieces DecodeEntry
// would hand it, each piece only when zlib would have returned it without an
// error, and reports progress after each. What the watcher throws (a
// refusal) passes through; its answers are not asked. Returns without a word
// wherever it cannot stand in for zlib: at the stream's last piece (not
// handed: the size and CRC-32 are checked first there), a broken or cut
// stream, output past the declared size, a stored or encrypted entry. The
// caller then decodes the entry with zlib, which decides.
void CountDeflatedEntry(platform::ReadOnlyFile& file, const ZipEntry& entry, ExtractProgress& progress,
                        DecodeWatcher& watcher);

}  // namespace ql::zip
