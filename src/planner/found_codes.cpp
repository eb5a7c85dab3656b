#include "planner/found_codes.h"

#include <algorithm>

#include "base/ascii.h"
#include "query/line_kinds.h"

namespace ql {

CodeSet FoundCodes(const QueryText& lines, const CancelToken* stop)
{
    constexpr std::string_view Open = "<name>", Close = "</name>";
    constexpr std::size_t LinesPerLook = 1 << 16;
    CodeSet codes;
    for (std::size_t i = 0; i < lines.Size(); ++i) {
        if (i % LinesPerLook == 0) ThrowIfCancelled(stop);
        if (!(lines.Kinds(i) & HasWptOpen)) continue;
        for (std::size_t k = i + 1; k < std::min(lines.Size(), i + 4); ++k) {
            const std::string_view line = lines.At(k);
            const std::size_t open = line.find(Open);
            if (open == std::string_view::npos) continue;
            const std::size_t from = open + Open.size();
            const std::size_t close = line.find(Close, from);
            if (close != std::string_view::npos) codes.insert(AsciiUpper(line.substr(from, close - from)));
            break;
        }
    }
    return codes;
}

}  // namespace ql
