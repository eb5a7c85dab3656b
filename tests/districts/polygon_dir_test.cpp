// Where the polygons come from: the long form of GSAK's program path and the
// choice between GSAK's polygon folder and the folder beside the program.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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

TEST(ExpandLongPath, ShortNamesBecomeStoredNamesAndTheWalkEndsAtEveryEdge)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\PROGRA~1\\GSAK\\gsak.exe", "C:\\Program Files\\GSAK\\gsak.exe"},
        {"C:\\PROGRA~1\\GSAK", "C:\\Program Files\\GSAK"},
        {"c:\\progra~1\\gsak\\GSAK.EXE", "c:\\Program Files\\GSAK\\gsak.exe"},
        {"C:\\Program Files\\GSAK\\", "C:\\Program Files\\GSAK"},  // a final backslash is not kept
        {"", ""},
        {"C:\\", "C:\\"},
        // A component that does not exist is left out.
        {"C:\\PROGRA~1\\Missing\\GSAK", "C:\\Program Files"},
        {"C:\\Nowhere", "C:\\"},
        {"gsak.exe", ""},
        // "C:\\\" is its own parent; the walk stops there instead of looping.
        {"C:\\\\\\", "C:\\\\\\"},
        {"C:\\\\\\\\PROGRA~1", "C:\\\\\\\\"},
        {"\\\\server\\share", "\\\\"},  // a UNC path keeps its leading pair
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(ExpandLongPath(path, FakeLookup), expected) << path;
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

// Without the key, a value, or with a value of another type than text: the
// folder beside the program, though GSAK's folder exists; the key is closed.
TEST_F(ResolvePolygonDirTest, AnythingMissingLeadsToTheFolderBesideTheProgram)
{
    fs::create_directories(GsakFolder());
    const FakeRegistry complete = registry_;
    const std::function<void(FakeRegistry&)> breaks[] = {
        [](FakeRegistry& r) { r.keyExists = false; },
        [](FakeRegistry& r) { r.values.erase("ExePath"); },
        [](FakeRegistry& r) { r.values.erase("C:\\Program Files\\GSAK"); },
        [](FakeRegistry& r) { r.badTypes = {"ExePath"}; },
        [](FakeRegistry& r) { r.badTypes = {"C:\\Program Files\\GSAK"}; },
    };
    for (std::size_t i = 0; i < std::size(breaks); ++i) {
        registry_ = complete;
        breaks[i](registry_);
        EXPECT_NO_THROW(Resolve()) << i;
        EXPECT_EQ(state_.PolygonDir, Fallback()) << i;
        EXPECT_FALSE(state_.GsakPolygonsFound) << i;
        EXPECT_EQ(registry_.calls.front(), "open \\Software\\GSAK") << i;
        EXPECT_EQ(registry_.calls.back(), registry_.keyExists ? "close" : "open \\Software\\GSAK") << i;
        EXPECT_FALSE(registry_.open) << i;
    }
#ifdef _WIN32
    EXPECT_EQ(Fallback(), "C:\\Quenlorn\\rlp_polygons\\");
#else
    EXPECT_EQ(Fallback(), "/opt/quenlorn/rlp_polygons/");
#endif
}

}  // namespace
}  // namespace ql
