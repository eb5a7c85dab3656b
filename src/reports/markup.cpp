#include "reports/markup.h"

namespace ql {

std::string ReplaceMarkup(std::string_view text, const MarkupEscapes& escapes)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        std::string_view replacement;
        switch (c) {
        case '&': replacement = escapes.Ampersand; break;
        case '<': replacement = escapes.Less; break;
        case '>': replacement = escapes.Greater; break;
        case '"': replacement = escapes.Quote; break;
        default: break;
        }
        if (replacement.empty()) out += c;
        else out += replacement;
    }
    return out;
}

}  // namespace ql
