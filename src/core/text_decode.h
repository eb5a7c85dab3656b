#pragma once
// Text files as UTF-8: the byte-order mark decides the encoding.

#include <string>
#include <string_view>

#include "base/utf8.h"

namespace ql {

// The bytes of a text file as UTF-8: UTF-16 little or big endian or UTF-8 when
// a matching byte-order mark starts them (the mark is dropped), else the ANSI
// code page. In UTF-16 an unpaired surrogate becomes U+FFFD and an odd last
// byte is dropped. Line breaks stay as they are.
std::string DecodeTextFile(std::string_view bytes);

}  // namespace ql
