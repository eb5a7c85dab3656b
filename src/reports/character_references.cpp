#include "reports/character_references.h"

#include <array>

#include "base/utf8.h"

namespace ql {

namespace {

struct NamedReference {
    std::string_view name;
    char character;
};
constexpr std::array<NamedReference, 5> NamedReferences = {{
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
}};

// The code point of a numeric reference body ("#65", "#x41"), or -1.
long NumericValue(std::string_view body)
{
    if (body.size() < 2 || body[0] != '#') return -1;
    int base = 10;
    std::size_t i = 1;
    if (body[1] == 'x' || body[1] == 'X') {
        base = 16;
        i = 2;
    }
    if (i >= body.size() || body.size() - i > 8) return -1;
    long value = 0;
    for (; i < body.size(); ++i) {
        const char c = body[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return -1;
        value = value * base + digit;
    }
    return value;
}

}  // namespace

std::string DecodeCharacterReferences(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) break;
        out.append(text.substr(i, amp - i));
        const std::size_t semicolon = text.find(';', amp + 1);
        // References are short; a far semicolon belongs to other text.
        if (semicolon == std::string_view::npos || semicolon - amp > 12) {
            out += '&';
            i = amp + 1;
            continue;
        }
        const std::string_view body = text.substr(amp + 1, semicolon - amp - 1);
        bool decoded = false;
        for (const NamedReference& named : NamedReferences) {
            if (body == named.name) {
                out += named.character;
                decoded = true;
                break;
            }
        }
        if (!decoded && !body.empty() && body[0] == '#') {
            const long value = NumericValue(body);
            if (value >= 0) {
                // NUL, surrogates and values past U+10FFFF are no characters.
                AppendUtf8(out, value == 0 || value > 0x10FFFF ? 0xFFFD : static_cast<char32_t>(value));
                decoded = true;
            }
        }
        if (decoded) {
            i = semicolon + 1;
        } else {
            out += '&';
            i = amp + 1;
        }
    }
    out.append(text.substr(i));
    return out;
}

}  // namespace ql
