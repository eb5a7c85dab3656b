// The decoder that only counts over arbitrary bytes, held against zlib: the
// first byte picks the sizes of the reads and rooms, the rest is the raw
// deflate stream. Every piece it hands on must be the piece zlib returns in
// that place; it may end the stream only where zlib does, with the same
// pieces. Nothing may crash, read or write out of bounds, or run away.

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/inflate_pieces.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    constexpr std::size_t Reads[] = {13, 64, 1000, 1 << 20};
    constexpr std::size_t Rooms[] = {1, 100, 777, 1 << 20};
    const std::size_t read = Reads[data[0] & 3];
    const std::size_t room = Rooms[(data[0] >> 2) & 3];
    const std::uint64_t capacity = (data[0] & 0x10) != 0 ? 5000 : std::uint64_t{1} << 26;
    const std::string stream(reinterpret_cast<const char*>(data + 1), size - 1);

    const ql::test::Pieces zlib = ql::test::ZlibPieces(stream, read, room, capacity);
    const ql::test::Pieces ours = ql::test::CountingPieces(stream, read, room, capacity);
    if (ours.handed.size() > zlib.handed.size()) __builtin_trap();
    for (std::size_t i = 0; i < ours.handed.size(); ++i) {
        if (ours.handed[i] != zlib.handed[i]) __builtin_trap();
    }
    const bool ended = ours.end == ql::zip::InflateEnd::StreamEnd;
    if (ended != zlib.ended || ended != ours.ended) __builtin_trap();
    if (ended && ours.handed.size() != zlib.handed.size()) __builtin_trap();
    return 0;
}
