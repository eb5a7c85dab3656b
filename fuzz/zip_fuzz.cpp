// Opens arbitrary bytes as an archive, extracts the first "*.gpx" entry, then
// every entry by its place in the directory. Any failure must be a UserError;
// nothing may crash, leak or run away.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "archive/extract.h"
#include "archive/zip_reader.h"
#include "base/user_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ql::NoExtractProgress progress;
    ql::zip::ZipReader reader;
    try {
        reader.Open(std::make_unique<ql::zip::MemoryFile>(std::string(reinterpret_cast<const char*>(data), size)));
    } catch (const ql::UserError&) {
        return 0;
    }
    try {
        ql::platform::LargeBuffer out;
        reader.ExtractToStream("*.gpx", out, progress);
    } catch (const ql::UserError&) {
    }
    for (std::size_t i = 0; i < reader.Entries().size(); ++i) {
        try {
            ql::platform::LargeBuffer out;
            ql::zip::KeepEverything keep;
            reader.ExtractEntry(i, out, progress, keep);
        } catch (const ql::UserError&) {
        }
    }
    reader.Close();
    return 0;
}
