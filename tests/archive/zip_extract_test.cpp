#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "archive/extract.h"
#include "archive/zip_directory.h"
#include "archive/zip_reader.h"
#include "query/query_text.h"
#include "base/user_error.h"
#include "support/error_of.h"
#include "support/win_support.h"
#include "support/zip_builder.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

const std::string NotFound = "Archiver: File \"*.gpx\" not found - Native error: 00015";
const std::string Invalid = "Invalid archive file. - Native error: 00035";
const std::string Deflate64 = "Deflate64 compression method is not supported - Native error: 00055";
const std::string CheckFailed =
    "Archiver: Invalid size or check sum of file or unsupported compression format - Native error: 00008";

// Records the events as "F<percent>" / "O<percent>".
struct Recorder : ExtractProgress {
    std::vector<std::string> events;
    void OnFileProgress(double p) override { events.push_back("F" + Percent(p)); }
    void OnOverallProgress(double p) override { events.push_back("O" + Percent(p)); }
    static std::string Percent(double p)
    {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", p);
        return buf;
    }
};

class ZipExtract : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("ql_zip_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string Extract(const std::string& bytes)
    {
        return std::string(ExtractFirstGpx(Write("q.zip", bytes), progress).View());
    }
    std::string FailureOf(const std::string& bytes) { return FailureAt(Write("q.zip", bytes)); }
    std::string FailureAt(const std::string& path)
    {
        return test::ErrorOf([&] { ExtractFirstGpx(path, progress); });
    }

    fs::path dir;
    Recorder progress;
};

std::string Lines(int count)
{
    std::string s;
    for (int i = 0; i < count; ++i) s += "<wpt lat=\"49." + std::to_string(i) + "\" lon=\"7.5\">\r\n";
    return s;
}

// ---- Which entry is taken ------------------------------------------------------

TEST_F(ZipExtract, TakesTheFirstTopLevelGpxInDirectoryOrder)
{
    // File order: b then a; the directory lists a first, and a wins.
    auto zip = test::ZipBuilder().Add("readme.txt", "x").Add("b.gpx", "second").Add("a.gpx", "first");
    EXPECT_EQ(Extract(zip.Build()), "second");
    EXPECT_EQ(Extract(zip.ReverseDirectory().Build()), "first");
}

TEST_F(ZipExtract, AnEntryTakenByItsPlaceIsItselfWhateverItsName)
{
    // Names that are masks themselves, and names alike but for case.
    zip::ZipReader reader;
    reader.Open(std::make_unique<zip::MemoryFile>(
        test::ZipBuilder().Add("a.gpx", "a").Add("?.gpx", "ask").Add("*.gpx", "star").Add("A.gpx", "caps").Build()));
    const std::vector<std::string> expected = {"a", "ask", "star", "caps"};
    ASSERT_EQ(reader.Entries().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        platform::LargeBuffer out;
        zip::KeepEverything keep;
        EXPECT_TRUE(reader.ExtractEntry(i, out, progress, keep));
        EXPECT_EQ(out.View(), expected[i]);
    }
    // The query's own choice stays the first name the mask passes.
    platform::LargeBuffer out;
    reader.ExtractToStream("*.gpx", out, progress);
    EXPECT_EQ(out.View(), "a");
}

TEST_F(ZipExtract, FindsCapitalsAndTheBareExtensionButNothingInFolders)
{
    EXPECT_EQ(Extract(test::ZipBuilder().Add("q/in-folder.gpx", "no").Add("PQ.GPX", "caps").Build()), "caps");
    EXPECT_EQ(Extract(test::ZipBuilder().Add(".gpx", "bare").Build()), "bare");
    EXPECT_EQ(FailureOf(test::ZipBuilder().Add("pq/", "").Add("pq/7545915.gpx", "x").Build()), NotFound);
    EXPECT_EQ(FailureOf(test::ZipBuilder().Build()), NotFound);  // an archive without entries
}

// ---- Files that are no archive ---------------------------------------------------

