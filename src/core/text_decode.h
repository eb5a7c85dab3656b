#pragma once
// Text files as UTF-8: the byte-order mark decides the encoding.

#include <string>
#include <string_view>

namespace ql {

// Appends one code point as UTF-8; a surrogate or a value beyond U+10FFFF
// becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);

// Makes UTF-8 text well-formed in place: every byte that does not belong to a
// valid sequence becomes U+FFFD, as decoding would show it. Valid text (the
// usual case) is left untouched and not copied.
void RepairUtf8(std::string& text);

// The bytes of a text file as UTF-8: UTF-16 little or big endian or UTF-8 when
// a matching byte-order mark starts them (the mark is dropped), else the ANSI
// code page. In UTF-16 an unpaired surrogate becomes U+FFFD and an odd last
// byte is dropped. Line breaks stay as they are.
std::string DecodeTextFile(std::string_view bytes);

}  // namespace ql
