// Archives that claim much: an entry declared larger than a query may be, and
// a flood of local headers without an end record.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "archive/extract.h"

#include "archive/zip_directory.h"
#include "archive/zip_format.h"
#include "archive/zip_reader.h"
#include "base/user_error.h"
#include "support/zip_builder.h"

namespace ql {
namespace {

struct Silent : ExtractProgress {
    void OnFileProgress(double) override {}
    void OnOverallProgress(double) override {}
};

std::string ExtractFrom(const std::string& archive)
{
    zip::ZipReader reader;
    platform::LargeBuffer out;
    Silent progress;
    try {
        reader.Open(std::make_unique<zip::MemoryFile>(archive));
        reader.ExtractToStream("*.gpx", out, progress);
    } catch (const UserError& e) {
        return e.what();
    }
    return "extracted " + std::to_string(out.Size());
}

TEST(ZipLimits, AnEntryDeclaredBeyondTheLimitIsRefusedBeforeInflating)
{
    test::TestEntry big{"q.gpx", std::string(1000, '\n'), 8, {}, 5'000'000'000ULL};
    EXPECT_EQ(ExtractFrom(test::ZipBuilder().Zip64().Add(big).Build()),
              "Die Abfrage ist zu groß: 5.000.000.000 Bytes, höchstens 4.000.000.000 Bytes sind möglich.");
    // One that inflates past what it declares still stops there.
    test::TestEntry liar{"q.gpx", std::string(1000, '\n'), 8, {}, 10};
    EXPECT_EQ(ExtractFrom(test::ZipBuilder().Add(liar).Build()),
              "Archiver: Invalid size or check sum of file or unsupported compression format - Native error: 00008");
}

TEST(ZipLimits, MoreLinesThanTheDeclaredSizeAllowsStopWhileInflating)
{
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("ql_breaks_" + std::to_string(static_cast<long>(::getpid())) + ".zip"))
                                 .string();
    Silent progress;
    const auto extract = [&](const std::string& text) {
        const std::string archive = test::ZipBuilder().Add("q.gpx", text).Build();
        std::ofstream(path, std::ios::binary).write(archive.data(), static_cast<std::streamsize>(archive.size()));
        std::string message = "no error";
        try {
            (void)ExtractFirstGpx(path, progress);
        } catch (const UserError& e) {
            message = e.what();
        }
        std::filesystem::remove(path);
        return message;
    };
    // Five million line breaks in a few kilobytes: the query of five million
    // bytes may have 4,506,804 lines, and the extraction itself says so.
    const std::string tooMany =
        "Die Abfrage hat zu viele Zeilen: Bei 5.000.000 Bytes sind höchstens 4.506.804 Zeilen möglich.";
    EXPECT_EQ(extract(std::string(5'000'000, '\n')), tooMany);
    EXPECT_EQ(extract(std::string(5'000'000, '\r')), tooMany);
    // CR LF pairs count once: two and a half million lines stay inside.
    std::string pairs(5'000'000, '\n');
    for (std::size_t i = 0; i < pairs.size(); i += 2) pairs[i] = '\r';
    EXPECT_EQ(extract(pairs), "no error");
}

// `count` bare local headers, 30 bytes apart, each claiming a name of
// `nameLength` bytes and no data; no central directory, no end record.
std::string LocalHeaderFlood(int count, std::uint16_t nameLength)
{
    std::string header(30, '\0');
    header.replace(0, 4, "PK\x03\x04", 4);
    header[26] = static_cast<char>(nameLength & 0xFF);
    header[27] = static_cast<char>(nameLength >> 8);
    std::string flood;
    for (int i = 0; i < count; ++i) flood += header;
    return flood;
}

TEST(ZipLimits, TheRebuildKeepsNamesWithinTheFileAndNeverOverlapping)
{
    // 3,000 headers in 90,000 bytes, each claiming the next 1,000 bytes as its
    // name: the next header is looked for after a name, at every 1,050 bytes,
    // and the last headers' names would run past the end.
    const std::string flood = LocalHeaderFlood(3000, 1000);
    zip::MemoryFile file(flood);
    const std::vector<zip::ZipEntry> entries = zip::ScanLocalHeaders(file);
    ASSERT_EQ(entries.size(), 85u);
    EXPECT_EQ(entries[1].LocalHeaderOffset, 1050u);
    EXPECT_EQ(entries[84].LocalHeaderOffset, 88'200u);
    EXPECT_EQ(entries[84].Name.size(), 1000u);

    // Names longer than the file find nothing: the archive is invalid.
    EXPECT_EQ(ExtractFrom(LocalHeaderFlood(2000, 0xFFFF)), "Invalid archive file. - Native error: 00035");
}

}  // namespace
}  // namespace ql
