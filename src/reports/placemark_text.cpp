#include "reports/placemark_text.h"

#include <charconv>
#include <cstdint>

#include "base/utf8.h"

namespace ql {

namespace {

bool IsXmlChar(char32_t c)
{
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

// The code point of a numeric reference's digits ("228" or "xE4"); 0 when the
// digits are no number or too large.
char32_t NumericReference(std::string_view digits)
{
    int base = 10;
    if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.size() > 8) return 0;
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size() || value > 0x10FFFF) return 0;
    return static_cast<char32_t>(value);
}

// The character a reference starting at text[i] ("&...;") stands for, and its length.
bool DecodeReference(std::string_view text, std::size_t i, char32_t& c, std::size_t& length)
{
    const std::size_t semi = text.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 12) return false;
    const std::string_view name = text.substr(i + 1, semi - i - 1);
    length = semi - i + 1;
    if (name == "amp") c = '&';
    else if (name == "lt") c = '<';
    else if (name == "gt") c = '>';
    else if (name == "quot") c = '"';
    else if (name == "apos") c = '\'';
    else if (name.size() > 1 && name[0] == '#') c = NumericReference(name.substr(1));
    else return false;
    // "&#0;" and other numbers out of range stand for no character: kept as written.
    return c != 0 || name[0] != '#';
}

void AppendChar(std::string& out, char32_t c)
{
    if (!IsXmlChar(c)) out += '?';
    else AppendUtf8(out, c);
}

}  // namespace

std::string DecodeQueryText(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size();) {
        const auto byte = static_cast<unsigned char>(value[i]);
        char32_t c = 0;
        std::size_t length = 0;
        if (byte == '&' && DecodeReference(value, i, c, length)) {
            AppendChar(out, c);
            i += length;
        } else if (byte < 0x20 || byte == 0xEF) {
            // A control byte, or the lead byte of U+FFFE / U+FFFF.
            if (byte == 0xEF && i + 2 < value.size() && static_cast<unsigned char>(value[i + 1]) == 0xBF &&
                (static_cast<unsigned char>(value[i + 2]) & 0xFE) == 0xBE) {
                out += '?';
                i += 3;
                continue;
            }
            if (byte < 0x20) AppendChar(out, byte);
            else out += value[i];
            ++i;
        } else {
            out += value[i];
            ++i;
        }
    }
    return out;
}

std::string XmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

std::string DescriptionText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "\xE2\x80\xB9";  // ‹
        else if (c == '>') out += "\xE2\x80\xBA";  // ›
        else out += c;
    }
    return out;
}

}  // namespace ql
