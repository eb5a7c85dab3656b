#include "core/text_decode.h"

#include <cstdint>
#include <cstring>

#include "base/utf8.h"
#include "platform/platform.h"

namespace ql {

namespace {

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size());
    auto unitAt = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? char32_t((a << 8) | b) : char32_t((b << 8) | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t u = unitAt(i);
        if (IsHighSurrogate(u) && i + 3 < bytes.size() && IsLowSurrogate(unitAt(i + 2))) {
            u = CombineSurrogates(u, unitAt(i + 2));
            i += 2;
        }
        AppendUtf8(out, u);
    }
    return out;
}

}  // namespace

std::string DecodeTextFile(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        std::string text(bytes.substr(3));
        RepairUtf8(text);
        return text;
    }
    return platform::AnsiToUtf8(bytes);
}

}  // namespace ql
