// The polygon file reader over arbitrary bytes: it gives at most one vertex
// per line after the header, each a valid latitude and longitude, or fails
// with a user message; nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/user_error.h"
#include "districts/polygon_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const ql::TPolyArray polygon = ql::ParsePolygonText(bytes, "fuzz.txt");
        // Every vertex needs a line break before it (UTF-16 text has fewer lines than bytes).
        std::size_t breaks = 0;
        for (char c : bytes) breaks += c == '\n' || c == '\r';
        if (polygon.size() > breaks) std::abort();
        for (const ql::TFPoint& p : polygon) {
            if (!(p.X >= -90 && p.X <= 90 && p.Y >= -180 && p.Y <= 180)) std::abort();
        }
    } catch (const ql::UserError&) {
    }
    return 0;
}
