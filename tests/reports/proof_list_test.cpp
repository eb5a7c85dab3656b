// The proof list of a scan on the small map of Trier-Saarburg and Trier, in
// each of its formats.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "districts/district_overview.h"
#include "platform/platform.h"
#include "reports/proof_list.h"
#include "support/saar_map.h"

namespace ql {
namespace {

using namespace test;

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
    // The next best lies nearer the border still: it would prove nothing.
    EXPECT_NE(text.find("\nTrier: GC12 | Porta | 2013-02-12 | http://coord.info/GC12 | randnah, 358 m; "
                        "kein Fund weiter innen\n"),
              std::string::npos)
        << text;
    // Below its threshold no mark.
    EXPECT_EQ(BuildProofList(overview, rows, 358.0, ProofFormat::Text).find("randnah"), std::string::npos);
}

TEST(ProofList, ADeeperFindFoundLaterMakesThePreviousBestTheNextBest)
{
    const std::vector<CacheRow> all = SmallRows();
    const std::vector<CacheRow> rows = {all[3], all[2]};  // GC13 at 56 m, then GC12 at 358 m
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    const ProofEntry entry = ChooseProofFinds(overview, rows, 400.0)[Trier];
    EXPECT_EQ(entry.row, 1);
    EXPECT_EQ(entry.nextRow, 0);
    EXPECT_NEAR(entry.nextMetres, 56.0, 1.0);
}

TEST(ProofList, ADistrictWithOnlyEarlierFindsReadsTheSameWithTheCutoffBoxOnOrOff)
{
    std::vector<CacheRow> rows = SmallRows();
    for (auto& row : rows)
        if (row.DistrictIndex == Trier) row.FindDate = "2010-10-10";
    const std::string boxOff = BuildProofList(BuildDistrictOverview(SmallMap(), rows), rows, 100.0, ProofFormat::Text);
    // The box on: the scan made no rows of them, only counted them.
    std::erase_if(rows, [](const CacheRow& row) { return row.DistrictIndex == Trier; });
    DistrictTallyArray cutOff{};
    cutOff[Trier] = 3;
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    EXPECT_EQ(BuildProofList(overview, rows, 100.0, ProofFormat::Text, cutOff), boxOff);
    EXPECT_NE(boxOff.find("\nFehlt: Trier (nur Funde vor 2011-05-24)\n"), std::string::npos);
    EXPECT_NE(BuildProofList(overview, rows, 100.0, ProofFormat::Csv, cutOff)
                  .find("\nTrier;;;;;;fehlt (nur Funde vor 2011-05-24)\r\n"),
              std::string::npos);
    EXPECT_NE(BuildProofList(overview, rows, 100.0, ProofFormat::Text).find("\nFehlt: Trier\n"), std::string::npos);
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
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "Kreis;Code;Name;Funddatum (Funde ab 2011-05-24);Abstand zum Rand (m);Link;Hinweis");
    EXPECT_NE(
        csv.find("\r\nTrier-Saarburg;GC10;\"Fish; \"\"Chips\"\" [url=x]\";2012-01-10;358,4;http://coord.info/GC10;"
                 "\"randnah, 358 m; kein Fund weiter innen\"\r\n"),
        std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\r\nAhrweiler;;;;;;fehlt\r\n"), std::string::npos);
    // Every line ends with CR LF, as spreadsheet programs expect.
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), DistrictCount + 1);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\r'), DistrictCount + 1);
}

TEST(ProofList, ACsvFileStartsWithTheByteOrderMarkTheOthersAsTheyAre)
{
    const std::string csv = BuildProofList(DistrictOverview{}, {}, 100.0, ProofFormat::Csv);
    EXPECT_EQ(ProofListFile(csv, ProofFormat::Csv), "\xEF\xBB\xBF" + csv);
    for (const ProofFormat format : {ProofFormat::Text, ProofFormat::BBCode}) {
        const std::string text = BuildProofList(DistrictOverview{}, {}, 100.0, format);
        EXPECT_EQ(ProofListFile(text, format), text);
    }
}

