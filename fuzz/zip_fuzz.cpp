// Opens arbitrary bytes as an archive and extracts the first "*.gpx" entry.
// Any failure must be a UserError; nothing may crash, leak or run away.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "archive/extract.h"
#include "archive/zip_reader.h"
#include "base/user_error.h"

namespace {

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ql::NoExtractProgress progress;
    ql::zip::ZipReader reader;
    try {
        reader.Open(std::make_unique<ql::zip::MemoryFile>(std::string(reinterpret_cast<const char*>(data), size)));
        ql::platform::LargeBuffer out;
        reader.ExtractToStream("*.gpx", out, progress);
    } catch (const ql::UserError&) {
    }
    reader.Close();
    return 0;
}
