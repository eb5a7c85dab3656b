#pragma once
// What is checked of a query's text while its archive entry is decoded: its
// lines, and the size it would have once its stray bytes are repaired.

#include <cstddef>
#include <cstdint>

#include "archive/zip_decode.h"
#include "base/repaired_size.h"

namespace ql {

class QueryEntryWatch : public zip::DecodeWatcher {
public:
    // Whether the entry's bytes may be given up when the text looks too large
    // to repair (then only its repaired size is counted to the end).
    enum class Bytes { MayGiveUp, KeepAll };

    QueryEntryWatch(std::uint64_t declared, Bytes bytes) : declared_(declared), bytes_(bytes) {}

    // Counts the piece's line breaks: an entry with more lines than a query of
    // its declared size may have stops while it inflates, not after a
    // gigabyte of line breaks. With Bytes::MayGiveUp also counts the repaired
    // size, and wants no more bytes once that, carried on at its rate to the
    // declared size, would pass MaxQueryBytes; once the size counted so far
    // passes it, throws "Die Abfrage ist zu groß: mehr als 4.000.000.000
    // Bytes, ..." at once.
    bool OnPiece(const char* data, std::size_t n) override;

    // The repaired size of the whole text (Bytes::MayGiveUp), once every
    // piece was handed in.
    std::uint64_t RepairedSize() const { return repaired_.Total(); }

private:
    std::uint64_t declared_;
    Bytes bytes_;
    std::uint64_t breaks_ = 0;
    RepairedSizeCounter repaired_;
    bool wanted_ = true;
};

}  // namespace ql