TEST_F(ZipExtract, MissingPathIsAnArchiveWithoutEntriesAndStaysMissing)
{
    const std::string path = (dir / "absent.zip").string();
    EXPECT_EQ(FailureAt(path), NotFound);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(progress.events, std::vector<std::string>{"O0"});
}

TEST_F(ZipExtract, TextFileOrEmptyFileIsInvalid)
{
    EXPECT_EQ(FailureOf("This is just a text file named like an archive.\r\n"), Invalid);
    EXPECT_EQ(FailureOf(""), Invalid);
    EXPECT_EQ(FailureOf("PK\x03\x04 fewer than thirty"), Invalid);
    EXPECT_TRUE(progress.events.empty());  // opening fails before any event
}

#ifdef _WIN32
TEST_F(ZipExtract, FileLockedByAnotherProgramGivesTheFileLayerMessage)
{
    const std::string path = Write("locked.zip", test::ZipBuilder().Add("a.gpx", "x").Build());
    test::ExclusiveHandle other(path);
    ASSERT_TRUE(other.held());
    EXPECT_EQ(FailureAt(path),
              "Datei " + path + " kann nicht geöffnet werden. " + test::SystemMessage(ERROR_SHARING_VIOLATION));
}
#else
TEST_F(ZipExtract, UnreadableFileGivesTheFileLayerMessage)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const std::string path = Write("locked.zip", test::ZipBuilder().Add("a.gpx", "x").Build());
    fs::permissions(path, fs::perms::none);
    EXPECT_EQ(FailureAt(path), "Datei " + path + " kann nicht geöffnet werden. Permission denied");
}
#endif

TEST_F(ZipExtract, FolderGivesTheFileLayerMessage)
{
    const std::string path = (dir / "folder.zip").string();
    fs::create_directories(path);
    const std::string message = FailureAt(path);
    EXPECT_EQ(message.rfind("Datei " + path + " kann nicht geöffnet werden. ", 0), 0u) << message;
}

// ---- Decoding and its checks -----------------------------------------------------

TEST_F(ZipExtract, StoredAndDeflatedEntriesDecodeWithProgress)
{
    const std::string text = Lines(5000);  // about 170 kB: several stored pieces
    ASSERT_EQ(Extract(test::ZipBuilder().Add("s.gpx", text, 0).Build()), text);
    const auto& ev = progress.events;
    ASSERT_GE(ev.size(), 7u);
    EXPECT_EQ(ev.front(), "O0");
    const std::size_t pieces = (text.size() + 65534) / 65535;
    EXPECT_EQ(ev.size(), 1 + 2 * pieces + 2);
    EXPECT_EQ(ev[1], "F" + Recorder::Percent(65535.0 / text.size() * 100));
    EXPECT_EQ(ev[2], "O" + ev[1].substr(1));
    EXPECT_EQ(ev[ev.size() - 2], "F100");
    EXPECT_EQ(ev.back(), "O100");

    progress.events.clear();
    EXPECT_EQ(Extract(test::ZipBuilder().Add("d.gpx", text).Build()), text);
    // Before the one call into the inflater: 0; then the end.
    EXPECT_EQ(progress.events, (std::vector<std::string>{"O0", "F0", "O0", "F100", "O100"}));
}

TEST_F(ZipExtract, LargeEntryReportsAtLeastOncePerMebibyteAndNeverGoesBack)
{
    const std::string text = Lines(200000);  // about 7 MB
    ASSERT_EQ(Extract(test::ZipBuilder().Add("big.gpx", text).Build()), text);
    std::vector<double> overall;
    for (const auto& e : progress.events)
        if (e[0] == 'O') overall.push_back(std::stod(e.substr(1)));
    EXPECT_GE(overall.size(), text.size() / (1 << 20) + 2);
    for (std::size_t i = 1; i < overall.size(); ++i) EXPECT_GE(overall[i], overall[i - 1]);
    EXPECT_EQ(overall.back(), 100.0);
}

