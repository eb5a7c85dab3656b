#pragma once
// The chosen candidates as a GPX 1.0 file for a GPS device or phone app.

#include <string>
#include <string_view>
#include <vector>

#include "geo/point.h"
#include "planner/candidate.h"

namespace ql {

// A GPX 1.0 document with one <wpt> per cache, in the given order. A cache
// read with the site's cache extension carries its source element through as
// it stands (namespaces it took from its document declared on it where they
// differ from this document's); any other gets a waypoint of its own with
// code, name, type and the listing's address. `timeText` is the document's
// <time> ("2026-12-09T18:00:00Z"), empty for none.
std::string CandidateGpxText(const std::vector<const Candidate*>& caches, std::string_view timeText);

// A tour as GPX 1.0: the stops as waypoints in tour order, as
// CandidateGpxText writes them, then one route <rte> from home ("Start")
// through the stops (each named by its code) and, when the trip returns, back
// home ("Ziel").
std::string TourGpxText(const std::vector<const Candidate*>& stops, TFPoint home, bool returnHome,
                        std::string_view timeText);

// Writes the text to a temporary file beside `path` and renames it into
// place, so a failed write leaves the file at `path` as it was. Throws
// "Datei "%s" kann nicht erstellt werden. %s".
void WriteFileReplacing(const std::string& path, std::string_view text);

// The current time in UTC as GPX writes it.
std::string GpxTimeNow();

}  // namespace ql
