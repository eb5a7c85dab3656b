// The registry reader on the real registry of Windows, and the polygon folder
// it leads to. Each test makes its own key under HKEY_CURRENT_USER and removes
// it again.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "base/user_error.h"
#include "state/app_state.h"
#include "districts/polygon_files.h"
#include "core/tables.h"
#include "platform/platform.h"
#include "support/win_support.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

// A key of our own under HKEY_CURRENT_USER, removed with everything in it at the end.
class OwnKey {
public:
    explicit OwnKey(std::wstring path) : path_(std::move(path))
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                              nullptr) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OwnKey()
    {
        if (key_) ::RegCloseKey(key_);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    OwnKey(const OwnKey&) = delete;
    OwnKey& operator=(const OwnKey&) = delete;
    bool made() const { return key_ != nullptr; }

    // Stores `bytes` of text as they are: with `terminated` false the stored
    // value does not end with its null character.
    void SetText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ, bool terminated = true)
    {
        const DWORD bytes = static_cast<DWORD>((text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
        ASSERT_EQ(::RegSetValueExW(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes),
                  ERROR_SUCCESS);
    }
    void SetNumber(const std::wstring& name, DWORD value)
    {
        ASSERT_EQ(::RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof value),
                  ERROR_SUCCESS);
    }

private:
    std::wstring path_;
    HKEY key_ = nullptr;
};

TEST(WinRegistry, ReadsTextValuesAsStored)
{
    OwnKey key(L"Software\\QuenlornTests\\Reader");
    ASSERT_TRUE(key.made());
    key.SetText(L"ExePath", L"C:\\PROGRA~1\\GSAK");
    key.SetText(L"C:\\Program Files\\GSAK", test::PathOf("D:\\Daten\\Jürgen's GSAK").wstring());
    key.SetText(L"Expand", L"%APPDATA%\\gsak", REG_EXPAND_SZ);  // read without expanding
    key.SetText(L"Unterminated", L"abc", REG_SZ, false);
    key.SetText(L"Empty", L"");
    key.SetNumber(L"Number", 42);

    auto reader = platform::MakeRegistryReader();
    ASSERT_TRUE(reader->OpenKey("\\Software\\QuenlornTests\\Reader"));  // written from the root
    EXPECT_EQ(reader->ReadString("ExePath"), "C:\\PROGRA~1\\GSAK");
    EXPECT_EQ(reader->ReadString("C:\\Program Files\\GSAK"), "D:\\Daten\\Jürgen's GSAK");
    EXPECT_EQ(reader->ReadString("Expand"), "%APPDATA%\\gsak");
    EXPECT_EQ(reader->ReadString("Unterminated"), "abc");
    EXPECT_EQ(reader->ReadString("Empty"), "");
    EXPECT_EQ(reader->ReadString("Missing"), std::nullopt);
    try {
        reader->ReadString("Number");
        FAIL() << "no error";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "Ungültiger Datentyp für 'Number'");
    }
    reader->CloseKey();
    EXPECT_EQ(reader->ReadString("ExePath"), std::nullopt);  // no key open
}

TEST(WinRegistry, MissingKeyIsNeitherOpenedNorCreated)
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuenlornTests\\Missing");
    auto reader = platform::MakeRegistryReader();
    EXPECT_FALSE(reader->OpenKey("\\Software\\QuenlornTests\\Missing"));
    EXPECT_EQ(reader->ReadString("ExePath"), std::nullopt);
    HKEY probe = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\QuenlornTests\\Missing", 0, KEY_READ, &probe),
              ERROR_FILE_NOT_FOUND);
}

// GSAK's own key, made for the test on a system without GSAK: the folder
// named by "ExePath" in its short form, and a value named after its long
// form that holds GSAK's base folder.
class WinGsakFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        HKEY existing = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\GSAK", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
            ::RegCloseKey(existing);
            GTEST_SKIP() << "GSAK is installed here; its key is left alone";
        }
        root_ = fs::temp_directory_path() / "ql_win_gsak";
        fs::remove_all(root_);
        program_ = root_ / "GSAK Programm Ordner";
        base_ = root_ / u8"Basis Jürgen";
        fs::create_directories(program_);
        fs::create_directories(base_);
        state_.ProgramDir = test::Utf8(root_ / "Quenlorn") + "\\";
        key_ = std::make_unique<OwnKey>(L"Software\\GSAK");
        ASSERT_TRUE(key_->made());
    }
    void TearDown() override
    {
        key_.reset();
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    void Resolve(platform::RegistryReader& registry)
    {
        const PolygonFolder folder = ResolvePolygonDir(state_.ProgramDir, registry);
        state_.PolygonDir = folder.Dir;
        state_.GsakPolygonsFound = folder.GsakFound;
    }

    fs::path root_, program_, base_;
    AppState state_;
    std::unique_ptr<OwnKey> key_;
};

TEST_F(WinGsakFolder, ShortExePathLeadsToTheBaseFolderNamedAfterItsLongForm)
{
    const std::wstring shortProgram = test::ShortPathOf(program_);
    const std::wstring longProgram = test::LongPathOf(program_);
    if (shortProgram == longProgram) GTEST_SKIP() << "this volume keeps no 8.3 names";
    key_->SetText(L"ExePath", shortProgram);
    key_->SetText(longProgram, base_.wstring());
    const std::string polygons = test::Utf8(base_) + "\\locations\\counties\\deu\\all_deu\\";

    auto registry = platform::MakeRegistryReader();
    Resolve(*registry);
    // Without GSAK's polygon folder the one beside the program serves.
    EXPECT_EQ(state_.PolygonDir, state_.ProgramDir + "rlp_polygons\\");
    EXPECT_FALSE(state_.GsakPolygonsFound);

    fs::create_directories(test::PathOf(polygons));
    Resolve(*registry);
    EXPECT_EQ(state_.PolygonDir, polygons);
    EXPECT_TRUE(state_.GsakPolygonsFound);
}

TEST_F(WinGsakFolder, WithoutTheKeyOrWithAValueOfAnotherTypeTheFolderBesideTheProgramServes)
{
    fs::create_directories(base_ / "locations" / "counties" / "deu" / "all_deu");
    key_->SetNumber(L"ExePath", 1);
    auto registry = platform::MakeRegistryReader();
    Resolve(*registry);
    EXPECT_EQ(state_.PolygonDir, state_.ProgramDir + "rlp_polygons\\");
    EXPECT_FALSE(state_.GsakPolygonsFound);

    key_.reset();  // GSAK's key is gone
    Resolve(*registry);
    EXPECT_EQ(state_.PolygonDir, state_.ProgramDir + "rlp_polygons\\");
    EXPECT_FALSE(state_.GsakPolygonsFound);
}

}  // namespace
}  // namespace ql

#endif  // _WIN32
