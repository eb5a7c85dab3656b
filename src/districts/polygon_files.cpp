// The polygon file reader: a header line, then one vertex per line
// ("latitude<TAB or comma>longitude"). Files are ANSI text unless a UTF-8 or
// UTF-16 byte-order mark says otherwise; lines end with CR LF, LF or CR.

#include "districts/polygon_files.h"

#include <string>

#include "core/text_decode.h"
#include "base/user_error.h"
#include "geo/number.h"

namespace ql {

namespace {

// Cuts the next line off the front of text; a CR LF pair is one line break.
std::string_view NextLine(std::string_view& text)
{
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        std::string_view line = text;
        text = {};
        return line;
    }
    std::string_view line = text.substr(0, end);
    std::size_t skip = 1;
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') skip = 2;
    text.remove_prefix(end + skip);
    return line;
}

// The number of a field, which must lie within [-limit, limit]: a latitude
// (90) or a longitude (180). Anything else throws "Datei %s, Zeile %d: '%s'
// ist keine gültige Breite (-90 bis 90)." (or Länge, -180 bis 180).
double Coordinate(std::string_view field, double limit, const std::string& path, std::size_t lineNumber)
{
    const double value = ParseDecimal(field);
    if (value >= -limit && value <= limit) return value;
    const std::size_t first = field.find_first_not_of(' ');
    field = first == std::string_view::npos ? std::string_view()
                                            : field.substr(first, field.find_last_not_of(' ') + 1 - first);
    const bool latitude = limit == 90.0;
    throw UserError(
        "Datei " + path + ", Zeile " + std::to_string(lineNumber) + ": '" + std::string(field) +
        (latitude ? "' ist keine gültige Breite (-90 bis 90)." : "' ist keine gültige Länge (-180 bis 180)."));
}

}  // namespace

std::optional<std::string> ReadFirstLine(const std::string& path)
{
    if (!platform::FileExists(path)) return std::string();
    std::string bytes;
    try {
        bytes = platform::ReadWholeFile(path);
    } catch (const UserError&) {
        return std::nullopt;
    }
    const std::string decoded = DecodeTextFile(bytes);
    std::string_view text = decoded;
    return std::string(NextLine(text));
}

TPolyArray ParsePolygonText(std::string_view bytes, const std::string& path)
{
    const std::string decoded = DecodeTextFile(bytes);
    std::string_view text = decoded;
    // Not even a header line: the vertex count would be negative.
    if (text.empty()) throw UserError("Fehler bei Bereichsprüfung");
    NextLine(text);  // the header is never a point

    TPolyArray polygon;
    polygon.reserve(text.size() / 32 + 1);
    // x and y carry over: a line without separator repeats the previous vertex.
    double x = 0.0;
    double y = 0.0;
    for (std::size_t lineNumber = 2; !text.empty(); ++lineNumber) {
        const std::string_view line = NextLine(text);
        if (const auto tab = line.find('\t'); tab != std::string_view::npos) {
            x = Coordinate(line.substr(0, tab), 90.0, path, lineNumber);
            y = Coordinate(line.substr(tab + 1), 180.0, path, lineNumber);
        }
        if (const auto comma = line.find(','); comma != std::string_view::npos) {
            x = Coordinate(line.substr(0, comma), 90.0, path, lineNumber);
            y = Coordinate(line.substr(comma + 1), 180.0, path, lineNumber);
        }
        polygon.push_back({x, y});
    }
    return polygon;
}

TPolyArray LoadPolygonFile(const std::string& path)
{
    return ParsePolygonText(platform::ReadWholeFile(path), path);
}

}  // namespace ql
