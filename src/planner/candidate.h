#pragma once
// One cache from a list of caches still to find, as a candidate for a
// missing district.

#include <string>
#include <utility>
#include <vector>

#include "geo/point.h"

namespace ql {

struct Candidate {
    std::string Code;  // GC code, upper case
    std::string Name;
    std::string Type;  // the type text as the file gives it ("Traditional Cache")
    double Difficulty = 0;  // 0 when the file gives none
    double Terrain = 0;
    TFPoint Point;
    bool Available = true;  // available and not archived; true where the file says nothing
    std::string SourceFile;  // the file it was read from, as the user chose it
    // The file's <wpt> element as it stands, where the file carries the
    // site's cache extension in a GPX 1.0 document; empty otherwise.
    std::string Waypoint;
    // Namespaces declared outside that element that it uses: prefix, URI.
    std::vector<std::pair<std::string, std::string>> OuterNamespaces;
};

// "1.5" for 1.5, "2" for 2; "-" for an unknown value.
std::string RatingText(double rating);

}  // namespace ql
