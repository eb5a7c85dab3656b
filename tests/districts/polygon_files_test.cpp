// The polygon file reader: separators and carried-over values, line breaks,
// encodings, the failures, and the shipped district files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/tables.h"
#include "base/user_error.h"
#include "districts/polygon_files.h"
#include "support/win_support.h"
#include "support/error_of.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

std::string MessageOf(std::string_view bytes)
{
    return test::ErrorOf([&] { ParsePolygonText(bytes, "/p/Ahrweiler.txt"); });
}

void ExpectVertices(const TPolyArray& poly, const std::vector<TFPoint>& expected)
{
    ASSERT_EQ(poly.size(), expected.size());
    std::size_t i = 0;
    for (const TFPoint& p : expected) {
        EXPECT_DOUBLE_EQ(poly[i].X, p.X) << "vertex " << i;
        EXPECT_DOUBLE_EQ(poly[i].Y, p.Y) << "vertex " << i;
        ++i;
    }
}

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("ql_polygon_reader_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    fs::path dir_;
};

TEST(PolygonReader, SeparatorsLineBreaksAndByteOrderMarks)
{
    // "h" CR LF "4,5" CR LF "6\t7" in UTF-16, both byte orders.
    const std::string le(
        "\xFF\xFEh\0\r\0\n\0"
        "4\0,\0"
        "5\0\r\0\n\0"
        "6\0\t\0"
        "7\0",
        24);
    const std::string be(
        "\xFE\xFF\0h\0\r\0\n\0"
        "4\0,\0"
        "5\0\r\0\n\0"
        "6\0\t\0"
        "7",
        24);
    const std::vector<TFPoint> threeLines = {{1, 2}, {3, 4}, {5, 6}};
    const std::pair<std::string, std::vector<TFPoint>> cases[] = {
        // TAB, comma and blanks give the same vertex.
        {"h\r\n49.1,7.2\r\n49.1\t7.2\r\n49.1 , 7.2\r\n 49.1\t 7.2 \r\n-1.5e1,+2E-1\r\n",
         {{49.1, 7.2}, {49.1, 7.2}, {49.1, 7.2}, {49.1, 7.2}, {-15.0, 0.2}}},
        // Line breaks of every kind, and none at the end.
        {"h\r\n1,2\r\n3,4\r\n5,6\r\n", threeLines},
        {"h\n1,2\n3,4\n5,6\n", threeLines},
        {"h\r1,2\r3,4\r5,6\r", threeLines},
        {"h\r\n1,2\n3,4\r5,6", threeLines},
        {"h\n1,2\r\n3,4\r5,6\n", threeLines},
        // A line without separator repeats the vertex before it, the first (0, 0).
        {"h\r\n1,2\r\r\n3,4", {{1, 2}, {1, 2}, {3, 4}}},  // CR CR LF is two breaks
        {"h\r\n\r\n1,2\r\n\r\nno numbers here\r\n3\t4\r\n", {{0, 0}, {1, 2}, {1, 2}, {1, 2}, {3, 4}}},
        // A header alone is no vertex.
        {"Landkreis Ahrweiler", {}},
        {"Landkreis Ahrweiler\r\n", {}},
        {"\r\n", {}},
        {"\xEF\xBB\xBFLandkreis S\xC3\xBC\x64westpfalz\r\n49.1,7.2\r\n", {{49.1, 7.2}}},
        {le, {{4, 5}, {6, 7}}},
        {be, {{4, 5}, {6, 7}}},
    };
    for (const auto& [text, vertices] : cases) {
        SCOPED_TRACE(text);
        ExpectVertices(ParsePolygonText(text, "Ahrweiler.txt"), vertices);
    }
    // No lines at all, even after a byte-order mark, is a range error.
    for (const char* none : {"", "\xEF\xBB\xBF", "\xFF\xFE"}) EXPECT_EQ(MessageOf(none), "Fehler bei Bereichsprüfung");
}

