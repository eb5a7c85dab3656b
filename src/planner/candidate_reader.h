#pragma once
// Reads the caches of a GPX document: the site's pocket queries (GPX 1.0 with
// the cache extension, any of its namespace versions) and the exports of
// other programs (GPX 1.0 or 1.1, with or without the extension).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "planner/candidate.h"

namespace ql {

// The most bytes one candidate file may hold.
inline constexpr std::uint64_t MaxCandidateFileBytes = 512ull << 20;

// Takes each cache as it is read; false stops the reading there (nothing
// after that cache is read or reported).
using CandidateSink = std::function<bool(Candidate&&)>;

// Hands the caches of one document to `take`, in file order. Waypoints that
// are no caches (parking places, stages) are left out, and so are caches
// without valid coordinates (missing, no number, not finite, beyond 90 or 180
// degrees): it returns how many of those. Malformed XML throws
// "Die Datei "%s" ist kein gültiges GPX: Zeile %d, Spalte %d: %s."; a
// document whose root is not <gpx> throws "Die Datei "%s" ist keine GPX-Datei.".
// `fileName` names the file in messages and in each cache's SourceFile.
std::size_t ReadCandidateGpx(std::string_view bytes, const std::string& fileName, const CandidateSink& take);

// The same, every cache kept.
std::vector<Candidate> ReadCandidateGpx(std::string_view bytes, const std::string& fileName);

}  // namespace ql
