#include "zip_writer.h"

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include <zlib.h>

#include "platform/platform.h"

namespace bench {

void Put16(std::string& out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

namespace {

// Raw deflate (no zlib header), as a ZIP entry of method 8 holds it.
std::string Deflate(std::string_view content)
{
    z_stream zs{};
    if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out;
    out.resize(deflateBound(&zs, static_cast<uLong>(content.size())));
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    zs.avail_in = static_cast<uInt>(content.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    const std::size_t written = zs.total_out;
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
    out.resize(written);
    return out;
}

}  // namespace

void WriteSingleEntryZip(const std::string& zipPath, std::string_view entryName, std::string_view content)
{
    constexpr std::uint32_t Limit = std::numeric_limits<std::uint32_t>::max();
    if (content.size() >= Limit || content.size() > std::numeric_limits<uInt>::max())
        throw std::runtime_error("entry too large for a ZIP without Zip64 records");

    const std::string packed = Deflate(content);
    const auto crc = static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
    const auto packedSize = static_cast<std::uint32_t>(packed.size());
    const auto plainSize = static_cast<std::uint32_t>(content.size());
    // 2015-07-23 10:07:36 in MS-DOS form.
    const std::uint32_t dosTime = (10u << 11) | (7u << 5) | (36u / 2);
    const std::uint32_t dosDate = ((2015u - 1980u) << 9) | (7u << 5) | 23u;

    std::string local;
    Put32(local, 0x04034b50);
    Put16(local, 20);  // version needed: 2.0
    Put16(local, 0);   // flags: no data descriptor, name not UTF-8
    Put16(local, 8);   // deflate
    Put16(local, dosTime);
    Put16(local, dosDate);
    Put32(local, crc);
    Put32(local, packedSize);
    Put32(local, plainSize);
    Put16(local, static_cast<std::uint32_t>(entryName.size()));
    Put16(local, 0);  // no extra field
    local += entryName;

    std::string central;
    Put32(central, 0x02014b50);
    Put16(central, 0x0033);  // made by 5.1 on MS-DOS
    Put16(central, 20);
    Put16(central, 0);
    Put16(central, 8);
    Put16(central, dosTime);
    Put16(central, dosDate);
    Put32(central, crc);
    Put32(central, packedSize);
    Put32(central, plainSize);
    Put16(central, static_cast<std::uint32_t>(entryName.size()));
    Put16(central, 0);     // extra
    Put16(central, 0);     // comment
    Put16(central, 0);     // disk
    Put16(central, 0);     // internal attributes
    Put32(central, 0x20);  // external attributes: archive bit
    Put32(central, 0);     // offset of the local header
    central += entryName;

    const std::uint64_t centralOffset = local.size() + packed.size();
    if (centralOffset >= Limit) throw std::runtime_error("archive too large for a ZIP without Zip64 records");

    std::string end;
    Put32(end, 0x06054b50);
    Put16(end, 0);  // this disk
    Put16(end, 0);  // disk of the central directory
    Put16(end, 1);  // entries on this disk
    Put16(end, 1);  // entries
    Put32(end, static_cast<std::uint32_t>(central.size()));
    Put32(end, static_cast<std::uint32_t>(centralOffset));
    Put16(end, 0);  // no comment

    ql::platform::WriteFileAtomically(zipPath, local + packed + central + end);
}

}  // namespace bench
