// The overview of a scan on a small map: Trier-Saarburg a square with Trier
// as its hole, joined by a bridge, as the shipped files join them.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "districts/district_map.h"
#include "districts/district_overview.h"
#include "reports/proof_list.h"
#include "geo/coord_text.h"

namespace ql {
namespace {

constexpr int TrierSaarburg = 21;
constexpr int Trier = 33;

DistrictMap SmallMap()
{
    DistrictMap map;
    map.SetPolygon(TrierSaarburg, {{50.00, 7.00},
                                   {50.04, 7.00},
                                   {50.04, 7.04},
                                   {50.00, 7.04},
                                   {50.00, 7.00},
                                   {50.01, 7.01},
                                   {50.01, 7.02},
                                   {50.02, 7.02},
                                   {50.02, 7.01},
                                   {50.01, 7.01}});
    map.SetPolygon(Trier, {{50.01, 7.01}, {50.02, 7.01}, {50.02, 7.02}, {50.01, 7.02}});
    map.SetPolygon(0, {{50.1, 7.1}, {50.2, 7.2}});  // degenerate: no border at all
    return map;
}

CacheRow Row(const char* code, const char* name, const char* date, const char* lat, const char* lon, int district)
{
    CacheRow row;
    row.GCCode = code;
    row.Name = name;
    row.FindDate = date;
    row.District = district >= 0 ? std::string(DistrictNames[static_cast<std::size_t>(district)]) : "NOT IN POLYGON!";
    row.NotInPolygon = district < 0;
    row.LatText = CoordText(lat, CoordLatitude);
    row.LonText = CoordText(lon, CoordLongitude);
    row.Point = {std::stod(lat), std::stod(lon)};
    row.DistrictIndex = district;
    return row;
}

std::vector<CacheRow> SmallRows()
{
    std::vector<CacheRow> rows = {
        Row("GC10", "Fish &amp; Chips", "2012-01-10", "50.005", "7.035", TrierSaarburg),  // 358 m from the east edge
        Row("GC11", "Am Rand", "2012-01-11", "50.001", "7.03", TrierSaarburg),  // 111 m from the south edge
        Row("GC12", "Porta", "2013-02-12", "50.015", "7.015", Trier),  // 358 m, mid-city
        Row("GC13", "Stadtgrenze", "2013-02-13", "50.0105", "7.015", Trier),  //  56 m
        Row("GC14", "Draussen", "2014-03-14", "49.999", "7.02", -1),  // 111 m south of the map
        Row("GC15", "Ohne Ort", "2014-03-15", "50.015", "7.015", Trier),
        Row("GC16", "Gleich weit", "2015-04-16", "50.005", "7.035", TrierSaarburg),  // a tie with GC10
        Row("GC17", "Vor der Stadt", "2015-04-17", "50.0095", "7.015", TrierSaarburg),  //  56 m from the hole
    };
    rows[5].Point = {std::nan(""), 7.015};
    return rows;
}

TEST(DistrictOverview, MeasuresEachFindToTheBorderOfItsDistrict)
{
    const DistrictMap map = SmallMap();
    const DistrictOverview overview = BuildDistrictOverview(map, SmallRows());
    ASSERT_EQ(overview.finds.size(), 8u);
    const double expected[] = {358.5, 111.2, 358.4, 55.6, 111.2, NAN, 358.5, 55.6};
    for (std::size_t r = 0; r < 8; ++r) {
        if (r == 5) continue;
        EXPECT_TRUE(overview.finds[r].located);
        EXPECT_NEAR(overview.finds[r].borderMetres, expected[r], expected[r] * 0.01) << r;
    }
    EXPECT_FALSE(overview.finds[5].located);
    EXPECT_EQ(overview.finds[5].district, Trier);
    EXPECT_EQ(overview.finds[5].borderMetres, NoDistance);
    // The find in no district is measured to the nearest district.
    EXPECT_EQ(overview.finds[4].district, -1);
    EXPECT_EQ(overview.finds[4].measured, TrierSaarburg);
    EXPECT_EQ(overview.finds[2].measured, Trier);
}

TEST(DistrictOverview, BestFindIsTheFarthestInsideAndTheEarlierOnATie)
{
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), SmallRows());
    const DistrictSummary& landkreis = overview.districts[TrierSaarburg];
    EXPECT_EQ(landkreis.finds, 4);
    EXPECT_EQ(landkreis.bestRow, 0);
    const DistrictSummary& city = overview.districts[Trier];
    EXPECT_EQ(city.finds, 3);  // the unreadable row counts, but cannot be best
    EXPECT_EQ(city.bestRow, 2);
    EXPECT_EQ(overview.districts[0].finds, 0);
    EXPECT_EQ(overview.districts[0].bestRow, -1);
    EXPECT_EQ(overview.CoveredCount(), 2);

    EXPECT_EQ(overview.CoverageOf(TrierSaarburg, 100.0), Coverage::Covered);
    EXPECT_EQ(overview.CoverageOf(TrierSaarburg, 400.0), Coverage::NearBorder);
    EXPECT_EQ(overview.CoverageOf(Trier, 358.0), Coverage::Covered);
    EXPECT_EQ(overview.CoverageOf(0, 0.0), Coverage::Uncovered);
}

