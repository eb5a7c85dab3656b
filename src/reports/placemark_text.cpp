#include "reports/placemark_text.h"

#include <optional>

#include "base/utf8.h"
#include "reports/character_references.h"
#include "reports/markup.h"

namespace ql {

namespace {

bool IsXmlChar(char32_t c)
{
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
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
        std::optional<CharacterReference> reference;
        if (byte == '&' && (reference = CharacterReferenceAt(value, i))) {
            AppendChar(out, reference->Character);
            i += reference->Length;
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
    return ReplaceMarkup(text, {.Ampersand = "&amp;", .Less = "&lt;", .Greater = "&gt;", .Quote = {}});
}

std::string DescriptionText(std::string_view text)
{
    // "‹" and "›"
    return ReplaceMarkup(text, {.Ampersand = "&amp;", .Less = "\xE2\x80\xB9", .Greater = "\xE2\x80\xBA", .Quote = {}});
}

}  // namespace ql
