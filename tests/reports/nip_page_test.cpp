#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "reports/nip_page.h"
#include "base/user_error.h"

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
    try {
        BuildNipPageLines(list, {"GC1.kml"}, "/tmp/");
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "Listenindex überschreitet das Maximum (1)");
    }
}

}  // namespace
}  // namespace ql
