// The export read back: valid GPX 1.0 with one waypoint per cache, the site's
// elements carried through as they stood, written so a failure keeps the old file.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "planner/candidate_reader.h"
#include "planner/gpx_export.h"
#include "planner_fixtures.h"
#include "support/error_of.h"

namespace ql {
namespace {

using test::CandidateFixture;
using test::ReadBytes;

std::vector<Candidate> MixedCaches()
{
    std::vector<Candidate> caches;
    for (const char* file : {"site_pq.gpx", "app_gpx11_noext.gpx", "gsak_cache10.gpx"})
        for (Candidate& c : ReadCandidateGpx(ReadBytes(CandidateFixture(file)), file)) caches.push_back(std::move(c));
    Candidate own;
    own.Code = "GC1XML";
    own.Name = "Fish & Chips <3 \"Eck\"";
    own.Type = "Traditional Cache";
    own.Point = {50.03, 7.02};
    caches.push_back(own);
    return caches;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(GpxExport, ExportReadsBackWithEveryCacheAndCarriesTheSiteElementsThrough)
{
    const std::vector<Candidate> caches = MixedCaches();
    std::vector<const Candidate*> chosen;
    for (const Candidate& c : caches) chosen.push_back(&c);
    const std::string gpx = CandidateGpxText(chosen, "2026-12-09T18:00:00Z");

    // What devices rely on: the root, its version and namespaces, one wpt per cache with lat and lon.
    ASSERT_TRUE(gpx.starts_with("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<gpx version=\"1.0\" "));
    EXPECT_NE(gpx.find(" xmlns=\"http://www.topografix.com/GPX/1/0\""), std::string::npos);
    EXPECT_NE(gpx.find(" xmlns:groundspeak=\"http://www.groundspeak.com/cache/1/0/1\""), std::string::npos);
    EXPECT_NE(gpx.find(" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""), std::string::npos);
    EXPECT_EQ(Count(gpx, "<wpt "), caches.size());
    EXPECT_EQ(Count(gpx, "</wpt>"), caches.size());
    EXPECT_TRUE(gpx.ends_with("</gpx>\r\n"));

    const std::vector<Candidate> back = ReadCandidateGpx(gpx, "export.gpx");
    ASSERT_EQ(back.size(), caches.size());
    for (std::size_t i = 0; i < caches.size(); ++i) {
        SCOPED_TRACE(caches[i].Code);
        EXPECT_EQ(back[i].Code, caches[i].Code);
        EXPECT_EQ(back[i].Name, caches[i].Name);
        EXPECT_EQ(back[i].Type, caches[i].Type);
        EXPECT_EQ(back[i].Available, caches[i].Available);
        EXPECT_NEAR(back[i].Point.X, caches[i].Point.X, 1e-6);
        EXPECT_NEAR(back[i].Point.Y, caches[i].Point.Y, 1e-6);
        EXPECT_EQ(back[i].Difficulty, caches[i].Difficulty);
        if (!caches[i].Waypoint.empty() && caches[i].SourceFile == "site_pq.gpx") {
            // The site's element, byte for byte.
            EXPECT_EQ(back[i].Waypoint, caches[i].Waypoint);
            EXPECT_NE(gpx.find(caches[i].Waypoint), std::string::npos);
        }
    }
    // The element from the document that declared the older extension on its root
    // declares it itself now, and keeps its content.
    const Candidate& gsak = caches[8];
    ASSERT_EQ(gsak.Code, "GC1TS05");
    EXPECT_NE(gpx.find("<wpt xmlns:groundspeak=\"http://www.groundspeak.com/cache/1/0\" xmlns:gsak="
                       "\"http://www.gsak.net/xmlv1/6\" lat=\"50.025\" lon=\"7.035\">"),
              std::string::npos);
    EXPECT_NE(back[8].Waypoint.find("<groundspeak:long_description html=\"False\">Die Brücke ist fast 2000 Jahre alt."),
              std::string::npos);
    // A cache without the extension gets its own element, the listing's address included.
    EXPECT_NE(gpx.find("<name>GC1TS04</name>\r\n    <desc>Am Waldrand, Unknown Cache (2.5/1.5)</desc>\r\n    "
                       "<url>http://coord.info/GC1TS04</url>"),
              std::string::npos);
    EXPECT_NE(gpx.find("<urlname>Fish &amp; Chips &lt;3 &quot;Eck&quot;</urlname>"), std::string::npos);
}

TEST(GpxExport, WritingReplacesTheFileWholeOrLeavesItAsItWas)
{
    test::ScratchFolder folder;
    const std::string target = folder.Write("tour.gpx", "alte Datei");
    WriteFileReplacing(target, "<gpx/>");
    EXPECT_EQ(ReadBytes(target), "<gpx/>");
    EXPECT_FALSE(std::filesystem::exists(target + ".part"));

    // A file of the user's named as a fixed temporary name would be stays as it is.
    folder.Write("tour.gpx.part", "eigene Datei");
    WriteFileReplacing(target, "<gpx>neu</gpx>");
    EXPECT_EQ(ReadBytes(target), "<gpx>neu</gpx>");
    EXPECT_EQ(ReadBytes(target + ".part"), "eigene Datei");

    // A folder that does not exist: the message names the user's file.
    const std::string nowhere = folder.File("fehlt/tour.gpx");
    EXPECT_EQ(test::ErrorOf([&] { WriteFileReplacing(nowhere, "<gpx/>"); }).rfind("Datei \"" + nowhere + "\"", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

}  // namespace
}  // namespace ql
