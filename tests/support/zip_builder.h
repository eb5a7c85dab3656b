#pragma once
// Writes small ZIP archives byte by byte for the tests: stored or deflated
// entries, Zip64 records, and fields that lie on purpose.

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ql::test {

inline std::string RawDeflate(const std::string& data)
{
    z_stream zs{};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

inline std::uint32_t Crc32Of(const std::string& data)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

struct TestEntry {
    std::string name;
    std::string data;             // the entry's content before compression
    std::uint16_t method = 8;     // 8: deflated with zlib; 0 and any other: data written as is
    std::optional<std::uint32_t> crc;               // a lie about the CRC-32
    std::optional<std::uint64_t> uncompressedSize;  // a lie about the size
    std::optional<std::string> deflated = {};  // the payload deflated elsewhere, written as is (crc and size given)
};

class ZipBuilder {
public:
    ZipBuilder& Add(std::string name, std::string data, std::uint16_t method = 8)
    {
        entries_.push_back({std::move(name), std::move(data), method, {}, {}, {}});
        return *this;
    }
    ZipBuilder& Add(TestEntry e)
    {
        entries_.push_back(std::move(e));
        return *this;
    }
    // Sizes and offsets in Zip64 extra fields, counts in the Zip64 end record.
    ZipBuilder& Zip64(bool on = true)
    {
        zip64_ = on;
        return *this;
    }
    // The central directory lists the entries in the reverse of their file order.
    ZipBuilder& ReverseDirectory(bool on = true)
    {
        reverse_ = on;
        return *this;
    }

    // The whole archive; `localPartSize` receives where the central directory starts.
    std::string Build(std::size_t* localPartSize = nullptr) const
    {
        struct Placed {
            const TestEntry* e;
            std::string payload;
            std::uint32_t crc;
            std::uint64_t usize;
            std::uint64_t offset;
        };
        std::string out;
        std::vector<Placed> placed;
        for (const TestEntry& e : entries_) {
            Placed p{&e,
                     e.deflated      ? *e.deflated
                     : e.method == 8 ? RawDeflate(e.data)
                                     : e.data,
                     e.crc.value_or(Crc32Of(e.data)), e.uncompressedSize.value_or(e.data.size()), out.size()};
            Put32(out, 0x04034b50);
            Put16(out, zip64_ ? 45 : 20);
            Put16(out, 0);
            Put16(out, e.method);
            Put32(out, 0);  // time and date
            Put32(out, p.crc);
            Put32(out, zip64_ ? 0xFFFFFFFFu : static_cast<std::uint32_t>(p.payload.size()));
            Put32(out, zip64_ ? 0xFFFFFFFFu : static_cast<std::uint32_t>(p.usize));
            Put16(out, static_cast<std::uint16_t>(e.name.size()));
            Put16(out, zip64_ ? 20 : 0);
            out += e.name;
            if (zip64_) {
                Put16(out, 1);
                Put16(out, 16);
                Put64(out, p.usize);
                Put64(out, p.payload.size());
            }
            out += p.payload;
            placed.push_back(std::move(p));
        }
        if (reverse_) std::reverse(placed.begin(), placed.end());
        const std::uint64_t dirStart = out.size();
        if (localPartSize) *localPartSize = static_cast<std::size_t>(dirStart);
        for (const Placed& p : placed) {
            Put32(out, 0x02014b50);
            Put16(out, zip64_ ? 45 : 20);
            Put16(out, zip64_ ? 45 : 20);
            Put16(out, 0);
            Put16(out, p.e->method);
            Put32(out, 0);
            Put32(out, p.crc);
            Put32(out, zip64_ ? 0xFFFFFFFFu : static_cast<std::uint32_t>(p.payload.size()));
            Put32(out, zip64_ ? 0xFFFFFFFFu : static_cast<std::uint32_t>(p.usize));
            Put16(out, static_cast<std::uint16_t>(p.e->name.size()));
            Put16(out, zip64_ ? 28 : 0);
            Put16(out, 0);  // comment
            Put16(out, 0);  // disk
            Put16(out, 0);  // internal attributes
            Put32(out, 0);  // external attributes
            Put32(out, zip64_ ? 0xFFFFFFFFu : static_cast<std::uint32_t>(p.offset));
            out += p.e->name;
            if (zip64_) {
                Put16(out, 1);
                Put16(out, 24);
                Put64(out, p.usize);
                Put64(out, p.payload.size());
                Put64(out, p.offset);
            }
        }
        const std::uint64_t dirSize = out.size() - dirStart;
        if (zip64_) {
            const std::uint64_t recordAt = out.size();
            Put32(out, 0x06064b50);
            Put64(out, 44);
            Put16(out, 45);
            Put16(out, 45);
            Put32(out, 0);
            Put32(out, 0);
            Put64(out, placed.size());
            Put64(out, placed.size());
            Put64(out, dirSize);
            Put64(out, dirStart);
            Put32(out, 0x07064b50);
            Put32(out, 0);
            Put64(out, recordAt);
            Put32(out, 1);
        }
        Put32(out, 0x06054b50);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, zip64_ ? 0xFFFF : static_cast<std::uint16_t>(placed.size()));
        Put16(out, zip64_ ? 0xFFFF : static_cast<std::uint16_t>(placed.size()));
        Put32(out, zip64_ ? 0xFFFFFFFFu : static_cast<std::uint32_t>(dirSize));
        Put32(out, zip64_ ? 0xFFFFFFFFu : static_cast<std::uint32_t>(dirStart));
        Put16(out, 0);
        return out;
    }

private:
    static void Put16(std::string& s, std::uint32_t v)
    {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>((v >> 8) & 0xFF);
    }
    static void Put32(std::string& s, std::uint32_t v)
    {
        Put16(s, v & 0xFFFF);
        Put16(s, v >> 16);
    }
    static void Put64(std::string& s, std::uint64_t v)
    {
        Put32(s, static_cast<std::uint32_t>(v));
        Put32(s, static_cast<std::uint32_t>(v >> 32));
    }

    std::vector<TestEntry> entries_;
    bool zip64_ = false;
    bool reverse_ = false;
};

}  // namespace ql::test
