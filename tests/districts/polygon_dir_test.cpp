// Where the polygons come from: the long form of GSAK's program path and the
// choice between GSAK's polygon folder and the folder beside the program.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "base/ascii.h"
#include "state/app_state.h"
#include "core/tables.h"
#include "base/user_error.h"
#include "districts/polygon_files.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

// A Windows file system holding C:\Program Files\GSAK\gsak.exe, where
// "PROGRA~1" is the short name of "Program Files". Names are case-insensitive
// on such a system; the lookup answers with the name as stored.
std::optional<std::string> FakeLookup(const std::string& path)
{
    static const std::map<std::string, std::string> entries = {
        {"c:\\program files", "Program Files"},
        {"c:\\progra~1", "Program Files"},
        {"c:\\program files\\gsak", "GSAK"},
        {"c:\\progra~1\\gsak", "GSAK"},
        {"c:\\program files\\gsak\\gsak.exe", "gsak.exe"},
        {"c:\\progra~1\\gsak\\gsak.exe", "gsak.exe"},
    };
    const auto it = entries.find(AsciiLower(path));
    if (it == entries.end()) return std::nullopt;
    return it->second;
}

TEST(ExpandLongPath, ShortNamesBecomeStoredNames)
{
    EXPECT_EQ(ExpandLongPath("C:\\PROGRA~1\\GSAK\\gsak.exe", FakeLookup), "C:\\Program Files\\GSAK\\gsak.exe");
    EXPECT_EQ(ExpandLongPath("C:\\PROGRA~1\\GSAK", FakeLookup), "C:\\Program Files\\GSAK");
    EXPECT_EQ(ExpandLongPath("c:\\progra~1\\gsak\\GSAK.EXE", FakeLookup), "c:\\Program Files\\GSAK\\gsak.exe");
}

TEST(ExpandLongPath, EdgesOfThePath)
{
    // A final backslash is not kept.
    EXPECT_EQ(ExpandLongPath("C:\\Program Files\\GSAK\\", FakeLookup), "C:\\Program Files\\GSAK");
    EXPECT_EQ(ExpandLongPath("", FakeLookup), "");
    EXPECT_EQ(ExpandLongPath("C:\\", FakeLookup), "C:\\");
    // A component that does not exist is left out.
    EXPECT_EQ(ExpandLongPath("C:\\PROGRA~1\\Missing\\GSAK", FakeLookup), "C:\\Program Files");
    EXPECT_EQ(ExpandLongPath("C:\\Nowhere", FakeLookup), "C:\\");
    EXPECT_EQ(ExpandLongPath("gsak.exe", FakeLookup), "");
}

TEST(ExpandLongPath, RunsOfBackslashesEnd)
{
    // "C:\\\" is its own parent; the walk stops there instead of looping.
    EXPECT_EQ(ExpandLongPath("C:\\\\\\", FakeLookup), "C:\\\\\\");
    EXPECT_EQ(ExpandLongPath("C:\\\\\\\\PROGRA~1", FakeLookup), "C:\\\\\\\\");
    // A UNC path keeps its leading pair.
    EXPECT_EQ(ExpandLongPath("\\\\server\\share", FakeLookup), "\\\\");
}

// A registry whose GSAK key holds the given values; a value of the "bad" set
// has another type than text. Records every call.
class FakeRegistry : public platform::RegistryReader {
public:
    bool keyExists = true;
    std::map<std::string, std::string> values;
    std::set<std::string> badTypes;
    std::vector<std::string> calls;
    bool open = false;

