#pragma once
// Record layouts of the ZIP format (PKWARE APPNOTE): signatures, fixed sizes,
// little-endian field access.

#include <cstdint>
#include <cstring>

namespace ql::zip {

constexpr std::uint32_t LocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t CentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t EndRecordSignature = 0x06054b50;
constexpr std::uint32_t Zip64EndRecordSignature = 0x06064b50;
constexpr std::uint32_t Zip64LocatorSignature = 0x07064b50;

constexpr std::size_t LocalHeaderSize = 30;
constexpr std::size_t CentralHeaderSize = 46;
constexpr std::size_t EndRecordSize = 22;
constexpr std::size_t Zip64EndRecordSize = 56;
constexpr std::size_t Zip64LocatorSize = 20;

// The end record is looked for within this many bytes before the end of the file
// (its 22 bytes, a comment of up to 65,535 bytes, and some slack).
constexpr std::size_t EndRecordSearchSpan = 65600;

constexpr std::uint16_t Zip64ExtraId = 0x0001;
constexpr std::uint32_t Zip64Marker32 = 0xFFFFFFFFu;
constexpr std::uint16_t Zip64Marker16 = 0xFFFFu;

constexpr std::uint16_t MethodStored = 0;
constexpr std::uint16_t MethodDeflated = 8;
constexpr std::uint16_t MethodDeflate64 = 9;

inline std::uint16_t Get16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t Get32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t Get64(const unsigned char* p)
{
    return static_cast<std::uint64_t>(Get32(p)) | (static_cast<std::uint64_t>(Get32(p + 4)) << 32);
}

}  // namespace ql::zip
