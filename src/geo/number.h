#pragma once
// The one conversion of decimal texts in query and polygon files: locale-free,
// point as decimal separator, optional sign and exponent, blanks around ignored.

#include <string_view>

namespace ql {

// Throws UserError "'%s' ist kein gültiger Gleitkommawert" for anything else.
double ParseDecimal(std::string_view text);

}  // namespace ql
