// Lists gathered from several files: each cache once, finds left out, a bad
// file reported while the others load, limits refused in German.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "query/query_text.h"
#include "planner/candidate_set.h"
#include "planner/found_codes.h"
#include "planner_fixtures.h"

namespace ql {
namespace {

using test::CandidateFixture;

std::vector<std::string> Codes(const CandidateSet& set)
{
    std::vector<std::string> codes;
    for (const Candidate& c : set.Caches()) codes.push_back(c.Code);
    return codes;
}

TEST(CandidateSet, FilesLoadTogetherWithoutDuplicatesOrFindsAndABrokenFileIsReported)
{
    CandidateSet set;
    const CodeSet found = {"GC1FND1"};
    const CandidateLoad first = set.AddFiles({CandidateFixture("site_pq.gpx")}, found);
    EXPECT_EQ(first.Added, 4u);
    EXPECT_EQ(first.AlreadyFound, 1u);
    EXPECT_TRUE(first.Errors.empty());

    // Added later: one file broken, one repeating a cache of the first.
    const CandidateLoad more =
        set.AddFiles({CandidateFixture("broken_middle.gpx"), CandidateFixture("app_gpx11_noext.gpx"),
                      CandidateFixture("gsak_cache10.gpx")},
                     found);
    EXPECT_EQ(more.Added, 3u);
    EXPECT_EQ(more.Duplicates, 1u);  // GC1TS02 again
    ASSERT_EQ(more.Errors.size(), 1u);
    EXPECT_EQ(more.Errors[0], "Die Datei \"" + CandidateFixture("broken_middle.gpx") +
                                  "\" ist kein gültiges GPX: Zeile 11, Spalte 39: Das schließende Element passt "
                                  "nicht zum öffnenden.");
    EXPECT_EQ(Codes(set),
              (std::vector<std::string>{"GC1TS01", "GC1TS02", "GC1TS03", "GC1TR01", "GC1TS04", "GC1TR02", "GC1TS05"}));
    // The first file's copy of GC1TS02 stays.
    EXPECT_EQ(set.Caches()[1].SourceFile, CandidateFixture("site_pq.gpx"));
    EXPECT_EQ(set.Files().size(), 3u);

    // A My Finds query opened later takes out what it holds.
    EXPECT_EQ(set.DropFound({"GC1TS04", "GC9XXXX"}), 1u);
    EXPECT_EQ(set.Caches().size(), 6u);
    // ... and the cache may come back once it is no longer found.
    EXPECT_EQ(set.AddFiles({CandidateFixture("app_gpx11_noext.gpx")}, {}).Added, 1u);
}

TEST(CandidateSet, ACacheTwiceInOneFileCountsOnce)
{
    CandidateSet set;
    Candidate a;
    a.Code = "GC1ABC";
    std::vector<Candidate> caches = {a, a, a};
    caches[1].Name = "second copy";
    const CandidateLoad load = set.AddCaches(caches, "pq.gpx", {});
    EXPECT_EQ(load.Added, 1u);
    EXPECT_EQ(load.Duplicates, 2u);
    ASSERT_EQ(set.Caches().size(), 1u);
    EXPECT_TRUE(set.Caches()[0].Name.empty());  // the first copy stays
}

TEST(CandidateSet, MissingFileAndTooManyFilesAreRefusedAndNothingLoadedIsLost)
{
    CandidateSet set;
    set.AddFiles({CandidateFixture("site_pq.gpx")}, {});
    std::vector<std::string> paths(MaxCandidateFiles, CandidateFixture("gibt-es-nicht.gpx"));
    const CandidateLoad load = set.AddFiles(paths, {});
    ASSERT_EQ(load.Errors.size(), MaxCandidateFiles);
    EXPECT_NE(load.Errors.front().find("gibt-es-nicht.gpx"), std::string::npos);
    EXPECT_EQ(load.Errors.back(), "Die Suchliste \"" + CandidateFixture("gibt-es-nicht.gpx") +
                                      "\" wurde nicht geladen: Höchstens 200 Suchlisten sind möglich.");
    EXPECT_EQ(set.Caches().size(), 5u);
}

TEST(CandidateSet, ListsBeyondTheCacheLimitAreRefusedWhole)
{
    CandidateSet set;
    std::vector<Candidate> many(MaxCandidates);
    for (std::size_t i = 0; i < many.size(); ++i) many[i].Code = "GC" + std::to_string(i);
    EXPECT_EQ(set.AddCaches(std::move(many), "gross.gpx", {}).Added, MaxCandidates);
    std::vector<Candidate> one(1);
    one[0].Code = "GCNEU";
    const CandidateLoad load = set.AddCaches(std::move(one), "eine.gpx", {});
    EXPECT_EQ(load.Added, 0u);
    ASSERT_EQ(load.Errors.size(), 1u);
    EXPECT_EQ(load.Errors[0],
              "Die Suchliste \"eine.gpx\" wurde nicht geladen: Zusammen wären es 200.001 Caches, "
              "höchstens 200.000 sind möglich.");
    EXPECT_EQ(set.Caches().size(), MaxCandidates);
    EXPECT_EQ(set.Files().size(), 1u);
}

TEST(FoundCodes, EveryWaypointOfTheQueryCountsWhateverItsStateOrDate)
{
    const QueryText lines = QueryText::FromBytes(
        "<?xml version=\"1.0\"?>\r\n<gpx>\r\n  <wpt lat=\"50\" lon=\"7\">\r\n    <time>2009-01-01</time>\r\n"
        "    <name>gc1abc</name>\r\n  </wpt>\r\n  <wpt lat=\"48\" lon=\"11\">\r\n    <name>GC2DEF</name>\r\n"
        "  </wpt>\r\n</gpx>");
    EXPECT_EQ(FoundCodes(lines), (CodeSet{"GC1ABC", "GC2DEF"}));
    CancelToken stop;
    stop.Cancel();
    EXPECT_THROW(FoundCodes(lines, &stop), Cancelled);
}

}  // namespace
}  // namespace ql
