#pragma once
// Writes a ZIP archive holding one deflated entry, as the pocket-query
// service delivers a query.

#include <cstdint>
#include <string>
#include <string_view>

namespace bench {

// Little-endian fields of ZIP records.
void Put16(std::string& out, std::uint32_t v);
void Put32(std::string& out, std::uint32_t v);

// Throws std::runtime_error when the file cannot be written or the entry is
// too large for a ZIP without Zip64 records.
void WriteSingleEntryZip(const std::string& zipPath, std::string_view entryName, std::string_view content);

}  // namespace bench
