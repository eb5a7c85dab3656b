#pragma once
// The value of a coordinate text as the result list shows it.

#include <optional>
#include <string_view>

namespace ql {

// "N 049° 07.407" -> 49.12345: hemisphere letter (N, S, E, W; S and W
// negative), degrees, "° ", minutes. None for any other text.
std::optional<double> CoordTextValue(std::string_view text);

}  // namespace ql
