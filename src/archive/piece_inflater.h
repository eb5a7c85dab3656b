#pragma once
// A second raw-deflate decoder beside zlib, used only to count: it keeps no
// more of its output than the 32 KiB that later bytes may copy from, and
// hands the output on in the pieces zlib's inflater would return (see
// OutputPieces). zlib still decodes every byte that is kept.

#include "archive/deflate_input.h"
#include "archive/output_pieces.h"

namespace ql::zip {

// How the stream ended for this decoder: at its last block's end; broken, or
// anything it does not take (zlib decides then); or the sink stopped it.
enum class InflateEnd { StreamEnd, Broken, Stopped };

// Decodes the raw deflate stream read from `input`, handing its output to
// `sink`. What `sink` throws passes through.
InflateEnd InflateInPieces(DeflateInput& input, const PieceSizes& sizes, PieceSink& sink);

}  // namespace ql::zip
