// Decimal conversion and coordinate text over arbitrary input: the only way
// out besides a result is the user-visible conversion error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/user_error.h"
#include "geo/coord_text.h"
#include "geo/number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const double v = ql::ParseDecimal(text);
        if (v != v) __builtin_trap();  // a NaN is never a result
    } catch (const ql::UserError&) {
    }
    for (int kind = 0; kind <= 3; ++kind) {
        try {
            const std::string coord = ql::CoordText(text, kind);
            if (coord.size() < 11) __builtin_trap();  // degrees, separator and minutes at least
        } catch (const ql::UserError&) {
        }
    }
    return 0;
}
