#pragma once
// Writes a ZIP archive holding one deflated entry, as the pocket-query
// service delivers a query.

#include <string>
#include <string_view>

namespace bench {

// Throws std::runtime_error when the file cannot be written or the entry is
// too large for a ZIP without Zip64 records.
void WriteSingleEntryZip(const std::string& zipPath, std::string_view entryName, std::string_view content);

}  // namespace bench
