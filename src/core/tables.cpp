#include "core/tables.h"

#include <algorithm>
#include <string>

#include "base/ascii.h"

namespace ql {

std::optional<int> TypeIconIndex(std::string_view typeText)
{
    // Compared letter by letter in upper case, without a copy of the text.
    const auto sameUpper = [&](std::string_view name) {
        return name.size() == typeText.size() && std::equal(name.begin(), name.end(), typeText.begin(),
                                                            [](char n, char t) { return n == AsciiUpper(t); });
    };
    for (std::size_t i = 0; i < CacheTypeNames.size(); ++i)
        if (sameUpper(CacheTypeNames[i])) return static_cast<int>(i);
    return std::nullopt;
}

}  // namespace ql
