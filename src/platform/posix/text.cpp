// Conversion between UTF-8 and the ANSI code page, which is Windows-1252 here.

#include <array>
#include <cstdint>

#include "base/utf8.h"
#include "platform/platform.h"

namespace ql::platform {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks a byte the code page leaves undefined.
constexpr std::array<char32_t, 32> Cp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, i);
        // Bytes the code page leaves undefined stand for the control character
        // of the same number both ways, as on Windows.
        const bool undefinedByte = cp >= 0x80 && cp <= 0x9F && Cp1252High[cp - 0x80] == 0;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF) || undefinedByte) {
            out += static_cast<char>(cp);
            continue;
        }
        char mapped = '?';
        for (std::size_t k = 0; k < Cp1252High.size(); ++k)
            if (Cp1252High[k] == cp) mapped = static_cast<char>(0x80 + k);
        out += mapped;
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 8);
    for (char c : ansi) {
        const auto b = static_cast<unsigned char>(c);
        char32_t cp = b;
        if (b >= 0x80 && b <= 0x9F) cp = Cp1252High[b - 0x80] ? Cp1252High[b - 0x80] : b;
        AppendUtf8(out, cp);
    }
    return out;
}

}  // namespace ql::platform
