// The history text over arbitrary bytes: RTF or plain text, it always gives a
// text, never reads past its input, and what it makes itself is valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "info/rtf_reader.h"
#include "info/system_text.h"

namespace {

bool ValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = ql::HistoryText(bytes);
    if (text.find('\r') != std::string::npos && !ql::IsRtfDocument(bytes)) __builtin_trap();
    const bool utf8Passthrough = bytes.substr(0, 3) == "\xEF\xBB\xBF" && !ql::IsRtfDocument(bytes);
    if (!utf8Passthrough && !ValidUtf8(text)) __builtin_trap();
    if (ql::IsRtfDocument(bytes) && text.size() > 3 * size) __builtin_trap();
    // The reader alone, also on input without the RTF mark.
    const std::string rtf = ql::RtfToPlainText(bytes);
    if (!ValidUtf8(rtf) || rtf.size() > 3 * size) __builtin_trap();
    return 0;
}