TEST(PolygonReader, BadVertexTextsNameTheOffendingText)
{
    // TAB and comma on one line: the comma is left in the second TAB field.
    EXPECT_EQ(MessageOf("h\r\n49.1\t7.2,3\r\n"), "'7.2,3' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(MessageOf("h\r\n49.1,7\t2\r\n"), "'49.1,7' ist kein gültiger Gleitkommawert");
    // More than two fields.
    EXPECT_EQ(MessageOf("h\r\n1,2,3\r\n"), "'2,3' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(MessageOf("h\r\n1\t2\t3\r\n"), "'2\t3' ist kein gültiger Gleitkommawert");
    // Not a number, and a field left empty.
    EXPECT_EQ(MessageOf("h\r\n1,2\r\nabc,7\r\n"), "'abc' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(MessageOf("h\r\n49.5,\r\n"), "'' ist kein gültiger Gleitkommawert");
    // An ANSI byte in a number shows as the character it stands for.
    EXPECT_EQ(MessageOf("h\r\n49\xB0,7\r\n"), "'49°' ist kein gültiger Gleitkommawert");
}

TEST(PolygonReader, VerticesOutsideTheEarthNameTheFileAndLine)
{
    // The limits themselves are vertices.
    ExpectVertices(ParsePolygonText("h\r\n-90,-180\r\n90\t180\r\n", "a.txt"), {{-90, -180}, {90, 180}});
    const std::pair<const char*, const char*> cases[] = {
        {"h\r\n49,7\r\n90.000001,7\r\n", "Zeile 3: '90.000001' ist keine gültige Breite (-90 bis 90)."},
        {"h\r\n -91 \t7\r\n", "Zeile 2: '-91' ist keine gültige Breite (-90 bis 90)."},
        {"h\r\n49,7\r\n\r\n49, 180.5 \r\n", "Zeile 4: '180.5' ist keine gültige Länge (-180 bis 180)."},
        {"h\r\n49\t-1e3\r\n", "Zeile 2: '-1e3' ist keine gültige Länge (-180 bis 180)."},
        {"h\n1e151,7\n", "Zeile 2: '1e151' ist keine gültige Breite (-90 bis 90)."},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(MessageOf(text), "Datei /p/Ahrweiler.txt, " + std::string(message));
    }
}

TEST_F(TempFolder, FirstLineOfAFile)
{
    EXPECT_EQ(ReadFirstLine((dir_ / "missing.txt").string()), std::string());
    EXPECT_EQ(ReadFirstLine(Write("empty.txt", "")), std::string());
    EXPECT_EQ(ReadFirstLine(Write("one.txt", "Stadt Trier")), std::string("Stadt Trier"));
    EXPECT_EQ(ReadFirstLine(Write("cr.txt", "Stadt Trier\r1,2")), std::string("Stadt Trier"));
    // ANSI header (Windows-1252) and a UTF-8 header with its mark read alike.
    EXPECT_EQ(ReadFirstLine(Write("ansi.txt", "Landkreis S\xFC\x64liche Weinstra\xDF\x65\r\n1,2\r\n")),
              std::string("Landkreis Südliche Weinstraße"));
    EXPECT_EQ(ReadFirstLine(Write("utf8.txt", "\xEF\xBB\xBFLandkreis Südliche Weinstraße\n")),
              std::string("Landkreis Südliche Weinstraße"));
    EXPECT_EQ(ReadFirstLine(Write("utf16.txt", std::string("\xFF\xFEZ\0\xFC\0\r\0\n\0", 10))), std::string("Zü"));
}

TEST_F(TempFolder, AFileThatExistsButCannotBeReadIsReported)
{
    // Reading a process's own memory file from offset 0 fails with an I/O error.
    const std::string unreadable = "/proc/self/mem";
    if (!fs::exists(unreadable)) GTEST_SKIP() << "no /proc";
    EXPECT_EQ(ReadFirstLine(unreadable), std::nullopt);
    EXPECT_THROW(LoadPolygonFile(unreadable), UserError);
}

TEST_F(TempFolder, MissingFileFailsWithTheOpenError)
{
    const std::string path = (dir_ / "Ahrweiler.txt").string();
    try {
        LoadPolygonFile(path);
        FAIL() << "no error";
    } catch (const UserError& e) {
#ifdef _WIN32
        const std::string reason = test::SystemMessage(ERROR_FILE_NOT_FOUND);
#else
        const std::string reason = "No such file or directory";
#endif
        EXPECT_EQ(std::string(e.what()), "Datei " + path + " kann nicht geöffnet werden. " + reason);
    }
}

TEST(ShippedPolygons, EveryFileNamesItsDistrictAndLoads)
{
    const fs::path dir = fs::path(QL_DATA_DIR) / "rlp_polygons";
    std::size_t vertices = 0;
    for (int i = 0; i < DistrictCount; ++i) {
        const std::string path = (dir / (std::string(DistrictFileNames[i]) + ".txt")).string();
        const auto header = ReadFirstLine(path);
        ASSERT_TRUE(header.has_value());
        EXPECT_NE(header->find(DistrictNames[i]), std::string::npos) << *header;
        const TPolyArray poly = LoadPolygonFile(path);
        ASSERT_GT(poly.size(), 3u) << path;
        // The state lies between 48.9 and 50.95 N and 6.1 and 8.6 E.
        for (const TFPoint& p : poly) {
            ASSERT_TRUE(p.X > 48.9 && p.X < 50.95 && p.Y > 6.1 && p.Y < 8.6) << path;
        }
        vertices += poly.size();
    }
    EXPECT_EQ(vertices, 35575u);
}

}  // namespace
}  // namespace ql
