#include "base/utf8.h"

#include <cstdint>
#include <cstring>

#include "base/repaired_size.h"

namespace ql {

std::size_t ValidSequenceLength(const char* p, const char* end)
{
    const auto b0 = static_cast<unsigned char>(p[0]);
    if (b0 < 0x80) return 1;
    const std::size_t length = b0 >= 0xC2 && b0 <= 0xDF ? 2 : b0 >= 0xE0 && b0 <= 0xEF ? 3 : b0 >= 0xF0 && b0 <= 0xF4 ? 4 : 0;
    if (length == 0 || static_cast<std::size_t>(end - p) < length) return 0;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(p[k]); };
    for (std::size_t k = 1; k < length; ++k)
        if ((at(k) & 0xC0) != 0x80) return 0;
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    if (b0 == 0xE0 && at(1) < 0xA0) return 0;
    if (b0 == 0xED && at(1) > 0x9F) return 0;
    if (b0 == 0xF0 && at(1) < 0x90) return 0;
    if (b0 == 0xF4 && at(1) > 0x8F) return 0;
    return length;
}

char32_t NextCodePoint(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    const std::size_t length = ValidSequenceLength(s.data() + i, s.data() + s.size());
    if (length == 0) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = b0 & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += length;
    return cp;
}

void RepairUtf8(std::string& text)
{
    // The first byte outside a valid sequence; plain ASCII is skipped eight
    // bytes at a time, a pocket query being mostly that.
    std::size_t i = 0;
    const std::size_t n = text.size();
    const char* const end = text.data() + n;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t chunk;
            std::memcpy(&chunk, text.data() + i, 8);
            if (!(chunk & 0x8080808080808080ULL)) {
                i += 8;
                continue;
            }
        }
        const std::size_t length = ValidSequenceLength(text.data() + i, end);
        if (length == 0) break;
        i += length;
    }
    if (i >= n) return;
    text = RepairedUtf8(text, i);
}

std::string ShortenedText(std::string_view text)
{
    std::size_t i = 0;
    for (std::size_t characters = 0; i < text.size() && characters < ShownTextCharacters; ++characters)
        NextCodePoint(text, i);
    if (i >= text.size()) return std::string(text);
    return std::string(text.substr(0, i)) + "\u2026";
}

std::uint64_t RepairedUtf8Size(std::string_view text, std::size_t validPrefix)
{
    // Each stray byte becomes the three bytes of U+FFFD: two more.
    RepairedSizeCounter counter;
    counter.Add(text.data() + validPrefix, text.size() - validPrefix);
    return validPrefix + counter.Total();
}

namespace {
// A continuation byte, C0, C1 or F5 to FF: stray wherever a sequence would start.
bool StartsNoSequence(unsigned char b)
{
    return b >= 0x80 && (b < 0xC2 || b > 0xF4);
}
}  // namespace

void WriteRepairedUtf8(std::string_view text, std::size_t validPrefix, char* out)
{
    // Runs of valid text move at once; each stray byte becomes U+FFFD. The
    // text is read before the place it is written to (memmove): `out` may
    // lie over the text, behind its bytes.
    const std::size_t n = text.size();
    const char* const data = text.data();
    const char* const end = data + n;
    std::size_t i = validPrefix;
    std::memmove(out, data, validPrefix);
    out += validPrefix;
    while (i < n) {
        std::size_t run = i;
        while (run < n) {
            if (run + 8 <= n) {
                std::uint64_t chunk;
                std::memcpy(&chunk, data + run, 8);
                if (!(chunk & 0x8080808080808080ULL)) {
                    run += 8;
                    continue;
                }
            }
            const std::size_t length = ValidSequenceLength(data + run, end);
            if (length == 0) break;
            run += length;
        }
        if (run > i) std::memmove(out, data + i, run - i);
        out += run - i;
        if (run == n) break;
        // A stray byte, and those after it that start no sequence at all.
        do {
            std::memcpy(out, "\xEF\xBF\xBD", 3);
            out += 3;
            ++run;
        } while (run < n && StartsNoSequence(static_cast<unsigned char>(data[run])));
        i = run;
    }
}

std::string RepairedUtf8(std::string_view text, std::size_t validPrefix)
{
    // Damaged text: counted, then copied once with U+FFFD for each stray byte.
    std::string repaired(static_cast<std::size_t>(RepairedUtf8Size(text, validPrefix)), '\0');
    WriteRepairedUtf8(text, validPrefix, repaired.data());
    return repaired;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace ql
