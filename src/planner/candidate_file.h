#pragma once
// One candidate file on disk read into its caches: a GPX, or a ZIP holding
// GPX files. What it may cost is bounded: the caches it gives, the text held
// while it is read, and a ZIP's entries together.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/cancel.h"
#include "planner/candidate.h"
#include "planner/found_codes.h"

namespace ql {

// How many caches the lists may hold together.
inline constexpr std::size_t MaxCandidates = 200'000;

// Bytes of list text that the reading threads hold at once. A file or entry
// waits until its text fits beside the others'; one larger than the whole
// allowance waits until it is alone.
class TextAllowance {
public:
    explicit TextAllowance(std::uint64_t bytes) : free_(bytes), whole_(bytes) {}

    // Holds `bytes` of the allowance while it lives.
    class Hold {
    public:
        Hold(TextAllowance& allowance, std::uint64_t bytes);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        TextAllowance& allowance_;
        std::uint64_t bytes_;
    };

private:
    std::mutex mutex_;
    std::condition_variable freed_;
    std::uint64_t free_;
    const std::uint64_t whole_;
};

// The caches of one file, each code once, those already found left out.
struct CandidateFile {
    std::vector<Candidate> Caches;
    std::size_t Duplicates = 0;  // repeated within the file
    std::size_t AlreadyFound = 0;
    std::size_t WithoutCoordinates = 0;  // cache waypoints without valid coordinates
};

// Reads a candidate file: a ".zip" gives every GPX at its top level, entry
// by entry (their text together at most MaxCandidateFileBytes), anything else
// is read as GPX. Reading stops, and the file is refused, as soon as it holds
// more than MaxCandidates caches that are neither found nor repeated. Every
// message names the file. Throws the German message of the failure.
// A stop asked for through `cancel` is seen between caches and blocks of
// text (Cancelled).
CandidateFile ReadCandidateFile(const std::string& path, const CodeSet& found, TextAllowance& allowance,
                                const CancelToken* cancel = nullptr);

// The same on its own: nothing found yet, the text alone.
CandidateFile ReadCandidateFile(const std::string& path);

}  // namespace ql
