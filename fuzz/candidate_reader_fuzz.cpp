// The candidate reader over arbitrary bytes: caches with codes and finite
// points inside the globe, each copied element a piece of the input, or a
// user message; nothing else.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/user_error.h"
#include "planner/candidate_reader.h"
#include "planner/gpx_export.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const std::vector<ql::Candidate> caches = ql::ReadCandidateGpx(bytes, "fuzz.gpx");
        std::vector<const ql::Candidate*> all;
        for (const ql::Candidate& c : caches) {
            if (c.Code.empty() || !(std::abs(c.Point.X) <= 90) || !(std::abs(c.Point.Y) <= 180)) std::abort();
            if (!c.Waypoint.empty() && bytes.find(c.Waypoint) == std::string_view::npos) std::abort();
            all.push_back(&c);
        }
        // What the reader took in, the export must give back as a document it reads again.
        const std::string gpx = ql::CandidateGpxText(all, "");
        try {
            if (ql::ReadCandidateGpx(gpx, "export.gpx").size() != caches.size()) std::abort();
        } catch (const ql::UserError&) {
            std::abort();
        }
    } catch (const ql::UserError&) {
    }
    return 0;
}
