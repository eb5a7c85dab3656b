#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "state/app_state.h"
#include "scan/placemark.h"
#include "scan/placemark_writer.h"
#include "platform/platform.h"
#include "support/error_of.h"
#include "support/win_support.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

class PlacemarkTest : public ::testing::Test {
protected:
    AppState state;
    fs::path folder;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() /
                 (std::string("ql_placemark_") + info->name() + "_" + std::to_string(std::random_device{}()));
        fs::remove_all(folder);
        fs::create_directories(folder / "inner");
        state.TempDir = (folder / "inner").string() + "/";
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Written(const std::string& fileName) const { return platform::ReadWholeFile(state.TempDir + fileName); }

    // Writes the placemarks as one scan does.
    struct Placemark {
        std::string Code, Name, Latitude, Longitude;
    };
    void WriteScan(const std::vector<Placemark>& placemarks)
    {
        PlacemarkWriter writer(state);
        for (const Placemark& p : placemarks) writer.Write(p.Code, p.Name, p.Latitude, p.Longitude);
        writer.Finish();
    }
};

std::string Golden(const std::string& name)
{
    return platform::ReadWholeFile(std::string(QL_GOLDEN_DIR) + "/" + name);
}

TEST_F(PlacemarkTest, FileMatchesGoldenByteForByteAndRepeatsExactly)
{
    WriteScan({{"GC12345", "Test", "49.5", "7.25"}, {"GC12345", "Test", "49.5", "7.25"}});
    const std::string first = Written("GC12345.kml");
    EXPECT_EQ(first, Golden("placemark_GC12345.kml"));
    EXPECT_EQ(Written("GC12345~2.kml"), first);
    // The same code twice: each row its own file.
    EXPECT_EQ(state.PlacemarkFiles, (std::vector<std::string>{"GC12345.kml", "GC12345~2.kml"}));
}

TEST_F(PlacemarkTest, NameIsTextWhereverItIsShown)
{
    // The query's "&amp;" means "&"; a bare "&" is kept; markup is text in the
    // name and shows as look-alike brackets in the description.
    WriteScan({{"GC7ÜX", "Brücke & Straße &amp; <b>Fluss</b>", "-49.000001", "+7.5e0"}});
    // UTF-8 without a byte-order mark; the file name replaces the non-ASCII letter bytes.
    EXPECT_EQ(Written("GC7__X.kml"), Golden("placemark_escapes.kml"));
    EXPECT_EQ(state.PlacemarkFiles.back(), "GC7__X.kml");
}

TEST(PlacemarkFileName, WindowsDeviceNamesGetAPrefixInAnyCase)
{
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "nul", "Nul", "aux", "COM1", "com9", "LPT1", "lpt9"})
        EXPECT_EQ(PlacemarkFileName(device), std::string("_") + device + ".kml") << device;
    // Their neighbours are ordinary names.
    for (const char* name : {"NULL", "NU", "NUL1", "CONX", "COM", "CONSOLE", "COM10", "LPTX", "AUX_", "_NUL"})
        EXPECT_EQ(PlacemarkFileName(name), std::string(name) + ".kml") << name;
}

TEST_F(PlacemarkTest, CodeCannotLeadOutOfTheFolder)
{
    EXPECT_EQ(PlacemarkFileName("GC12345"), "GC12345.kml");
    EXPECT_EQ(PlacemarkFileName("../evil"), "___evil.kml");
    EXPECT_EQ(PlacemarkFileName("a/b\\c:d*e?f"), "a_b_c_d_e_f.kml");
    EXPECT_EQ(PlacemarkFileName("GC-1_x"), "GC-1_x.kml");
    EXPECT_EQ(PlacemarkFileName(""), ".kml");
    EXPECT_EQ(PlacemarkFileName(std::string(300, 'G')), std::string(100, 'G') + ".kml");

    WriteScan({{"../GC1", "x", "1", "2"}});
    EXPECT_FALSE(fs::exists(folder / "GC1.kml"));
    EXPECT_TRUE(fs::exists(folder / "inner" / "___GC1.kml"));
    // The text inside keeps the code as the query has it.
    EXPECT_NE(Written("___GC1.kml").find("<name>../GC1 - x</name>"), std::string::npos);
}

