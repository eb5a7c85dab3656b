#include "core/tables.h"

#include <string>

#include "base/ascii.h"

namespace ql {

std::optional<int> TypeIconIndex(std::string_view typeText)
{
    const std::string upper = AsciiUpper(typeText);
    for (std::size_t i = 0; i < CacheTypeNames.size(); ++i)
        if (upper == CacheTypeNames[i]) return static_cast<int>(i);
    return std::nullopt;
}

}  // namespace ql
