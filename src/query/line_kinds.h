#pragma once
// What the waypoint scan looks for in a line, found once per line while the
// query is split: every text it searches for begins with "<", so checking at
// each "<" of a line answers "contains" exactly. No text contains a line
// break, so a match at a "<" lies wholly within that "<"'s line.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace ql {

enum LineKind : unsigned char {
    HasWptOpen = 1,
    HasWptClose = 2,
    HasCountry = 4,
    HasDate = 8,
    HasState = 16,
};

// Set beside a line's LineKind bits when its break is a CR LF pair.
inline constexpr unsigned char EndsWithCrLf = 0x80;
static_assert(((HasWptOpen | HasWptClose | HasCountry | HasDate | HasState) & EndsWithCrLf) == 0);

inline constexpr std::string_view WptOpenTag = "<wpt";
inline constexpr std::string_view WptCloseTag = "</wpt>";
inline constexpr std::string_view CountryLineText = "<groundspeak:country>Germany</groundspeak:country>";
inline constexpr std::string_view DateOpenTag = "<groundspeak:date>";
inline constexpr std::string_view StateLineText = "<groundspeak:state>Rheinland-Pfalz</groundspeak:state>";

// What the "<g" texts share before the character that tells them apart.
inline constexpr std::string_view GroundspeakPrefix = "<groundspeak:";
static_assert(DateOpenTag.starts_with(GroundspeakPrefix) && DateOpenTag[GroundspeakPrefix.size()] == 'd');
static_assert(CountryLineText.starts_with(GroundspeakPrefix) && CountryLineText[GroundspeakPrefix.size()] == 'c');
static_assert(StateLineText.starts_with(GroundspeakPrefix) && StateLineText[GroundspeakPrefix.size()] == 's');

// The kind the text at `p` (a "<", before `end`) starts, or 0.
inline unsigned char TagKindAt(const char* p, const char* end)
{
    const auto starts = [&](std::string_view what) {
        return static_cast<std::size_t>(end - p) >= what.size() && std::memcmp(p, what.data(), what.size()) == 0;
    };
    if (end - p < 2) return 0;
    switch (p[1]) {  // the texts differ in their second character or, all "<groundspeak:", in the next
    case 'w': return starts(WptOpenTag) ? HasWptOpen : 0;
    case '/': return starts(WptCloseTag) ? HasWptClose : 0;
    case 'g':
        if (static_cast<std::size_t>(end - p) <= GroundspeakPrefix.size()) return 0;
        switch (p[GroundspeakPrefix.size()]) {
        case 'd': return starts(DateOpenTag) ? HasDate : 0;
        case 'c': return starts(CountryLineText) ? HasCountry : 0;
        case 's': return starts(StateLineText) ? HasState : 0;
        default: return 0;
        }
    default: return 0;
    }
}

}  // namespace ql