TEST(DistrictOverview, NearestBorderSkipsDistrictsWithoutBorder)
{
    const DistrictMap map = SmallMap();
    const NearestBorder nearest = FindNearestBorder(map, {50.15, 7.15});  // inside district 0's "line"
    EXPECT_EQ(nearest.district, TrierSaarburg);
    EXPECT_EQ(FindNearestBorder(DistrictMap{}, {50.0, 7.0}).district, -1);
}

TEST(DistrictOverview, NearestBorderTieGoesToTheLowerDistrict)
{
    // Two squares a quarter degree either side of the point.
    DistrictMap map;
    map.SetPolygon(3, {{50.0, 7.0}, {50.25, 7.0}, {50.25, 7.25}, {50.0, 7.25}});
    map.SetPolygon(1, {{50.0, 7.75}, {50.25, 7.75}, {50.25, 8.0}, {50.0, 8.0}});
    const NearestBorder nearest = FindNearestBorder(map, {50.125, 7.5});
    EXPECT_EQ(nearest.district, 1);
    EXPECT_NEAR(nearest.metres, 17'960.0, 180.0);  // a quarter degree of longitude at 50.1 N
}

TEST(DistrictOverview, ManyFindsMeasureAsEachAlone)
{
    // Enough finds for two threads, in no particular order, some outside.
    const DistrictMap map = SmallMap();
    std::vector<CacheRow> rows(10'000);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const double lat = 49.995 + 0.05 * static_cast<double>((r * 7919) % 1000) / 1000.0;
        const double lon = 6.995 + 0.05 * static_cast<double>((r * 104729) % 997) / 997.0;
        rows[r].Point = {lat, lon};
        rows[r].DistrictIndex = map.Find(rows[r].Point).value_or(-1);
    }
    const DistrictOverview overview = BuildDistrictOverview(map, rows);
    int outside = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const FindPlace& place = overview.finds[r];
        ASSERT_TRUE(place.located);
        if (rows[r].DistrictIndex >= 0) {
            ASSERT_EQ(place.borderMetres, map.Border(rows[r].DistrictIndex).Distance(rows[r].Point)) << r;
        } else {
            ++outside;
            const NearestBorder nearest = FindNearestBorder(map, rows[r].Point);
            ASSERT_EQ(place.measured, nearest.district) << r;
            ASSERT_EQ(place.borderMetres, nearest.metres) << r;
        }
    }
    EXPECT_GT(outside, 0);
    EXPECT_EQ(overview.districts[TrierSaarburg].finds + overview.districts[Trier].finds + outside, 10'000);
}

TEST(DistrictOverview, ABestFindExactlyAtTheThresholdCoversItsDistrict)
{
    const std::vector<CacheRow> rows = SmallRows();
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    const double best = overview.districts[Trier].bestMetres;
    ASSERT_GT(best, 0.0);
    EXPECT_EQ(overview.CoverageOf(Trier, best), Coverage::Covered);
    EXPECT_EQ(overview.CoverageOf(Trier, std::nextafter(best, 2 * best)), Coverage::NearBorder);
    EXPECT_EQ(overview.CoverageOf(Trier, std::nextafter(best, 0.0)), Coverage::Covered);
    EXPECT_EQ(overview.CoverageOf(5, 0.0), Coverage::Uncovered);
}

TEST(ProofList, CoveredDistrictsInTallyOrderWithLinksThenTheMissing)
{
    const std::vector<CacheRow> rows = SmallRows();
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    std::string expected =
        "Quenlorn: 2 von 36 Kreisen belegt (Funde ab 2011-05-24)\n"
        "Trier-Saarburg: GC10 | Fish & Chips | 2012-01-10 | http://coord.info/GC10\n"
        "Trier: GC12 | Porta | 2013-02-12 | http://coord.info/GC12\n";
    for (int i = 0; i < DistrictCount; ++i)
        if (i != TrierSaarburg && i != Trier)
            expected += "Fehlt: " + std::string(DistrictNames[static_cast<std::size_t>(i)]) + "\n";
    EXPECT_EQ(BuildProofList(overview, rows, 100.0, ProofFormat::Text), expected);
}

TEST(ProofList, NearBorderDistrictsNameTheirDistanceAndTheNextBestFind)
{
    const std::vector<CacheRow> rows = SmallRows();
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    const std::vector<ProofEntry> entries = ChooseProofFinds(overview, rows, 400.0);
    // A tie keeps the first find; the second of the tie is the next best.
    EXPECT_EQ(entries[TrierSaarburg].row, 0);
    EXPECT_TRUE(entries[TrierSaarburg].nearBorder);
    EXPECT_EQ(entries[TrierSaarburg].nextRow, 6);
    // A find without a place is never the next best of a measured one.
    EXPECT_EQ(entries[Trier].row, 2);
    EXPECT_EQ(entries[Trier].nextRow, 3);
    const std::string text = BuildProofList(overview, rows, 400.0, ProofFormat::Text);
    EXPECT_NE(text.find("\nTrier: GC12 | Porta | 2013-02-12 | http://coord.info/GC12 | randnah, 358 m; "
                        "nächstbester Fund: GC13, 56 m\n"),
              std::string::npos)
        << text;
    // Below its threshold no mark.
    EXPECT_EQ(BuildProofList(overview, rows, 358.0, ProofFormat::Text).find("randnah"), std::string::npos);
}

TEST(ProofList, CountsOnlyFindsFromTheCutoffDateOn)
{
    std::vector<CacheRow> rows = SmallRows();
    rows[2].FindDate = rows[3].FindDate = "2011-05-23";
    rows[5].FindDate = "2011-05-24";  // the cut-off day itself counts
    rows[0].FindDate = "2009-01-01";
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    const std::vector<ProofEntry> entries = ChooseProofFinds(overview, rows, 100.0);
    EXPECT_EQ(entries[TrierSaarburg].row, 6);  // GC10 is too early; its twin counts
    EXPECT_EQ(entries[Trier].row, 5);  // only the find without a place is left
    EXPECT_FALSE(entries[Trier].nearBorder);  // an unknown distance is not near
    for (auto& row : rows)
        if (row.DistrictIndex == Trier) row.FindDate = "2010-10-10";
    const DistrictOverview earlier = BuildDistrictOverview(SmallMap(), rows);
    const std::string text = BuildProofList(earlier, rows, 100.0, ProofFormat::Text);
    EXPECT_EQ(text.substr(0, text.find('\n')), "Quenlorn: 1 von 36 Kreisen belegt (Funde ab 2011-05-24)");
    EXPECT_NE(text.find("\nFehlt: Trier (nur Funde vor 2011-05-24)\n"), std::string::npos);
    EXPECT_NE(text.find("\nFehlt: Ahrweiler\n"), std::string::npos);
}

TEST(ProofList, BBCodeLinksEachCodeAndCsvQuotesItsFields)
{
    std::vector<CacheRow> rows = SmallRows();
    rows[0].Name = "Fish; \"Chips\" [url=x]";
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    const std::string bb = BuildProofList(overview, rows, 100.0, ProofFormat::BBCode);
    EXPECT_EQ(bb.substr(0, bb.find('\n')), "[b]Quenlorn: 2 von 36 Kreisen belegt (Funde ab 2011-05-24)[/b]");
    EXPECT_NE(
        bb.find("\nTrier-Saarburg: [url=http://coord.info/GC10]GC10[/url] | Fish; \"Chips\" (url=x) | 2012-01-10\n"),
        std::string::npos)
        << bb;
    const std::string csv = BuildProofList(overview, rows, 400.0, ProofFormat::Csv);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "Kreis;Code;Name;Funddatum (Funde ab 2011-05-24);Abstand zum Rand (m);Link;Hinweis");
    EXPECT_NE(csv.find("\nTrier-Saarburg;GC10;\"Fish; \"\"Chips\"\" [url=x]\";2012-01-10;358,4;http://coord.info/GC10;"
                       "\"randnah, 358 m; nächstbester Fund: GC16, 358 m\"\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\nAhrweiler;;;;;;fehlt\n"), std::string::npos);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), DistrictCount + 1);
}

