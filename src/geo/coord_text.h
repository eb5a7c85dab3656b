#pragma once

#include <string>
#include <string_view>

namespace ql {

enum CoordKind { CoordLatitude = 1, CoordLongitude = 2 };

// "N 049° 07.407": hemisphere, degrees to three digits, "° ", minutes "%6.3f"
// with blanks as zeros. Kinds other than 1 and 2 get no hemisphere.
std::string CoordText(std::string_view decimalText, int kind);

// The same text for a value already converted from its decimal text.
std::string CoordText(double value, int kind);

}  // namespace ql
