#pragma once
// The web addresses the program hands to the browser. Each ends with "/" so a
// path or a cache code can follow directly.

#include <string_view>

namespace ql {

constexpr std::string_view ShortLinkBase = "http://coord.info/";  // + GC code
constexpr std::string_view MapServiceBase = "http://maps.google.com/";  // + "maps?q=..."
constexpr std::string_view DocumentSiteBase = "http://www.geocaching-rlp.de/";  // + document path
constexpr std::string_view MakerSiteAddress = "http://www.zellgrenz.de/";
constexpr std::string_view MakerNotice = "www.zellgrenz.de";

constexpr std::string_view ChallengeCacheCode = "GC7QWZR";
constexpr std::string_view FinalCoordinatesPath = "download/pdf/GC7QWZR%20-%20QUENLORN.pdf";

}  // namespace ql
