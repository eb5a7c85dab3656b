#pragma once
// Character references in the query's texts: a cache name such as
// "Fish &amp; Chips" reads "Fish & Chips" where the name is shown as text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ql {

// One reference: the character it stands for and its length in the text.
struct CharacterReference {
    char32_t Character;
    std::size_t Length;  // from the "&" to the ";", both included
};

// The reference at text[at] (an "&"): "&amp;", "&lt;", "&gt;", "&quot;",
// "&apos;", "&#NNN;" or "&#xHH;" (up to eight digits, the semicolon at most
// twelve bytes on). A number that names no character (0, a surrogate, past
// U+10FFFF) stands for U+FFFD. None when no reference starts there.
std::optional<CharacterReference> CharacterReferenceAt(std::string_view text, std::size_t at);

// Replaces every reference (CharacterReferenceAt) by its character (UTF-8),
// once: "&amp;lt;" gives "&lt;"; anything else stays as it is.
std::string DecodeCharacterReferences(std::string_view text);

}  // namespace ql
