#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "reports/nip_page.h"
#include "state/app_state.h"
#include "support/error_of.h"

namespace ql {
namespace {

std::string ReadGolden(const char* name)
{
    std::ifstream in(std::string(QL_GOLDEN_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Three caches outside every district, as the scanner records them (UTF-8 in,
// ANSI fields out): an umlaut, a name with an entity and markup, a southern
// and western position.
std::vector<TNIPDatum> ThreeCaches()
{
    return {
        TNIPDatum::FromUtf8("GC1A2B3", "Brücke am Rhein", "Traditional Cache", "N 50° 01.234 E 007° 30.000",
                            "50.020567,7.5"),
        TNIPDatum::FromUtf8("GC22222", "Tom &amp; Jerry <3 \"Lauf\">", "Unknown Cache", "N 49° 30.000 E 008° 15.000",
                            "49.5,8.25"),
        TNIPDatum::FromUtf8("GC33333", "Ende", "Multi-cache", "S 01° 30.000 W 002° 15.000", "-1.5,-2.25"),
    };
}

const std::vector<std::string> ThreeFiles = {"GC1A2B3.kml", "GC22222.kml", "GC33333.kml"};

TEST(NipPage, EmptyListGivesThirteenLinesWithTheHeaderRowOnly)
{
    const auto lines = BuildNipPageLines({}, {}, "/tmp/ql/");
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(JoinPageLines(lines), ReadGolden("nip_empty.html"));
}

TEST(NipPage, RowsAlternateAndKeepEntitiesButNotMarkup)
{
    // The temporary folder is UTF-8 in the state, percent-encoded in the page.
    const std::string bytes = JoinPageLines(BuildNipPageLines(ThreeCaches(), ThreeFiles, "/tmp/Jürgen/"));
    EXPECT_EQ(bytes, ReadGolden("nip_three.html"));

    // Written twice, the same bytes.
    EXPECT_EQ(JoinPageLines(BuildNipPageLines(ThreeCaches(), ThreeFiles, "/tmp/Jürgen/")), bytes);
}

TEST(NipPage, MarkupInATextCannotOpenATagOrLeaveAnAttribute)
{
    EXPECT_EQ(EscapeMarkup("<script>alert(\"x\")</script>"), "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;");
    EXPECT_EQ(EscapeMarkup("A &amp; B & C"), "A &amp; B & C");
    EXPECT_EQ(EscapeMarkup("M\xFChle"), "M\xFChle");  // ANSI bytes pass as they are

    // A quote in a GC code would end the address of its link.
    std::vector<TNIPDatum> list = {TNIPDatum::FromUtf8("GC\"><b>", "n", "t", "k", "1,2")};
    const auto lines = BuildNipPageLines(list, {"GC___b_.kml"}, "/tmp/");
    EXPECT_EQ(lines[10].find("<b>"), std::string::npos);
    EXPECT_NE(lines[10].find("href=\"http://coord.info/GC&quot;&gt;&lt;b&gt;\""), std::string::npos);
}

TEST(NipPage, ARecordWithoutItsPlacemarkNameIsAnIndexError)
{
    std::vector<TNIPDatum> list = {TNIPDatum::FromUtf8("GC1", "a", "t", "k", "1,1"),
                                   TNIPDatum::FromUtf8("GC2", "b", "t", "k", "2,2")};
    EXPECT_EQ(test::ErrorOf([&] { BuildNipPageLines(list, {"GC1.kml"}, "/tmp/"); }),
              "Listenindex überschreitet das Maximum (1)");
}

TEST(NipPage, PlacemarkLinksAreFileAddressesWhateverTheFolderIsCalled)
{
    // Cyrillic letters, "#", "%41", a blank and a quote: all of them stay part of the path.
    EXPECT_EQ(FileUrl("/tmp/\xD0\x9F\xD1\x80\xD0\xB8/GC1.kml"), "file:///tmp/%D0%9F%D1%80%D0%B8/GC1.kml");
    EXPECT_EQ(FileUrl("/tmp/a#b/GC1.kml"), "file:///tmp/a%23b/GC1.kml");
    EXPECT_EQ(FileUrl("/tmp/%41/GC1.kml"), "file:///tmp/%2541/GC1.kml");
    EXPECT_EQ(FileUrl("/tmp/x y\"z?/GC1.kml"), "file:///tmp/x%20y%22z%3F/GC1.kml");
    EXPECT_EQ(FileUrl("C:\\Users\\J\xC3\xBCrgen\\Temp\\GC1.kml"), "file:///C:/Users/J%C3%BCrgen/Temp/GC1.kml");

    const std::vector<TNIPDatum> one = {TNIPDatum::FromUtf8("GC1", "n", "t", "k", "1,2")};
    const std::string table = BuildNipPageLines(one, {"GC1.kml"}, "/tmp/a#%41/")[10];
    EXPECT_NE(table.find("href=\"file:///tmp/a%23%2541/GC1.kml\""), std::string::npos) << table;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(NipPage, WrittenToItsOwnFolderTakesTheStyleSheetAlongAndLeavesTheProgramFolderAlone)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "ql-nip-page-folder";
    fs::remove_all(root);
    fs::create_directories(root / "program");
    fs::create_directories(root / "page");
    std::ofstream(root / "program" / "rlp.css", std::ios::binary) << "td { color: navy }\n";
    const std::string sep(1, fs::path::preferred_separator);
    AppState state;
    state.ProgramDir = (root / "program").string() + sep;
    state.TempDir = state.ProgramDir;
    std::vector<std::string> lines;

    // Without a page folder the page lies in the program folder, beside its style sheet.
    WriteNipPage(state, lines);
    EXPECT_EQ(NipPagePath(state), state.ProgramDir + "nip.html");
    EXPECT_EQ(ReadBytes(root / "program" / "nip.html"), JoinPageLines(lines));
    fs::remove(root / "program" / "nip.html");

    // An installed program writes it elsewhere, and the style sheet goes with it.
    state.PageDir = (root / "page").string() + sep;
    WriteNipPage(state, lines);
    EXPECT_EQ(NipPagePath(state), state.PageDir + "nip.html");
    EXPECT_EQ(ReadBytes(root / "page" / "nip.html"), JoinPageLines(lines));
    EXPECT_EQ(ReadBytes(root / "page" / "rlp.css"), "td { color: navy }\n");
    EXPECT_FALSE(fs::exists(root / "program" / "nip.html"));
    fs::remove_all(root);
}

}  // namespace
}  // namespace ql
