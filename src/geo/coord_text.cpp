#include "geo/coord_text.h"

#include <charconv>
#include <cmath>
#include <string>

#include "geo/number.h"

namespace ql {

namespace {

constexpr std::string_view DegreeSeparator = "\xC2\xB0 ";  // degree sign, blank

// Fixed-point text of a non-negative value with the given decimals; never
// depends on the user's locale.
std::string FixedText(double value, int decimals)
{
    char buffer[400];  // the whole part of a double has at most 309 digits
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "0";
    return std::string(buffer, end);
}

}  // namespace

std::string CoordText(std::string_view decimalText, int kind)
{
    return CoordText(ParseDecimal(decimalText), kind);
}

std::string CoordText(double v, int kind)
{
    std::string text;
    if (kind == CoordLatitude) text = v >= 0 ? "N " : "S ";
    else if (kind == CoordLongitude) text = v >= 0 ? "E " : "W ";

    const double a = std::fabs(v);
    const double d = std::trunc(a);
    std::string degrees = FixedText(d, 0);
    if (degrees.size() < 3) degrees.insert(0, 3 - degrees.size(), '0');

    // "%6.3f" with the blanks of the field made zeros: at least six characters.
    const double m = (a - d) * 60.0;
    std::string minutes = FixedText(m, 3);
    if (minutes.size() < 6) minutes.insert(0, 6 - minutes.size(), '0');

    text += degrees;
    text += DegreeSeparator;
    text += minutes;
    return text;
}

}  // namespace ql
