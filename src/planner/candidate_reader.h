#pragma once
// Reads the caches of a GPX document: the site's pocket queries (GPX 1.0 with
// the cache extension, any of its namespace versions) and the exports of
// other programs (GPX 1.0 or 1.1, with or without the extension).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/cancel.h"
#include "planner/candidate.h"

namespace ql {

// The most bytes one candidate file may hold.
inline constexpr std::uint64_t MaxCandidateFileBytes = 512ull << 20;

// The caches of one document, in file order. Waypoints that are no caches
// (parking places, stages) are left out. Malformed XML throws
// "Die Datei "%s" ist kein gültiges GPX: Zeile %d, Spalte %d: %s."; a
// document whose root is not <gpx> throws "Die Datei "%s" ist keine GPX-Datei.".
// `fileName` names the file in messages and in each cache's SourceFile. The
// token is looked at between blocks of the document (Cancelled).
std::vector<Candidate> ReadCandidateGpx(std::string_view bytes, const std::string& fileName,
                                        const CancelToken* cancel = nullptr);

}  // namespace ql
