// The home point over arbitrary text: a text that is read writes back as a
// text that reads again, as the same point, and writes back the same. The
// planner keeps the written text and reads it at the next start.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/user_error.h"
#include "planner/home_point.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ql::TFPoint point;
    try {
        point = ql::ParseHomePoint(text);
    } catch (const ql::UserError&) {
        return 0;
    }
    const std::string written = ql::HomePointText(point);
    ql::TFPoint again;
    try {
        again = ql::ParseHomePoint(written);
    } catch (const ql::UserError&) {
        __builtin_trap();  // the home point would be lost at the next start
    }
    // Within half a thousandth of a minute, the text's rounding.
    constexpr double Tolerance = 0.5 / 60000.0 + 1e-12;
    if (!(std::fabs(again.X - point.X) <= Tolerance) || !(std::fabs(again.Y - point.Y) <= Tolerance)) __builtin_trap();
    if (ql::HomePointText(again) != written) __builtin_trap();
    return 0;
}
