#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/nip_page.h"
#include "core/user_error.h"
#include "platform/platform.h"

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
        TNIPDatum::FromUtf8("GC22222", "Tom &amp; Jerry <3 \"Lauf\">", "Unknown Cache",
                            "N 49° 30.000 E 008° 15.000", "49.5,8.25"),
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
    // The temporary folder is UTF-8 in the state and ANSI in the page.
    const std::string bytes = JoinPageLines(BuildNipPageLines(ThreeCaches(), ThreeFiles, "/tmp/Jürgen/"));
    EXPECT_EQ(bytes, ReadGolden("nip_three.html"));

    // Written twice, the same bytes.
    EXPECT_EQ(JoinPageLines(BuildNipPageLines(ThreeCaches(), ThreeFiles, "/tmp/Jürgen/")), bytes);
}

TEST(NipPage, EveryLineEndsWithCrLfAndNothingElseBreaksTheTableLine)
{
    const std::string bytes = JoinPageLines(BuildNipPageLines(ThreeCaches(), ThreeFiles, "/tmp/q/"));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    std::size_t crlf = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') EXPECT_EQ(bytes[i - 1], '\r') << "bare LF at " << i;
        if (bytes[i] == '\r') {
            ASSERT_LT(i + 1, bytes.size());
            EXPECT_EQ(bytes[i + 1], '\n') << "bare CR at " << i;
            ++crlf;
        }
    }
    EXPECT_EQ(crlf, 13u);
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

TEST(NipPage, RowIPairsWithPlacemarkNameI)
{
    // The file name is the code made safe, so it is taken from the list, never
    // formed from the code again.
    std::vector<TNIPDatum> second = {TNIPDatum::FromUtf8("GCCCCC", "c", "t", "k", "3,3"),
                                     TNIPDatum::FromUtf8("GC/DD", "d", "t", "k", "4,4"),
                                     TNIPDatum::FromUtf8("GCEEEE", "e", "t", "k", "5,5")};
    const std::vector<std::string> files = {"GCCCCC.kml", "GC_DD.kml", "GCEEEE.kml"};
    const std::string table = BuildNipPageLines(second, files, "/tmp/")[10];

    const char* expectedCells[] = {
        "<td><a class=\"linkgc\" href=\"file:///tmp/GCCCCC.kml\">GCCCCC</a></td></tr>",
        "<td><a class=\"linkgc\" href=\"file:///tmp/GC_DD.kml\">GC/DD</a></td></tr>",
        "<td><a class=\"linkgc\" href=\"file:///tmp/GCEEEE.kml\">GCEEEE</a></td></tr>",
    };
    std::size_t from = 0;
    for (const char* cell : expectedCells) {
        const std::size_t at = table.find(cell, from);
        ASSERT_NE(at, std::string::npos) << cell;
        from = at + 1;
    }
}

TEST(NipPage, ARecordWithoutItsPlacemarkNameIsAnIndexError)
{
    std::vector<TNIPDatum> list = {TNIPDatum::FromUtf8("GC1", "a", "t", "k", "1,1"),
                                   TNIPDatum::FromUtf8("GC2", "b", "t", "k", "2,2")};
    try {
        BuildNipPageLines(list, {"GC1.kml"}, "/tmp/");
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "Listenindex überschreitet das Maximum (1)");
    }
}

class NipPageFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("nip_page_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        state.ProgramDir = dir.string() + "/";
        state.TempDir = "/tmp/Jürgen/";
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::filesystem::path dir;
    AppState state;
};

TEST_F(NipPageFile, WritesThePageIntoTheProgramFolderReplacingTheOldOne)
{
    platform::WriteWholeFile(NipPagePath(state), std::string(5000, 'x'));
    state.NIPList = ThreeCaches();
    state.PlacemarkFiles = ThreeFiles;
    std::vector<std::string> lines = {"left over"};
    WriteNipPage(state, lines);
    EXPECT_EQ(lines.size(), 13u);
    EXPECT_EQ(platform::ReadWholeFile(NipPagePath(state)), ReadGolden("nip_three.html"));
}

TEST_F(NipPageFile, AFolderThatCannotTakeThePageGivesTheCreationError)
{
    state.ProgramDir = (dir / "missing").string() + "/";
    std::vector<std::string> lines;
    try {
        WriteNipPage(state, lines);
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Datei \"" + state.ProgramDir + "nip.html\" kann nicht erstellt werden. ", 0),
                  0u)
            << e.what();
    }
}

}  // namespace
}  // namespace ql
