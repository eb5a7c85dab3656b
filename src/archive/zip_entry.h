#pragma once
// One entry of an archive's entry list.

#include <cstdint>
#include <string>

namespace ql::zip {

struct ZipEntry {
    std::string Name;  // the stored bytes, undecoded
    std::uint16_t Flags = 0;
    std::uint16_t Method = 0;
    std::uint32_t Crc32 = 0;
    std::uint64_t CompressedSize = 0;
    std::uint64_t UncompressedSize = 0;
    std::uint64_t LocalHeaderOffset = 0;
};

}  // namespace ql::zip
