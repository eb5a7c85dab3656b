#include "geo/coord_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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

// The degrees: a whole number. Below 2^53 every such double is an integer
// that a 64-bit integer holds exactly, and reads as FixedText(value, 0) does.
std::string WholeText(double value)
{
    if (!(value >= 0 && value < 9007199254740992.0)) return FixedText(value, 0);
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint64_t>(value));
    return std::string(buffer, end);
}

// The minutes, below 60, as FixedText(value, 3), without its general
// formatting. value * 1000 is off by at most half a unit of its last place
// (below 1e-11 here): unless that lands within 1e-9 of a half, it rounds
// to the same thousandths as the exact value. Closer to a half, and for
// any value out of range, FixedText decides.
std::string MinutesText(double value)
{
    if (!(value >= 0 && value < 60)) return FixedText(value, 3);
    const double scaled = value * 1000;
    const double whole = std::floor(scaled);
    const double rest = scaled - whole;
    if (std::fabs(rest - 0.5) < 1e-9) return FixedText(value, 3);
    const auto thousandths = static_cast<unsigned>(whole) + (rest > 0.5 ? 1 : 0);
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, thousandths / 1000);
    *end++ = '.';
    const unsigned part = thousandths % 1000;
    *end++ = static_cast<char>('0' + part / 100);
    *end++ = static_cast<char>('0' + part / 10 % 10);
    *end++ = static_cast<char>('0' + part % 10);
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
    std::string degrees = WholeText(d);
    if (degrees.size() < 3) degrees.insert(0, 3 - degrees.size(), '0');

    // "%6.3f" with the blanks of the field made zeros: at least six characters.
    const double m = (a - d) * 60.0;
    std::string minutes = MinutesText(m);
    if (minutes.size() < 6) minutes.insert(0, 6 - minutes.size(), '0');

    text += degrees;
    text += DegreeSeparator;
    text += minutes;
    return text;
}

}  // namespace ql
