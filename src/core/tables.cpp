#include "core/tables.h"

#include <string>

namespace ql {

std::optional<int> TypeIconIndex(std::string_view typeText)
{
    std::string upper(typeText);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (std::size_t i = 0; i < CacheTypeNames.size(); ++i)
        if (upper == CacheTypeNames[i]) return static_cast<int>(i);
    return std::nullopt;
}

}  // namespace ql
