// Candidate files as crafted inputs make them: lists past the cache limit,
// archives whose entries add up, entries named like masks, damaged archives.
// The files are made here, at test time.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "planner/candidate_file.h"
#include "planner/candidate_reader.h"
#include "planner/candidate_set.h"
#include "planner_fixtures.h"
#include "support/error_of.h"
#include "support/zip_builder.h"

namespace ql {
namespace {

using test::ScratchFolder;

const std::string Head = "<?xml version=\"1.0\"?>\n<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">\n";

std::string ShortWaypoint(const std::string& code)
{
    return "<wpt lat=\"50.1\" lon=\"7.1\"><name>" + code + "</name></wpt>\n";
}

// `count` short caches GC0 .. GC<count-1>, then `repeated` of them again.
std::string ShortList(std::size_t count, std::size_t repeated = 0)
{
    std::string gpx = Head;
    gpx.reserve(count * 52);
    for (std::size_t i = 0; i < count; ++i) gpx += ShortWaypoint("GC" + std::to_string(i));
    for (std::size_t i = 0; i < repeated; ++i) gpx += ShortWaypoint("GC" + std::to_string(i));
    return gpx + "</gpx>\n";
}

// ---- The cache limit counts while the file is read ------------------------------

TEST(CandidateFile, ReadingStopsAtTheFirstCacheBeyondTheLimit)
{
    ScratchFolder folder;
    const std::string path = folder.Write("viele.gpx", ShortList(MaxCandidates + 50'000));
    EXPECT_EQ(test::ErrorOf([&] { ReadCandidateFile(path); }),
              "Die Suchliste \"" + path +
                  "\" wurde nicht geladen: Zusammen wären es mehr als 200.000 Caches, höchstens 200.000 sind möglich.");

    // The reader builds nothing after the cache its taker refused.
    std::size_t built = 0;
    ReadCandidateGpx(ShortList(1'000), "viele.gpx", [&](Candidate&&) { return ++built < 10; });
    EXPECT_EQ(built, 10u);
}

TEST(CandidateFile, FoundAndRepeatedCachesDoNotCountTowardsTheLimit)
{
    // The limit's worth of new caches, 500 found and 2,000 repeated beside them.
    ScratchFolder folder;
    const std::string path = folder.Write("voll.gpx", ShortList(MaxCandidates + 500, 2'000));
    CodeSet found;
    for (int i = 0; i < 500; ++i) found.insert("GC" + std::to_string(i));
    CandidateSet set;
    const CandidateLoad load = set.AddFiles({path}, found);
    EXPECT_TRUE(load.Errors.empty());
    EXPECT_EQ(load.Added, MaxCandidates);
    EXPECT_EQ(load.AlreadyFound, 1'000u);
    EXPECT_EQ(load.Duplicates, 1'500u);
}

TEST(CandidateFile, ArchiveEntriesTogetherStayWithinTheFileLimit)
{
    // Entries each within the limit that declare more than it together: the
    // whole sum refused before a byte is inflated (their sizes are lies the
    // inflater would find). What is no GPX does not count.
    ScratchFolder folder;
    const std::uint64_t declared = 300ull << 20;
    test::ZipBuilder zip;
    zip.Add({"liesmich.txt", "x", 8, {}, declared});
    for (const char* name : {"a.gpx", "b.gpx", "c.gpx"}) zip.Add({name, ShortList(3), 8, {}, declared});
    const std::string path = folder.Write("dreifach.zip", zip.Build());
    EXPECT_EQ(
        test::ErrorOf([&] { ReadCandidateFile(path); }),
        "Die Suchliste \"" + path + "\" ist zu groß: 943.718.400 Bytes, höchstens 536.870.912 Bytes sind möglich.");
}

// ---- Entries are read by their place in the archive -------------------------------

TEST(CandidateFile, EntriesNamedLikeMasksAreEachReadAsThemselves)
{
    ScratchFolder folder;
    test::ZipBuilder zip;
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"a.gpx", "GC1A"}, {"?.gpx", "GC1Q"}, {"*.gpx", "GC1S"}, {"A.gpx", "GC1C"}};
    for (const auto& [name, code] : entries) zip.Add(name, Head + ShortWaypoint(code) + "</gpx>\n");
    const CandidateFile file = ReadCandidateFile(folder.Write("masken.zip", zip.Build()));
    std::vector<std::string> codes;
    for (const Candidate& c : file.Caches) codes.push_back(c.Code);
    EXPECT_EQ(codes, (std::vector<std::string>{"GC1A", "GC1Q", "GC1S", "GC1C"}));
    EXPECT_EQ(file.Duplicates, 0u);
}

// ---- Every message names the list --------------------------------------------------

TEST(CandidateFile, DamagedArchivesNameTheList)
{
    ScratchFolder folder;
    const std::string crc = test::ZipBuilder().Add({"a.gpx", ShortList(2), 0, 0x12345678u, {}}).Build();
    const struct {
        const char* name;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"text.zip", "kein Archiv", "Invalid archive file. - Native error: 00035."},
        {"crc.zip", crc,
         "Archiver: Invalid size or check sum of file or unsupported compression format - Native error: 00008."},
        {"ohne.zip", test::ZipBuilder().Add("liesmich.txt", "x").Build(), ""},
    };
    for (const auto& c : cases) {
        const std::string path = folder.Write(c.name, c.bytes);
        const std::string expected = c.message.empty()
                                         ? "Das Archiv \"" + path + "\" enthält keine GPX-Datei."
                                         : "Die Suchliste \"" + path + "\" kann nicht gelesen werden: " + c.message;
        EXPECT_EQ(test::ErrorOf([&] { ReadCandidateFile(path); }), expected) << c.name;
    }
    // A missing archive is missing, not empty.
    EXPECT_EQ(test::ErrorOf([&] {
                  ReadCandidateFile(folder.File("fehlt.zip"));
              }).find("Datei " + folder.File("fehlt.zip") + " kann nicht geöffnet werden."),
              0u);
}

}  // namespace
}  // namespace ql