TEST_F(PlacemarkTest, LinkPlantedUnderTheNameIsNotFollowed)
{
    // The temporary folder may be shared: a link planted under the file's
    // name must not redirect the write to another file.
    platform::WriteWholeFile((folder / "victim").string(), "keep");
    const fs::path link = folder / "inner" / "GC2.kml";
#ifdef _WIN32
    if (!test::PlantSymbolicLink(link, folder / "victim"))
        GTEST_SKIP() << "this system plants no symbolic link (a reparse point needs developer mode or the "
                        "right to create links; Wine 8 reports success and creates nothing)";
    const std::string reason = test::SystemMessage(ERROR_CANT_RESOLVE_FILENAME);
#else
    fs::create_symlink(folder / "victim", link);
    const std::string reason = "Too many levels of symbolic links";
#endif
    EXPECT_EQ(test::ErrorOf([&] {
                  WriteScan({{"GC2", "x", "1", "2"}});
              }),
              "Datei \"" + state.TempDir + "GC2.kml\" kann nicht erstellt werden. " + reason);
    EXPECT_EQ(platform::ReadWholeFile((folder / "victim").string()), "keep");
    EXPECT_TRUE(state.PlacemarkFiles.empty());
}

TEST_F(PlacemarkTest, NamesThatCollideGetTheirOwnFiles)
{
    std::vector<Placemark> placemarks;
    for (const char* code : {"GC/1", "GC_1", "CON", "_CON", "gc1", "GC1", "GC_1~2", "GC_1", "Gc1"})
        placemarks.push_back({code, code, "1", "2"});
    // A code of any length gives a name the file system takes.
    const std::string longCode(300, 'X');
    placemarks.push_back({longCode, "x", "1", "2"});
    placemarks.push_back({longCode + "Y", "x", "1", "2"});
    WriteScan(placemarks);
    EXPECT_EQ(state.PlacemarkFiles,
              (std::vector<std::string>{"GC_1.kml", "GC_1~2.kml", "_CON.kml", "_CON~2.kml", "gc1.kml", "GC1~2.kml",
                                        "GC_1_2.kml", "GC_1~3.kml", "Gc1~3.kml", std::string(100, 'X') + ".kml",
                                        std::string(100, 'X') + "~2.kml"}));
    // Each file holds its own cache.
    EXPECT_NE(Written("GC_1.kml").find("<name>GC/1 - GC/1</name>"), std::string::npos);
    EXPECT_NE(Written("GC_1~2.kml").find("<name>GC_1 - GC_1</name>"), std::string::npos);
}

TEST_F(PlacemarkTest, FileIsWellFormedWhateverTheNameHolds)
{
    const std::string name = std::string("&lt;img src=x onerror=alert(1)&gt; &amp;amp; A&#228;&#xe4;&#0;&#1;&#xD800;") +
                             "\x01" + "\x7F" + std::string(1, '\0') + "&unknown; &#99999999;";
    WriteScan({{"GC1", name, "1", "2"}});
    const std::string text = Written("GC1.kml");
    EXPECT_NE(
        text.find("<name>GC1 - &lt;img src=x onerror=alert(1)&gt; &amp;amp; A\xC3\xA4\xC3\xA4\xEF\xBF\xBD?\xEF\xBF\xBD"
                  "?\x7F?&amp;unknown; \xEF\xBF\xBD</name>"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("<description>GC1 - \xE2\x80\xB9img src=x onerror=alert(1)\xE2\x80\xBA &amp;amp; "
                        "A\xC3\xA4\xC3\xA4\xEF\xBF\xBD?\xEF\xBF\xBD?\x7F?&amp;unknown; \xEF\xBF\xBD</description>"),
              std::string::npos)
        << text;
    for (char c : text) EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\r' || c == '\n');
}

TEST_F(PlacemarkTest, RemoveDeletesListedFilesOnlyAndPassesOverMissingOnes)
{
    WriteScan({{"GC1", "a", "1", "2"}, {"GC1", "a", "1", "2"}, {"GC2", "b", "1", "2"}});
    platform::WriteWholeFile(state.TempDir + "GC3.kml", "not ours");
    fs::remove(folder / "inner" / "GC2.kml");  // gone already

    RemovePlacemarkFiles(state);
    EXPECT_TRUE(state.PlacemarkFiles.empty());
    EXPECT_FALSE(fs::exists(folder / "inner" / "GC1.kml"));
    EXPECT_TRUE(fs::exists(folder / "inner" / "GC3.kml"));
    RemovePlacemarkFiles(state);  // nothing listed: nothing happens
    EXPECT_TRUE(fs::exists(folder / "inner" / "GC3.kml"));
}

}  // namespace
}  // namespace ql
