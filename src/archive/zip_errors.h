#pragma once
// The reader's failures, each with its English text and error number.

#include <string>

namespace ql::zip {

// ["Archiver: "] + text + " - Native error: " + the number in five digits.
std::string ArchiverMessage(bool withName, const std::string& text, int number);

// Archiver: File "<mask>" not found - Native error: 00015
[[noreturn]] void ThrowNotFound(const std::string& mask);
// Invalid archive file. - Native error: 00035
[[noreturn]] void ThrowInvalidArchive();
// Deflate64 compression method is not supported - Native error: 00055
[[noreturn]] void ThrowDeflate64();
// Archiver: Invalid size or check sum of file or unsupported compression format - Native error: 00008
[[noreturn]] void ThrowCheckFailed();

}  // namespace ql::zip