TEST(ProofList, BeforeAnyScanEveryDistrictIsMissing)
{
    const std::string text = BuildProofList(DistrictOverview{}, {}, 100.0, ProofFormat::Text);
    EXPECT_EQ(text.substr(0, text.find('\n')), "Quenlorn: 0 von 36 Kreisen belegt (Funde ab 2011-05-24)");
    EXPECT_NE(text.find("\nFehlt: Ahrweiler\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\nFehlt: Zweibrücken\n"));
}

TEST(ProofList, FileTypeChoosesTheFormatAndTheNameCarriesTheQueryDate)
{
    EXPECT_EQ(ProofFormatOfFileName("liste.CSV"), ProofFormat::Csv);
    EXPECT_EQ(ProofFormatOfFileName("liste.bbcode"), ProofFormat::BBCode);
    EXPECT_EQ(ProofFormatOfFileName("liste.Bb"), ProofFormat::BBCode);
    EXPECT_EQ(ProofFormatOfFileName("liste.txt"), ProofFormat::Text);
    EXPECT_EQ(ProofFormatOfFileName("csv"), ProofFormat::Text);
    EXPECT_EQ(ProofFileName("2017-01-01 - 00:00:00Z", ProofFormat::Csv), "Nachweisliste 2017-01-01.csv");
    EXPECT_EQ(ProofFileName("  2017-01-01 - 00:00:00Z", ProofFormat::Text), "Nachweisliste 2017-01-01.txt");
    EXPECT_EQ(ProofFileName("", ProofFormat::BBCode), "Nachweisliste.bbcode");
    EXPECT_EQ(ProofFileName("gestern", ProofFormat::Text), "Nachweisliste.txt");
}

}  // namespace
}  // namespace ql
