#pragma once
// Markup characters written out: the one loop behind every text put into a
// page or a placemark file.

#include <string>
#include <string_view>

namespace ql {

// What "&", "<", ">" and the double quote become; an empty text keeps the
// character as it is.
struct MarkupEscapes {
    std::string_view Ampersand;
    std::string_view Less;
    std::string_view Greater;
    std::string_view Quote;
};

// The text with each markup character replaced as `escapes` says.
std::string ReplaceMarkup(std::string_view text, const MarkupEscapes& escapes);

}  // namespace ql
