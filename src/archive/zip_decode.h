#pragma once
// Decoding one entry (stored or deflated) into a memory buffer, with its checks.

#include <cstddef>
#include <string>

#include "archive/extract.h"
#include "archive/zip_entry.h"
#include "platform/platform.h"

namespace ql::zip {

// Sees an entry's bytes as they are decoded, piece by piece and in order,
// each piece once it passed its checks: the size so far, and for the last
// piece of a deflated entry also the entry's size and CRC-32.
class DecodeWatcher {
public:
    virtual ~DecodeWatcher() = default;
    // Returns whether the bytes are still wanted. Once it says no, the decoder
    // releases its output buffer and decodes the rest into a small scratch
    // piece, only to hand it here and check it; later answers change nothing.
    virtual bool OnPiece(const char* data, std::size_t n) = 0;
};

// Wants every byte and looks at none.
class KeepEverything : public DecodeWatcher {
public:
    bool OnPiece(const char*, std::size_t) override { return true; }
};

// What decoding does once the watcher no longer wants the bytes: decode and
// check the rest all the same, or stop there (nothing more is checked).
enum class Unwanted { CountOn, Stop };

// Decodes the entry into `out`, a new buffer sized by the entry's declared
// size; after a failure it holds what was decoded up to there (nothing once
// the watcher gave the bytes up). Returns true
// when `out` holds the entry, false when the watcher stopped wanting its
// bytes (`out` is then empty, the entry decoded and checked all the same,
// or with Unwanted::Stop decoded no further).
// Progress: for a stored entry after each
// piece of up to 65,535 bytes, for a deflated entry before each call into the
// inflater (file, then overall, in percent of the uncompressed size); after the
// checks both report 100. Throws the Deflate64 error for method 9 and the check
// error for any other method, an encrypted entry, broken or short data, a wrong
// size or CRC-32.
bool DecodeEntry(platform::ReadOnlyFile& file, const ZipEntry& entry, ExtractProgress& progress,
                 platform::LargeBuffer& out, DecodeWatcher& watcher, Unwanted unwanted = Unwanted::CountOn);

}  // namespace ql::zip
