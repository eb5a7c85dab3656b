#include "planner/home_point.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/ascii.h"
#include "base/user_error.h"

namespace ql {

namespace {

struct Token {
    char letter = 0;  // a hemisphere letter (upper case), or 0 for a number
    double number = 0;
    bool whole = true;  // the number has no fraction and no sign
};

[[noreturn]] void ThrowBadHomePoint(std::string_view text)
{
    throw UserError("Der Heimatpunkt \"" + std::string(text) +
                    "\" ist keine gültige Koordinate. Erlaubt sind zum Beispiel \"N 49° 59.123 E 008° 15.456\" und "
                    "\"49.98538, 8.25760\".");
}

// Hemisphere letters and numbers; blanks, degree signs, minute marks, commas
// and semicolons only separate them. Nothing else may appear.
std::optional<std::vector<Token>> Tokens(std::string_view text)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\'') {
            ++i;
        } else if (text.substr(i).starts_with("\xC2\xB0") || text.substr(i).starts_with("\xC2\xBA")) {
            i += 2;  // degree sign, or the ordinal sign that stands in for it
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            std::size_t end = i + (c == '-');
            while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.')) ++end;
            Token t;
            const auto [stop, ec] = std::from_chars(text.data() + i, text.data() + end, t.number);
            if (ec != std::errc() || stop != text.data() + end) return std::nullopt;
            t.whole = text.substr(i, end - i).find_first_of("-.") == std::string_view::npos;
            tokens.push_back(t);
            i = end;
        } else {
            const char up = AsciiUpper(c);
            if (up != 'N' && up != 'S' && up != 'E' && up != 'W' && up != 'O') return std::nullopt;
            tokens.push_back({up, 0, true});
            ++i;
        }
    }
    return tokens;
}

bool IsNumber(const Token& t)
{
    return t.letter == 0;
}

TFPoint ParseAsWritten(std::string_view text);

// The text with each comma between two digits read as a decimal point, where
// the text has no decimal point of its own: "49,5 8,25" is "49.5 8.25".
std::string WithDecimalPoints(std::string_view text)
{
    std::string out(text);
    if (out.find('.') != std::string::npos) return out;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t i = 1; i + 1 < out.size(); ++i)
        if (out[i] == ',' && digit(out[i - 1]) && digit(out[i + 1])) out[i] = '.';
    return out;
}

}  // namespace

TFPoint ParseHomePoint(std::string_view text)
{
    // A comma between digits is first a decimal comma ("N 49,5 E 8,25" is no
    // 49° 5'); where that does not read, a separator ("49,8" is two numbers).
    const std::string decimal = WithDecimalPoints(text);
    if (decimal != text) {
        try {
            return ParseAsWritten(decimal);
        } catch (const UserError&) {
        }
    }
    return ParseAsWritten(text);
}

namespace {

TFPoint ParseAsWritten(std::string_view text)
{
    const auto tokens = Tokens(text);
    if (!tokens) ThrowBadHomePoint(text);
    const std::vector<Token>& t = *tokens;
    double lat = 0, lon = 0;
    const auto northSouth = [](char h) { return h == 'N' || h == 'S'; };
    const auto eastWest = [](char h) { return h == 'E' || h == 'W' || h == 'O'; };
    const auto minutesOk = [](const Token& m) { return m.number >= 0 && m.number < 60 && m.number == m.number; };
    if (t.size() == 6 && northSouth(t[0].letter) && IsNumber(t[1]) && t[1].whole && IsNumber(t[2]) && minutesOk(t[2]) &&
        t[2].number >= 0 && eastWest(t[3].letter) && IsNumber(t[4]) && t[4].whole && IsNumber(t[5]) &&
        minutesOk(t[5])) {
        lat = (t[1].number + t[2].number / 60.0) * (t[0].letter == 'S' ? -1 : 1);
        lon = (t[4].number + t[5].number / 60.0) * (t[3].letter == 'W' ? -1 : 1);
    } else if (t.size() == 4 && northSouth(t[0].letter) && IsNumber(t[1]) && t[1].number >= 0 &&
               eastWest(t[2].letter) && IsNumber(t[3]) && t[3].number >= 0) {
        lat = t[1].number * (t[0].letter == 'S' ? -1 : 1);
        lon = t[3].number * (t[2].letter == 'W' ? -1 : 1);
    } else if (t.size() == 2 && IsNumber(t[0]) && IsNumber(t[1])) {
        lat = t[0].number;
        lon = t[1].number;
    } else {
        ThrowBadHomePoint(text);
    }
    if (!(std::abs(lat) <= 90) || !(std::abs(lon) <= 180)) ThrowBadHomePoint(text);
    return {lat, lon};
}

// "N 049° 59.123": the value rounded to a thousandth of a minute as a whole,
// so minutes that round up to 60 carry into the degree (49.999995 is
// "N 050° 00.000", never "N 049° 60.000", which the parser refuses). A value
// that rounds to zero is north or east.
std::string SiteCoordinate(double value, char positive, char negative)
{
    const long long thousandths = std::llround(std::fabs(value) * 60000.0);
    const long long degrees = thousandths / 60000, rest = thousandths % 60000;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%c %03lld\xC2\xB0 %02lld.%03lld",
                  value < 0 && thousandths > 0 ? negative : positive, degrees, rest / 1000, rest % 1000);
    return buffer;
}

}  // namespace

std::string HomePointText(TFPoint point)
{
    return SiteCoordinate(point.X, 'N', 'S') + " " + SiteCoordinate(point.Y, 'E', 'W');
}

double GreatCircleMetres(TFPoint a, TFPoint b)
{
    constexpr double EarthRadius = 6371008.8;
    constexpr double Radians = 3.14159265358979323846 / 180.0;
    const double dLat = (b.X - a.X) * Radians, dLon = (b.Y - a.Y) * Radians;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(a.X * Radians) * std::cos(b.X * Radians) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * EarthRadius * std::asin(std::min(1.0, std::sqrt(h)));
}

}  // namespace ql