TEST_F(ZipExtract, EmptyEntryAndByteOrderMark)
{
    EXPECT_EQ(Extract(test::ZipBuilder().Add("empty.gpx", "").Build()), "");
    EXPECT_EQ(progress.events.back(), "O100");
    const std::string bytes = Extract(test::ZipBuilder().Add("bom.gpx", "\xEF\xBB\xBF<?xml?>\r\n<gpx>").Build());
    EXPECT_EQ(bytes.size(), 17u);  // the mark stays in the buffer
    EXPECT_EQ(QueryText::FromBytes(bytes).At(0), "<?xml?>");
}

TEST_F(ZipExtract, EveryFailedCheckGivesTheCheckMessage)
{
    const std::string text = Lines(100);
    // A wrong CRC-32, a size too large or too small, an unknown method (bzip2).
    for (const test::TestEntry& e :
         {test::TestEntry{"a.gpx", text, 8, 0x12345678u, {}}, test::TestEntry{"a.gpx", text, 8, {}, text.size() + 1},
          test::TestEntry{"a.gpx", text, 0, {}, text.size() - 1}, test::TestEntry{"a.gpx", text, 12, {}, {}}})
        EXPECT_EQ(FailureOf(test::ZipBuilder().Add(e).Build()), CheckFailed) << e.method;

    // Encrypted (flag bit 0 in the directory): not decrypted, never handed on.
    std::string encrypted = test::ZipBuilder().Add("a.gpx", text, 0).Build();
    encrypted[encrypted.find("PK\x01\x02") + 8] = 1;
    EXPECT_EQ(FailureOf(encrypted), CheckFailed);

    // A broken deflate stream: the block type bits of the first byte made invalid.
    std::string broken = test::ZipBuilder().Add("a.gpx", text).Build();
    broken[30 + 5] = static_cast<char>(0xFF);
    EXPECT_EQ(FailureOf(broken), CheckFailed);
}

TEST_F(ZipExtract, Deflate64IsRefusedBeforeDecoding)
{
    test::TestEntry e{"a.gpx", Lines(10), 9, {}, {}};
    EXPECT_EQ(FailureOf(test::ZipBuilder().Add(e).Build()), Deflate64);
    EXPECT_EQ(progress.events, std::vector<std::string>{"O0"});
}

// Sizes in an archive are outside input: the output stops one byte past the
// claimed size, and a huge claim reserves no more than the data could give.
TEST_F(ZipExtract, LyingSizesCannotExhaustMemory)
{
    const std::string bomb(64 << 20, 'A');  // 64 MiB that deflate to about 64 kB
    test::TestEntry small{"a.gpx", bomb, 8, {}, 1000};
    zip::ZipReader reader;
    reader.Open(std::make_unique<zip::MemoryFile>(test::ZipBuilder().Add(small).Build()));
    platform::LargeBuffer out;
    EXPECT_EQ(test::ErrorOf([&] { reader.ExtractToStream("*.gpx", out, progress); }), CheckFailed);
    EXPECT_EQ(out.Size(), 1001u);
    EXPECT_LT(out.Capacity(), 2u << 20);

    test::TestEntry huge{"a.gpx", "tiny", 0, {}, 0xFFFFFFFFu};
    reader.Open(std::make_unique<zip::MemoryFile>(test::ZipBuilder().Add(huge).Build()));
    EXPECT_THROW(reader.ExtractToStream("*.gpx", out, progress), UserError);
    EXPECT_LT(out.Capacity(), 1u << 20);
}

// ---- Archive structure -------------------------------------------------------------

TEST_F(ZipExtract, Zip64RecordsAreRead)
{
    const std::string text = Lines(300);
    zip::ZipReader reader;
    reader.Open(
        std::make_unique<zip::MemoryFile>(test::ZipBuilder().Zip64().Add("notes.txt", "n").Add("q.gpx", text).Build()));
    ASSERT_EQ(reader.Entries().size(), 2u);
    EXPECT_EQ(reader.Entries()[1].UncompressedSize, text.size());
    EXPECT_GT(reader.Entries()[1].LocalHeaderOffset, 0u);
    platform::LargeBuffer out;
    reader.ExtractToStream("*.gpx", out, progress);
    EXPECT_EQ(out.View(), text);
}

