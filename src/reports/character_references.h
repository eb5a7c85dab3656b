#pragma once
// Character references in the query's texts: a cache name such as
// "Fish &amp; Chips" reads "Fish & Chips" where the name is shown as text.

#include <string>
#include <string_view>

namespace ql {

// Replaces "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&#NNN;" and "&#xHH;"
// by their characters (UTF-8), once: "&amp;lt;" gives "&lt;". A reference to
// no valid character gives U+FFFD; anything else stays as it is.
std::string DecodeCharacterReferences(std::string_view text);

}  // namespace ql
