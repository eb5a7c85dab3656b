#pragma once
// The entry list of an archive: from the central directory, or rebuilt from the
// local headers when the directory is missing or damaged.

#include <vector>

#include "archive/zip_entry.h"
#include "platform/platform.h"

namespace ql::zip {

// Entries in central-directory order, or in file order when rebuilt. Throws the
// invalid-archive error when neither finds an entry header.
std::vector<ZipEntry> ReadEntryList(platform::ReadOnlyFile& file);

// The rebuild on its own: every local file header with 30 bytes after it, in
// file order; empty when there is none.
std::vector<ZipEntry> ScanLocalHeaders(platform::ReadOnlyFile& file);

}  // namespace ql::zip
