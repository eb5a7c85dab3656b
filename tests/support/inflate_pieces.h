#pragma once
// Both decoders of a raw deflate stream side by side, each cutting its output
// into the pieces DecodeEntry and the counting decoder hand on: zlib's
// inflater called with the input in reads of `read` bytes and `room` bytes
// of output per call, and InflateInPieces with the same sizes.

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/piece_inflater.h"

namespace ql::test {

struct Pieces {
    std::vector<std::string> handed;  // the pieces in order, empty ones left out
    bool ended = false;  // the last piece ends the stream
    zip::InflateEnd end = zip::InflateEnd::Broken;  // the counting decoder's outcome

    std::string Bytes() const
    {
        std::string all;
        for (const std::string& p : handed) all += p;
        return all;
    }
};

// zlib's pieces: those of the calls that returned without an error, and
// whether one returned the stream's end. `capacity`: the most output.
inline Pieces ZlibPieces(const std::string& stream, std::size_t read, std::size_t room, std::uint64_t capacity)
{
    Pieces pieces;
    z_stream zs{};
    inflateInit2(&zs, -MAX_WBITS);
    std::size_t at = 0;
    std::uint64_t produced = 0;
    std::string out;
    for (;;) {
        if (zs.avail_in == 0 && at < stream.size()) {
            const std::size_t n = std::min(read, stream.size() - at);
            zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data() + at));
            zs.avail_in = static_cast<uInt>(n);
            at += n;
        }
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(room, capacity - produced));
        if (size == 0) break;
        out.assign(size, '\0');
        zs.next_out = reinterpret_cast<Bytef*>(out.data());
        zs.avail_out = static_cast<uInt>(size);
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const std::size_t made = size - zs.avail_out;
        produced += made;
        if (rc != Z_OK && rc != Z_STREAM_END && !(rc == Z_BUF_ERROR && (zs.avail_in > 0 || at < stream.size()))) break;
        if (made > 0) pieces.handed.push_back(out.substr(0, made));
        if (rc == Z_STREAM_END) {
            pieces.ended = true;
            pieces.end = zip::InflateEnd::StreamEnd;
            break;
        }
    }
    inflateEnd(&zs);
    return pieces;
}

// The input from memory, in reads.
class StringInput : public zip::DeflateInput {
public:
    explicit StringInput(const std::string& bytes) : bytes_(bytes) {}
    std::size_t Read(unsigned char* to, std::size_t n) override
    {
        const std::size_t got = std::min(n, bytes_.size() - at_);
        std::copy_n(bytes_.data() + at_, got, to);
        at_ += got;
        return got;
    }

private:
    const std::string& bytes_;
    std::size_t at_ = 0;
};

class CollectingSink : public zip::PieceSink {
public:
    explicit CollectingSink(Pieces& pieces) : pieces_(pieces) {}
    bool TakePiece(const char* data, std::size_t n, bool last) override
    {
        if (n > 0) pieces_.handed.emplace_back(data, n);
        pieces_.ended = last;
        return true;
    }

private:
    Pieces& pieces_;
};

// The counting decoder's pieces.
inline Pieces CountingPieces(const std::string& stream, std::size_t read, std::size_t room, std::uint64_t capacity)
{
    Pieces pieces;
    StringInput input(stream);
    CollectingSink sink(pieces);
    pieces.end = zip::InflateInPieces(input, {read, room, capacity}, sink);
    return pieces;
}

}  // namespace ql::test
