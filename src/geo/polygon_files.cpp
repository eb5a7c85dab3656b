// The polygon file reader: a header line, then one vertex per line
// ("latitude<TAB or comma>longitude"). Files are ANSI text unless a UTF-8 or
// UTF-16 byte-order mark says otherwise; lines end with CR LF, LF or CR.

#include "geo/polygon_files.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "core/user_error.h"
#include "geo/number.h"

namespace ql {

namespace {

enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct TextStart {
    Encoding encoding;
    std::size_t bomLength;
};

TextStart DetectEncoding(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF")) return {Encoding::Utf8, 3};
    if (bytes.starts_with("\xFF\xFE")) return {Encoding::Utf16LE, 2};
    if (bytes.starts_with("\xFE\xFF")) return {Encoding::Utf16BE, 2};
    return {Encoding::Ansi, 0};
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD, an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) -> char16_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    const std::size_t n = bytes.size() & ~std::size_t{1};
    for (std::size_t i = 0; i < n; i += 2) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 2 < n) {
            const char16_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(low) - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? char32_t{0xFFFD} : char32_t{u});
    }
    return out;
}

// The file's text without its byte-order mark: a view into the bytes (ANSI and
// UTF-8 are read in place), or into storage for UTF-16.
std::string_view TextOf(std::string_view bytes, Encoding encoding, std::size_t bomLength, std::string& storage)
{
    bytes.remove_prefix(bomLength);
    if (encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE) {
        storage = Utf16ToUtf8(bytes, encoding == Encoding::Utf16BE);
        return storage;
    }
    return bytes;
}

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

bool HasHighBytes(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// A vertex number; ANSI text is converted so that the error names it readably.
double ParseField(std::string_view field, bool ansi)
{
    if (ansi && HasHighBytes(field)) return ParseDecimal(platform::AnsiToUtf8(field));
    return ParseDecimal(field);
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
    const TextStart start = DetectEncoding(bytes);
    std::string storage;
    std::string_view text = TextOf(bytes, start.encoding, start.bomLength, storage);
    const std::string_view first = NextLine(text);
    if (start.encoding == Encoding::Ansi) return platform::AnsiToUtf8(first);
    return std::string(first);
}

TPolyArray ParsePolygonText(std::string_view bytes)
{
    const TextStart start = DetectEncoding(bytes);
    const bool ansi = start.encoding == Encoding::Ansi;
    std::string storage;
    std::string_view text = TextOf(bytes, start.encoding, start.bomLength, storage);
    // Not even a header line: the vertex count would be negative.
    if (text.empty()) throw UserError("Fehler bei Bereichsprüfung");
    NextLine(text);  // the header is never a point

    TPolyArray polygon;
    polygon.reserve(text.size() / 32 + 1);
    // x and y carry over: a line without separator repeats the previous vertex.
    double x = 0.0;
    double y = 0.0;
    while (!text.empty()) {
        const std::string_view line = NextLine(text);
        if (const auto tab = line.find('\t'); tab != std::string_view::npos) {
            x = ParseField(line.substr(0, tab), ansi);
            y = ParseField(line.substr(tab + 1), ansi);
        }
        if (const auto comma = line.find(','); comma != std::string_view::npos) {
            x = ParseField(line.substr(0, comma), ansi);
            y = ParseField(line.substr(comma + 1), ansi);
        }
        polygon.push_back({x, y});
    }
    return polygon;
}

TPolyArray LoadPolygonFile(const std::string& path)
{
    return ParsePolygonText(platform::ReadWholeFile(path));
}

}  // namespace ql
