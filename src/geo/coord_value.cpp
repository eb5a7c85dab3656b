#include "geo/coord_value.h"

#include <cmath>

#include "base/user_error.h"
#include "geo/number.h"

namespace ql {

namespace {

constexpr std::string_view DegreeSeparator = "\xC2\xB0 ";  // degree sign, blank

bool AllDigits(std::string_view text)
{
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::optional<double> CoordTextValue(std::string_view text)
{
    if (text.size() < 3 || text[1] != ' ') return std::nullopt;
    double sign = 1.0;
    switch (text[0]) {
    case 'N': case 'E': break;
    case 'S': case 'W': sign = -1.0; break;
    default: return std::nullopt;
    }
    text.remove_prefix(2);
    const std::size_t separator = text.find(DegreeSeparator);
    if (separator == std::string_view::npos) return std::nullopt;
    const std::string_view degrees = text.substr(0, separator);
    const std::string_view minutes = text.substr(separator + DegreeSeparator.size());
    if (!AllDigits(degrees) || minutes.empty() || !(minutes[0] >= '0' && minutes[0] <= '9')) return std::nullopt;
    try {
        const double value = ParseDecimal(degrees) + ParseDecimal(minutes) / 60.0;
        if (!std::isfinite(value)) return std::nullopt;
        return sign * value;
    } catch (const UserError&) {
        return std::nullopt;
    }
}

}  // namespace ql