TEST_F(ZipExtract, EndRecordIsFoundBehindAnArchiveComment)
{
    std::string zip = test::ZipBuilder().Add("a.gpx", "with comment").Build();
    const std::string comment(60000, 'c');
    zip[zip.size() - 2] = static_cast<char>(comment.size() & 0xFF);
    zip[zip.size() - 1] = static_cast<char>(comment.size() >> 8);
    EXPECT_EQ(Extract(zip + comment), "with comment");
}

TEST_F(ZipExtract, CutOffArchiveIsRebuiltFromLocalHeaders)
{
    const std::string text = Lines(400);
    std::size_t localPart = 0;
    const std::string whole =
        test::ZipBuilder().Add("first.gpx", text).Add("second.gpx", "2").ReverseDirectory().Build(&localPart);
    // Directory gone: file order, so first.gpx wins.
    EXPECT_EQ(Extract(whole.substr(0, localPart)), text);
    // Only the first entry's header and data survive.
    EXPECT_EQ(Extract(whole.substr(0, localPart - 40)), text);
    // A damaged directory (its first signature broken) also falls back to the scan.
    std::string damaged = whole;
    damaged[localPart] = 'X';
    EXPECT_EQ(Extract(damaged), text);
    // Cut inside the GPX entry's data: the entry is found but its data ends early.
    EXPECT_EQ(FailureOf(whole.substr(0, 60)), CheckFailed);
}

TEST_F(ZipExtract, CutOffArchiveOverAWindowFindsAHeaderAcrossTheWindowsEnd)
{
    // The rebuild reads the file in windows of 1 MiB. An entry whose size
    // follows its data (a data descriptor) is searched through; the next
    // header starts one to three bytes before the first window ends, so its
    // signature lies across two windows.
    constexpr std::size_t Window = std::size_t{1} << 20;
    const std::string text = Lines(50);
    for (std::size_t before = 1; before <= 3; ++before) {
        const std::string first = "a.txt";
        const std::size_t dataSize = Window - before - 30 - first.size();
        std::size_t localPart = 0;
        std::string zip =
            test::ZipBuilder().Add(first, std::string(dataSize, 'x'), 0).Add("q.gpx", text).Build(&localPart);
        zip[6] = static_cast<char>(zip[6] | 0x08);  // sizes in a data descriptor
        zip.resize(localPart);  // the directory is cut off
        ASSERT_GT(zip.size(), Window);

        zip::MemoryFile file(zip);
        const std::vector<zip::ZipEntry> entries = zip::ScanLocalHeaders(file);
        ASSERT_EQ(entries.size(), 2u) << before;
        EXPECT_EQ(entries[1].LocalHeaderOffset, Window - before);
        EXPECT_EQ(entries[1].Name, "q.gpx");
        EXPECT_EQ(Extract(zip), text) << before;
    }
}

// ---- Real pocket-query archives ----------------------------------------------------

TEST_F(ZipExtract, RealPocketQueryArchives)
{
    const std::string fixtures = QL_FIXTURES_DIR "/zip/";
    // Regular PQ: the waypoints file comes first, and it is the one taken.
    const QueryText wpts = QueryText::FromBuffer(ExtractFirstGpx(fixtures + "pq7545915.zip", progress));
    EXPECT_EQ(wpts.At(2).find("<name>Waypoints for Cache Listings"), 2u) << wpts.At(2);
    EXPECT_EQ(ExtractFirstGpx(fixtures + "pq_cp437.zip", progress).Size(), 11149u);
    EXPECT_EQ(ExtractFirstGpx(fixtures + "pq_entities.zip", progress).Size(), 11173u);
}

}  // namespace
}  // namespace ql
