// Candidate files from the site and from other writers, read into caches.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "planner/candidate_reader.h"
#include "planner/candidate_set.h"
#include "planner_fixtures.h"
#include "support/error_of.h"

namespace ql {
namespace {

using test::CandidateFixture;
using test::ReadBytes;

std::vector<Candidate> ReadFixture(const std::string& name)
{
    return ReadCandidateGpx(ReadBytes(CandidateFixture(name)), name);
}

TEST(CandidateReader, SitePocketQueryGivesEveryCacheWithItsFieldsAndElement)
{
    const std::vector<Candidate> caches = ReadFixture("site_pq.gpx");
    ASSERT_EQ(caches.size(), 5u);
    const Candidate& first = caches[0];
    EXPECT_EQ(first.Code, "GC1TS01");
    EXPECT_EQ(first.Name, "Saarburger Blick");
    EXPECT_EQ(first.Type, "Traditional Cache");
    EXPECT_EQ(first.Difficulty, 1.5);
    EXPECT_EQ(first.Terrain, 2.0);
    EXPECT_DOUBLE_EQ(first.Point.X, 50.035);
    EXPECT_DOUBLE_EQ(first.Point.Y, 7.005);
    EXPECT_TRUE(first.Available);
    EXPECT_EQ(first.SourceFile, "site_pq.gpx");
    // The element as the file has it, line breaks and entities included.
    const std::string bytes = ReadBytes(CandidateFixture("site_pq.gpx"));
    ASSERT_TRUE(first.Waypoint.starts_with("<wpt lat=\"50.035\" lon=\"7.005\">"));
    ASSERT_TRUE(first.Waypoint.ends_with("</wpt>"));
    EXPECT_NE(bytes.find(first.Waypoint), std::string::npos);
    EXPECT_NE(first.Waypoint.find("leise sein.</groundspeak:long_description>"), std::string::npos);
    // The site declares its extension on the cache element; the root only the schema's namespaces.
    for (const auto& [prefix, uri] : first.OuterNamespaces) EXPECT_TRUE(prefix == "xsi" || prefix == "xsd") << prefix;

    EXPECT_EQ(caches[1].Type, "Multi-cache");
    EXPECT_EQ(caches[1].Terrain, 3.5);
    EXPECT_FALSE(caches[2].Available);  // archived
    EXPECT_EQ(caches[4].Name, "Porta Nigra");
}

TEST(CandidateReader, Gpx11ExportWithoutExtensionTakesNameTypeAndRatingsFromItsElements)
{
    const std::vector<Candidate> caches = ReadFixture("app_gpx11_noext.gpx");
    ASSERT_EQ(caches.size(), 3u);
    EXPECT_EQ(caches[1].Code, "GC1TS04");
    EXPECT_EQ(caches[1].Name, "Am Waldrand");  // from <link><text>
    EXPECT_EQ(caches[1].Type, "Unknown Cache");
    EXPECT_EQ(caches[1].Difficulty, 2.5);  // from the description's "(2.5/1.5)"
    EXPECT_EQ(caches[1].Terrain, 1.5);
    EXPECT_TRUE(caches[1].Available);
    EXPECT_TRUE(caches[1].Waypoint.empty());  // nothing of the site's to carry through
    EXPECT_EQ(caches[2].Code, "GC1TR02");  // codes in upper case
}

TEST(CandidateReader, NamesOfExportsWithoutExtensionLoseOwnerTypeAndRatings)
{
    const auto wpt = [](const char* code, const char* inner) {
        return std::string("<wpt lat=\"50\" lon=\"7\"><name>") + code + "</name>" + inner +
               "<type>Geocache|Traditional Cache</type></wpt>";
    };
    const std::string gpx =
        "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\">" +
        wpt("GC1", "<desc>Alte Mühle by Hans, Traditional Cache (1.5/2)</desc>") +  // the description only
        wpt("GC2", "<desc>x</desc><link href=\"h\"><text>Burg by Night by Eve, Multi-cache (2/3)</text></link>") +
        wpt("GC3", "<desc>Stand by me (2/3)</desc>") +  // no owner and type: as it is
        wpt("GC4", "<desc>Ohne Wertung by Otto, Virtual Cache</desc>") + "</gpx>";
    const std::vector<Candidate> caches = ReadCandidateGpx(gpx, "export.gpx");
    ASSERT_EQ(caches.size(), 4u);
    EXPECT_EQ(caches[0].Name, "Alte Mühle");
    EXPECT_EQ(caches[0].Difficulty, 1.5);
    EXPECT_EQ(caches[1].Name, "Burg by Night");
    EXPECT_EQ(caches[2].Name, "Stand by me (2/3)");
    EXPECT_EQ(caches[3].Name, "Ohne Wertung by Otto, Virtual Cache");
}

TEST(CandidateReader, ACacheMarkedAvailableButArchivedIsUnavailable)
{
    const auto wpt = [](const char* code, const char* flags) {
        return std::string("<wpt lat=\"50\" lon=\"7\"><name>") + code +
               "</name><gs:cache xmlns:gs=\"http://www.groundspeak.com/cache/1/0/1\" " + flags +
               "><gs:name>N</gs:name></gs:cache></wpt>";
    };
    const std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/0\" version=\"1.0\">" +
                            wpt("GC1", "available=\"True\" archived=\"True\"") +
                            wpt("GC2", "available=\"False\" archived=\"False\"") +
                            wpt("GC3", "available=\"True\" archived=\"False\"") + "</gpx>";
    const std::vector<Candidate> caches = ReadCandidateGpx(gpx, "pq.gpx");
    ASSERT_EQ(caches.size(), 3u);
    EXPECT_FALSE(caches[0].Available);
    EXPECT_FALSE(caches[1].Available);
    EXPECT_TRUE(caches[2].Available);
}

TEST(CandidateReader, OtherExtensionVersionDeclaredOnTheRootIsReadAndRemembered)
{
    const std::vector<Candidate> caches = ReadFixture("gsak_cache10.gpx");
    ASSERT_EQ(caches.size(), 1u);  // the parking place is no cache
    const Candidate& c = caches[0];
    EXPECT_EQ(c.Code, "GC1TS05");
    EXPECT_EQ(c.Name, "Römerbrücke");
    EXPECT_EQ(c.Type, "Letterbox Hybrid");
    EXPECT_EQ(c.Difficulty, 2.0);
    ASSERT_FALSE(c.Waypoint.empty());
    // The element uses prefixes its document declared on the root.
    bool cache10 = false, gsak = false;
    for (const auto& [prefix, uri] : c.OuterNamespaces) {
        cache10 |= prefix == "groundspeak" && uri == "http://www.groundspeak.com/cache/1/0";
        gsak |= prefix == "gsak" && uri == "http://www.gsak.net/xmlv1/6";
    }
    EXPECT_TRUE(cache10);
    EXPECT_TRUE(gsak);
}

TEST(CandidateReader, RealPocketQueryArchiveReadsTheCachesBehindItsWaypointFile)
{
    // The archive holds "-wpts.gpx" first, then the caches.
    const std::vector<Candidate> caches = ReadCandidateFile(std::string(QL_FIXTURES_DIR) + "/zip/pq7545915.zip").Caches;
    ASSERT_EQ(caches.size(), 1u);
    EXPECT_EQ(caches[0].Code, "GC31J2H");
    EXPECT_EQ(caches[0].Name, "Hockenheimer City-Brunnen");
    EXPECT_EQ(caches[0].Type, "Multi-cache");
    EXPECT_FALSE(caches[0].Waypoint.empty());
}

TEST(CandidateReader, BadDocumentsGiveTheFileAndTheLine)
{
    EXPECT_EQ(test::ErrorOf([] { ReadFixture("broken_middle.gpx"); }),
              "Die Datei \"broken_middle.gpx\" ist kein gültiges GPX: Zeile 11, Spalte 39: Das schließende Element "
              "passt nicht zum öffnenden.");
    EXPECT_EQ(test::ErrorOf([] { ReadCandidateGpx("<kml><Placemark/></kml>", "orte.kml"); }),
              "Die Datei \"orte.kml\" ist keine GPX-Datei.");
    EXPECT_EQ(test::ErrorOf([] { ReadCandidateGpx("", "leer.gpx"); }),
              "Die Datei \"leer.gpx\" ist kein gültiges GPX: Zeile 1, Spalte 1: Die Datei enthält kein Element.");
    // Cut short inside a waypoint.
    const std::string site = ReadBytes(CandidateFixture("site_pq.gpx"));
    EXPECT_NE(test::ErrorOf([&] { ReadCandidateGpx(site.substr(0, site.size() / 2), "halb.gpx"); }).find("Zeile "),
              std::string::npos);
}

TEST(CandidateReader, EntityExpansionAndForeignEncodingsAreHandledSafely)
{
    // A billion laughs stops at the parser's limit instead of filling memory.
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaaaaaaaa\">";
    for (char e = 'b'; e <= 'k'; ++e) {
        laughs += std::string("<!ENTITY ") + e + " \"";
        for (int i = 0; i < 16; ++i) laughs += std::string("&") + static_cast<char>(e - 1) + ";";
        laughs += "\">";
    }
    laughs += "]><gpx><wpt lat=\"50\" lon=\"7\"><name>GC1</name><desc>&k;</desc></wpt></gpx>";
    EXPECT_NE(test::ErrorOf([&] { ReadCandidateGpx(laughs, "lachen.gpx"); }).find("Die Datei \"lachen.gpx\""),
              std::string::npos);

    // Latin-1 text is read; its element is not carried through as UTF-8 bytes it is not.
    const std::string latin1 =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><gpx version=\"1.0\" "
        "xmlns=\"http://www.topografix.com/GPX/1/0\"><wpt lat=\"50.01\" lon=\"7.0\"><name>GC2"
        "</name><type>Geocache|Traditional Cache</type><groundspeak:cache xmlns:groundspeak="
        "\"http://www.groundspeak.com/cache/1/0/1\"><groundspeak:name>M\xFChle</groundspeak:"
        "name></groundspeak:cache></wpt></gpx>";
    const std::vector<Candidate> caches = ReadCandidateGpx(latin1, "alt.gpx");
    ASSERT_EQ(caches.size(), 1u);
    EXPECT_EQ(caches[0].Name, "Mühle");
    EXPECT_TRUE(caches[0].Waypoint.empty());
}

// ---- Coordinates -------------------------------------------------------------------

struct PointCase {
    const char* lat;
    const char* lon;
    bool read;
};

TEST(CandidateReader, CoordinatesAsXmlSchemaWritesThemAndTheOthersCounted)
{
    const PointCase cases[] = {
        {"+50.45", "+7.5", true},  // a leading plus is a valid decimal
        {" 50.45 ", "7", true},  // blanks around
        {"-90", "-180", true},  // the edges
        {"NaN", "7", false},       {"50", "inf", false},
        {"-Infinity", "7", false}, {"90.5", "7", false},  // beyond the pole
        {"50", "180.01", false},   {"1e999", "7", false},  // too large for a number
        {"", "7", false},          {"+-50", "7", false},  // one sign only
        {"++50", "7", false},      {"50,4", "7", false},  // a comma is no decimal point
    };
    std::string gpx = "<gpx>";
    std::size_t good = 0;
    for (const PointCase& c : cases) {
        gpx += std::string("<wpt lat=\"") + c.lat + "\" lon=\"" + c.lon + "\"><name>GC" + std::to_string(good) +
               "</name></wpt>";
        good += c.read;
    }
    gpx += "<wpt lon=\"7\"><name>GCX</name></wpt>";  // no latitude at all
    gpx += "<wpt lat=\"NaN\" lon=\"7\"><name>Parkplatz</name></wpt></gpx>";  // no cache: not counted
    std::vector<Candidate> caches;
    const std::size_t skipped = ReadCandidateGpx(gpx, "punkte.gpx", [&](Candidate&& c) {
        caches.push_back(std::move(c));
        return true;
    });
    EXPECT_EQ(caches.size(), good);
    EXPECT_EQ(skipped, std::size(cases) - good + 1);
    ASSERT_FALSE(caches.empty());
    EXPECT_DOUBLE_EQ(caches[0].Point.X, 50.45);
    EXPECT_DOUBLE_EQ(caches[0].Point.Y, 7.5);
}

// ---- Namespaces ------------------------------------------------------------------

// A copyable waypoint of the site's kind, with `inner` inside it.
std::string SiteWaypoint(const std::string& code, const std::string& inner, const std::string& own = {})
{
    return "<wpt lat=\"50.1\" lon=\"7.1\"" + own + "><name>" + code +
           "</name><type>Geocache|Traditional Cache</type><groundspeak:cache xmlns:groundspeak="
           "\"http://www.groundspeak.com/cache/1/0/1\"><groundspeak:name>n</groundspeak:name>"
           "</groundspeak:cache>" +
           inner + "</wpt>\n";
}

const std::string Gpx10 = "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\"";

TEST(CandidateReader, CopiedWaypointCarriesTheOuterNamespacesItUsesInDeclarationOrder)
{
    const std::string gpx =
        Gpx10 +
        " xmlns:a=\"urn:a-outer\" xmlns:b=\"urn:b\" xmlns:unused=\"urn:u\">"
        "<extensions xmlns:a=\"urn:a-inner\">" +
        SiteWaypoint("GC1", "<a:x b:y=\"1\" xml:lang=\"de\"/><c:z/><d:w xmlns:d=\"urn:d\"/>", " xmlns:c=\"urn:c\"") +
        "</extensions>" + SiteWaypoint("GC2", "<a:x/>") + "</gpx>";
    const std::vector<Candidate> caches = ReadCandidateGpx(gpx, "ns.gpx");
    ASSERT_EQ(caches.size(), 2u);
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    // Its own "c", the inner "d" and "groundspeak" travel with the element; "unused" is not needed.
    EXPECT_EQ(caches[0].OuterNamespaces, (Pairs{{"b", "urn:b"}, {"a", "urn:a-inner"}}));
    EXPECT_EQ(caches[1].OuterNamespaces, (Pairs{{"a", "urn:a-outer"}}));
}

TEST(CandidateReader, LongDocumentIsReadInPiecesAndAnElementAcrossThemCopiedWhole)
{
    // Each waypoint somewhere else across the first mebibyte's end; an error well after it.
    for (const std::size_t before : {(1u << 20) - 300, (1u << 20) - 40, (1u << 20) - 5}) {
        const std::string head = Gpx10 + " xmlns:a=\"urn:a\"><!--";
        const std::string wpt = SiteWaypoint("GC1", "<a:x/>");
        const std::string gpx = head + std::string(before - head.size(), 'x') + "-->" + wpt + "</gpx>";
        const std::vector<Candidate> caches = ReadCandidateGpx(gpx, "lang.gpx");
        ASSERT_EQ(caches.size(), 1u);
        EXPECT_EQ(caches[0].Waypoint, wpt.substr(0, wpt.size() - 1));
        EXPECT_EQ(caches[0].OuterNamespaces.size(), 1u);
    }
    const std::string broken = Gpx10 + ">\n" + std::string(3u << 20, ' ') + "\n</gpy>";
    EXPECT_EQ(test::ErrorOf([&] { ReadCandidateGpx(broken, "lang.gpx"); }),
              "Die Datei \"lang.gpx\" ist kein gültiges GPX: Zeile 3, Spalte 3: Das schließende Element passt nicht "
              "zum öffnenden.");
}

// The namespaces a reading keeps, over all waypoints: declarations on the
// root and waypoints, both `n`, each waypoint using one of them.
std::size_t KeptNamespaces(int n)
{
    std::string gpx = Gpx10;
    for (int i = 0; i < n; ++i) gpx += " xmlns:p" + std::to_string(i) + "=\"urn:p" + std::to_string(i) + "\"";
    gpx += ">";
    for (int i = 0; i < n; ++i) gpx += SiteWaypoint("GC" + std::to_string(i), "<p" + std::to_string(i) + ":x/>");
    gpx += "</gpx>";
    std::size_t kept = 0;
    for (const Candidate& c : ReadCandidateGpx(gpx, "ns.gpx")) kept += c.OuterNamespaces.size();
    return kept;
}

TEST(CandidateReader, NamespacesKeptGrowWithTheInputNotWithItsSquare)
{
    // Four times the declarations and waypoints: four times the kept namespaces, not sixteen.
    const std::size_t small = KeptNamespaces(250);
    const std::size_t large = KeptNamespaces(1'000);
    EXPECT_GT(small, 0u);
    EXPECT_LE(large, 5 * small);
}

}  // namespace
}  // namespace ql
