#include "reports/character_references.h"

#include <array>
#include <cstdint>

#include "base/utf8.h"

namespace ql {

namespace {

struct NamedReference {
    std::string_view name;
    char character;
};
constexpr std::array<NamedReference, 5> NamedReferences = {{
    {"amp", '&'},
    {"lt", '<'},
    {"gt", '>'},
    {"quot", '"'},
    {"apos", '\''},
}};

// The code point of a numeric reference body ("#65", "#x41"), or -1.
std::int64_t NumericValue(std::string_view body)
{
    if (body.size() < 2 || body[0] != '#') return -1;
    int base = 10;
    std::size_t i = 1;
    if (body[1] == 'x' || body[1] == 'X') {
        base = 16;
        i = 2;
    }
    if (i >= body.size() || body.size() - i > 8) return -1;
    std::int64_t value = 0;
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

std::optional<CharacterReference> CharacterReferenceAt(std::string_view text, std::size_t at)
{
    const std::size_t semicolon = text.find(';', at + 1);
    // References are short; a far semicolon belongs to other text.
    if (semicolon == std::string_view::npos || semicolon - at > 12) return std::nullopt;
    const std::string_view body = text.substr(at + 1, semicolon - at - 1);
    const std::size_t length = semicolon - at + 1;
    for (const NamedReference& named : NamedReferences)
        if (body == named.name) return CharacterReference{static_cast<char32_t>(named.character), length};
    const std::int64_t value = NumericValue(body);
    if (value < 0) return std::nullopt;
    // NUL, surrogates and values past U+10FFFF are no characters.
    const bool none = value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
    return CharacterReference{none ? char32_t{0xFFFD} : static_cast<char32_t>(value), length};
}

std::string DecodeCharacterReferences(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) break;
        out.append(text.substr(i, amp - i));
        if (const std::optional<CharacterReference> reference = CharacterReferenceAt(text, amp)) {
            AppendUtf8(out, reference->Character);
            i = amp + reference->Length;
        } else {
            out += '&';
            i = amp + 1;
        }
    }
    out.append(text.substr(i));
    return out;
}

}  // namespace ql
