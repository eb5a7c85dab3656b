#include "archive/zip_errors.h"

#include <cstdio>

#include "base/user_error.h"

namespace ql::zip {

std::string ArchiverMessage(bool withName, const std::string& text, int number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", number);
    return (withName ? "Archiver: " : "") + text + " - Native error: " + digits;
}

void ThrowNotFound(const std::string& mask)
{
    throw UserError(ArchiverMessage(true, "File \"" + mask + "\" not found", 15));
}

void ThrowInvalidArchive()
{
    throw UserError(ArchiverMessage(false, "Invalid archive file.", 35));
}

void ThrowDeflate64()
{
    throw UserError(ArchiverMessage(false, "Deflate64 compression method is not supported", 55));
}

void ThrowCheckFailed()
{
    throw UserError(
        ArchiverMessage(true, "Invalid size or check sum of file or unsupported compression format", 8));
}

}  // namespace ql::zip
