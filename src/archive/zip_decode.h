#pragma once
// Decoding one entry (stored or deflated) into a memory buffer, with its checks.

#include <string>

#include "archive/extract.h"
#include "archive/zip_entry.h"
#include "platform/platform.h"

namespace ql::zip {

// Decodes the entry into `out`, a new buffer sized by the entry's declared
// size; after a failure it holds what was decoded up to there. Progress: for a stored entry after each
// piece of up to 65,535 bytes, for a deflated entry before each call into the
// inflater (file, then overall, in percent of the uncompressed size); after the
// checks both report 100. Throws the Deflate64 error for method 9 and the check
// error for any other method, an encrypted entry, broken or short data, a wrong
// size or CRC-32.
void DecodeEntry(platform::ReadOnlyFile& file, const ZipEntry& entry, ExtractProgress& progress,
                 platform::LargeBuffer& out);

}  // namespace ql::zip
