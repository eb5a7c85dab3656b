#include "archive/zip_mask.h"

#include <cstddef>

#include "base/ascii.h"

namespace ql::zip {

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool SameChar(char a, char b)
{
    if (IsSeparator(a) && IsSeparator(b)) return true;
    return AsciiUpper(a) == AsciiUpper(b);
}

// Everything up to and including the last separator.
std::size_t FolderLength(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1])) return i;
    return 0;
}

// Left to right; on a mismatch after a "*" the star takes one more character.
bool MatchName(std::string_view name, std::string_view mask)
{
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || SameChar(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

}  // namespace

bool MatchesMask(std::string_view entryName, std::string_view mask)
{
    if (!entryName.empty() && entryName.back() == '/') entryName.remove_suffix(1);
    const std::size_t nameFolder = FolderLength(entryName);
    const std::size_t maskFolder = FolderLength(mask);
    if (nameFolder != maskFolder) return false;
    for (std::size_t i = 0; i < nameFolder; ++i)
        if (!SameChar(entryName[i], mask[i])) return false;
    return MatchName(entryName.substr(nameFolder), mask.substr(maskFolder));
}

}  // namespace ql::zip