    bool OpenKey(const std::string& key) override
    {
        calls.push_back("open " + key);
        open = keyExists;
        return keyExists;
    }
    std::optional<std::string> ReadString(const std::string& name) override
    {
        calls.push_back("read " + name);
        if (badTypes.count(name)) throw UserError("Ungültiger Datentyp für '" + name + "'");
        const auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void CloseKey() override
    {
        calls.push_back("close");
        open = false;
    }
};

#ifdef _WIN32
constexpr const char* ProgramDir = "C:\\Quenlorn\\";
#else
constexpr const char* ProgramDir = "/opt/quenlorn/";
#endif

class ResolvePolygonDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base_ = fs::temp_directory_path() /
                ("ql_gsak_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(base_);
        fs::create_directories(base_);
        state_.ProgramDir = ProgramDir;
        registry_.values = {{"ExePath", "C:\\PROGRA~1\\GSAK"}, {"C:\\Program Files\\GSAK", base_.string()}};
    }
    void TearDown() override { fs::remove_all(base_); }
    std::string GsakFolder() const
    {
        return base_.string() + platform::PathSeparator + std::string(GsakPolygonSubfolder);
    }
    std::string Fallback() const { return state_.ProgramDir + std::string(PolygonSubfolder); }
    void Resolve()
    {
        const PolygonFolder folder = ResolvePolygonDir(state_.ProgramDir, registry_, FakeLookup);
        state_.PolygonDir = folder.Dir;
        state_.GsakPolygonsFound = folder.GsakFound;
    }

    fs::path base_;
    AppState state_;
    FakeRegistry registry_;
};

TEST_F(ResolvePolygonDirTest, WithoutTheKeyTheFolderBesideTheProgramServes)
{
    registry_.keyExists = false;
    Resolve();
#ifdef _WIN32
    EXPECT_EQ(state_.PolygonDir, "C:\\Quenlorn\\rlp_polygons\\");
#else
    EXPECT_EQ(state_.PolygonDir, "/opt/quenlorn/rlp_polygons/");
#endif
    EXPECT_FALSE(state_.GsakPolygonsFound);
    EXPECT_EQ(registry_.calls.front(), "open \\Software\\GSAK");
}

TEST_F(ResolvePolygonDirTest, GsakFolderIsUsedOnlyWhenItExists)
{
    Resolve();
    EXPECT_EQ(state_.PolygonDir, Fallback());
    EXPECT_FALSE(state_.GsakPolygonsFound);

    fs::create_directories(GsakFolder());
    Resolve();
    EXPECT_EQ(state_.PolygonDir, GsakFolder());
    EXPECT_TRUE(state_.GsakPolygonsFound);
    // The base folder is looked up under the long form of the program path.
    EXPECT_EQ(registry_.calls, (std::vector<std::string>{
                                   "open \\Software\\GSAK", "read ExePath", "read C:\\Program Files\\GSAK", "close",
                                   "open \\Software\\GSAK", "read ExePath", "read C:\\Program Files\\GSAK", "close"}));
    EXPECT_FALSE(registry_.open);
}

TEST_F(ResolvePolygonDirTest, MissingValuesLeadToTheFallback)
{
    fs::create_directories(GsakFolder());
    registry_.values.erase("C:\\Program Files\\GSAK");
    Resolve();
    EXPECT_EQ(state_.PolygonDir, Fallback());

    registry_.values.clear();
    Resolve();
    EXPECT_EQ(state_.PolygonDir, Fallback());
    EXPECT_FALSE(state_.GsakPolygonsFound);
    EXPECT_FALSE(registry_.open);
}

TEST_F(ResolvePolygonDirTest, AValueOfAnotherTypeCountsAsMissingAndTheKeyIsClosed)
{
    fs::create_directories(GsakFolder());
    for (const char* bad : {"ExePath", "C:\\Program Files\\GSAK"}) {
        registry_.badTypes = {bad};
        registry_.calls.clear();
        EXPECT_NO_THROW(Resolve()) << bad;
        EXPECT_EQ(state_.PolygonDir, Fallback()) << bad;
        EXPECT_FALSE(state_.GsakPolygonsFound) << bad;
        EXPECT_EQ(registry_.calls.back(), "close") << bad;
        EXPECT_FALSE(registry_.open);
    }
}

}  // namespace
}  // namespace ql
