#include "archive/query_entry_watch.h"

#include "base/line_count.h"
#include "base/query_limits.h"

namespace ql {

namespace {

// The repaired size is carried on to the declared size only after this much
// text: a start of a few stray bytes decides nothing.
constexpr std::uint64_t SeenBeforeGivingUp = std::uint64_t{16} << 20;

}  // namespace

bool QueryEntryWatch::OnPiece(const char* data, std::size_t n)
{
    // A CR LF pair counts once: its LF is counted, a CR only when no LF follows
    // (a pair split between two pieces counts twice, which changes nothing here).
    breaks_ += CountLineBreaks(data, data + n);
    if (breaks_ > MaxQueryLines(declared_) + 1) ThrowTooManyLines(declared_);
    if (bytes_ == Bytes::KeepAll) return true;
    repaired_.Add(data, n);
    // Past the limit the rest changes nothing: refused here, not after
    // inflating to the end for the exact figure.
    if (repaired_.SoFar() > MaxQueryBytes) ThrowQueryBeyondLimit();
    if (wanted_ && repaired_.Bytes() >= SeenBeforeGivingUp) {
        // A guess only: the bytes are given up, never the query. Whether the
        // repaired text is too large is known once every piece is counted.
        const double rate = static_cast<double>(repaired_.SoFar()) / static_cast<double>(repaired_.Bytes());
        wanted_ = rate * static_cast<double>(declared_) <= static_cast<double>(MaxQueryBytes);
    }
    return wanted_;
}

}  // namespace ql