// Names and codes as a crafted query can carry them: character references
// that decode into line breaks, the Unicode line and paragraph separators,
// BBCode tags in a code, formulas for a spreadsheet.
std::vector<CacheRow> HostileRows()
{
    std::vector<CacheRow> rows = SmallRows();
    rows[0].Name =
        "Fish&#10;Ahrweiler: GC1 | Falsch | 2012-01-01 | http://coord.info/GC1&#13;Trier: GC2&#x85;"
        "Kusel&#x2028;Mainz&#x2029;Worms\tSpeyer\x1B[31mrot\x7F\xC2\x9B"
        "2J";
    rows[6].GCCode = "@GC16\r\nFehlt: Trier";  // the next best of Trier-Saarburg
    rows[2].GCCode = "GC12[/url][url=http://x.example/]";
    rows[2].Name = "=HYPERLINK(\"http://x.example/\";\"Porta\")";
    rows[3].GCCode = "-1+GC13";  // the next best of Trier
    rows[3].Name = "+49 651 Stadtgrenze";
    return rows;
}

std::string Golden(const std::string& name)
{
    std::ifstream in(std::string(QL_GOLDEN_DIR) + "/" + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(ProofList, HostileNamesAndCodesWriteTheGoldenFiles)
{
    const std::vector<CacheRow> rows = HostileRows();
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "ql_proof_list_hostile";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const struct {
        ProofFormat format;
        const char* golden;
    } cases[] = {{ProofFormat::Text, "proof_list_hostile.txt"},
                 {ProofFormat::BBCode, "proof_list_hostile.bbcode"},
                 {ProofFormat::Csv, "proof_list_hostile.csv"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        const std::string golden = Golden(c.golden);
        ASSERT_FALSE(golden.empty());
        const std::string path = (folder / c.golden).string();
        for (int time = 0; time < 2; ++time) {  // written twice: the same bytes
            platform::WriteFileAtomically(path,
                                          ProofListFile(BuildProofList(overview, rows, 400.0, c.format), c.format));
            std::ifstream in(path, std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            EXPECT_EQ(bytes.str(), golden);
        }
    }
    std::filesystem::remove_all(folder);
}

// Whatever the names and codes, the text and BBCode lists have the heading
// and one line per district, each starting as only the program starts them.
TEST(ProofList, NoNameOrCodeStartsALineOfItsOwn)
{
    const std::vector<CacheRow> rows = HostileRows();
    const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
    for (const ProofFormat format : {ProofFormat::Text, ProofFormat::BBCode}) {
        SCOPED_TRACE(ProofFormatName(format));
        const std::string text = BuildProofList(overview, rows, 400.0, format);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), DistrictCount + 1);
        EXPECT_EQ(text.find_first_of("\r\t\x1B\x7F"), std::string::npos);
        for (const char* separator : {"\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xC2\x9B"})
            EXPECT_EQ(text.find(separator), std::string::npos);
        EXPECT_EQ(text.find("\nAhrweiler: GC1"), std::string::npos);
        EXPECT_EQ(text.find("[/url][url=http://x.example/]"), std::string::npos);
        EXPECT_NE(text.find("\nFehlt: Ahrweiler\n"), std::string::npos);
    }
}

TEST(ProofList, CsvFieldsASpreadsheetTakesForAFormulaStartWithAnApostrophe)
{
    const struct {
        const char* name;
        const char* field;
    } cases[] = {
        {"=1+1", "'=1+1"},
        {"+49 651", "'+49 651"},
        {"-5", "'-5"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tTab", "'\tTab"},
        {"\rCR", "\"'\rCR\""},  // quoted for its line break
        {"=A1;B1", "\"'=A1;B1\""},
        {"Gleich = gleich", "Gleich = gleich"},  // only the first character counts
        {" =1", " =1"},
    };
    std::vector<CacheRow> rows = SmallRows();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rows[0].Name = c.name;
        const DistrictOverview overview = BuildDistrictOverview(SmallMap(), rows);
        const std::string csv = BuildProofList(overview, rows, 100.0, ProofFormat::Csv);
        EXPECT_NE(csv.find("\r\nTrier-Saarburg;GC10;" + std::string(c.field) + ";2012-01-10;"), std::string::npos)
            << csv.substr(0, 300);
    }
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
