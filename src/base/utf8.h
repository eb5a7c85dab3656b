#pragma once
// UTF-8 text: one decoder, one encoder, the repair of damaged text and the
// surrogate rules of UTF-16.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ql {

constexpr bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The code point of a surrogate pair.
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) { return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00); }

// Decodes the code point at i and moves i past it; an invalid sequence yields
// U+FFFD and consumes one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i);

// Appends one code point as UTF-8; a surrogate or a value beyond U+10FFFF
// becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);

// Makes UTF-8 text well-formed in place: every byte that does not belong to a
// valid sequence becomes U+FFFD, as decoding would show it. Valid text (the
// usual case) is left untouched and not copied.
void RepairUtf8(std::string& text);

// The length of the valid UTF-8 sequence starting at `p` (1 to 4), or 0 when
// the byte there starts none or the sequence would pass `end`. `p` < `end`.
std::size_t ValidSequenceLength(const char* p, const char* end);

// The text with every byte outside a valid sequence replaced by U+FFFD; the
// first `validPrefix` bytes are known to be valid and are copied as they are.
std::string RepairedUtf8(std::string_view text, std::size_t validPrefix = 0);

// The most characters of a text from a file that a message or label shows.
inline constexpr std::size_t ShownTextCharacters = 200;

// The text as a message or label shows it: its first ShownTextCharacters
// characters (code points), and "…" when it was longer.
std::string ShortenedText(std::string_view text);

// The size RepairedUtf8 would give, counted without building it, so that a
// limit can be checked first.
std::uint64_t RepairedUtf8Size(std::string_view text, std::size_t validPrefix = 0);

// Writes the repaired text to `out`, which has room for RepairedUtf8Size bytes.
// `out` may lie over the text itself when the repaired text ends no later
// than the text does (the text moved to the end of its room): each byte is
// read before anything is written over it.
void WriteRepairedUtf8(std::string_view text, std::size_t validPrefix, char* out);

}  // namespace ql
